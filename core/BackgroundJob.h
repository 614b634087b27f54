#pragma once
// BackgroundJob: one long piece of work that must not hold up the thread that starts it (an
// unpacking, a batch conversion), run on a thread of its own. The work gets the job's JobControl
// (cancel request and progress); its end is told once, on the thread the job object lives in,
// after the thread has let go of everything: done, cancelled (the work threw JobCancelled) or
// failed with the error's text. No exception crosses the thread. Destroying a running job asks it
// to stop and waits for it.
// Collaborators: JobControl (core/Job), ExtractThread (data/ArchiveUnpack), BatchRunner,
// ImportThread, and runJob (ui/JobRunner: work a window waits for, with a progress window).

#include "core/Job.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QThread;

struct JobOutcome {
    enum class End { Done, Cancelled, Failed };
    End end = End::Done;
    QString error;           // when Failed
    bool database = false;   // the failure was a DatabaseError (its message in `error`)
};

class BackgroundJob : public QObject {
    Q_OBJECT
public:
    explicit BackgroundJob(QObject* parent = nullptr);
    ~BackgroundJob() override;

    // Starts `work` unless a run is under way (then false). `name` names the thread (for debuggers).
    bool start(const QString& name, std::function<void(JobControl&)> work);
    void cancel() { m_control->cancel(); }
    bool isRunning() const { return m_running; }
    const JobControl& control() const { return *m_control; }

signals:
    void finished(const JobOutcome& outcome);

private:
    std::unique_ptr<QThread> m_thread;
    std::unique_ptr<JobControl> m_control;
    JobOutcome m_outcome;
    bool m_running = false;
};
