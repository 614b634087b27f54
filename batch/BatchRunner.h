#pragma once
// BatchRunner: runs one batch conversion on a worker thread, so the window that started it keeps
// painting and answering; progress, the end and a failure come back as queued signals, and a
// cancel stops the run before anything is written. The worker opens its own connections.
// Collaborators: convertBatchFile (the work), BackgroundJob (its thread), TProcessBatch (starts it,
// shows its progress).

#include "batch/BatchConversion.h"
#include "core/BackgroundJob.h"

#include <QElapsedTimer>
#include <QMetaType>
#include <QObject>
#include <atomic>
#include <memory>

class BatchRunner : public QObject {
    Q_OBJECT
public:
    explicit BatchRunner(QObject* parent = nullptr);
    ~BatchRunner() override;   // cancels and waits for a running worker

    void start(const BatchJob& job);
    void cancel() { m_cancel = true; }
    bool isRunning() const { return m_worker.isRunning(); }

signals:
    void begun(qint64 total);
    // At most every few hundredths of a second, and once for the last call sign.
    void progress(qint64 done, qint64 total);
    void finished(const BatchResult& result);

private:
    // Declared before the worker, so they outlive its thread.
    std::atomic_bool m_cancel{false};
    BatchResult m_result;
    BackgroundJob m_worker;
};

Q_DECLARE_METATYPE(BatchResult)
