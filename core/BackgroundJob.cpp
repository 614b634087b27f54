#include "core/BackgroundJob.h"

#include "core/Database.h"

#include <QThread>

BackgroundJob::BackgroundJob(QObject* parent) : QObject(parent), m_control(std::make_unique<JobControl>()) {}

BackgroundJob::~BackgroundJob() {
    m_control->cancel();
    if (m_thread)
        m_thread->wait();
}

bool BackgroundJob::start(const QString& name, std::function<void(JobControl&)> work) {
    if (m_running)
        return false;
    if (m_thread)
        m_thread->wait();
    m_running = true;
    m_control = std::make_unique<JobControl>();
    m_outcome = {};
    m_thread.reset(QThread::create([this, work = std::move(work)] {
        try {
            work(*m_control);
        } catch (const JobCancelled&) {
            m_outcome.end = JobOutcome::End::Cancelled;
        } catch (const DatabaseError& e) {
            m_outcome.end = JobOutcome::End::Failed;
            m_outcome.error = e.message();
            m_outcome.database = true;
        } catch (const std::exception& e) {
            m_outcome.end = JobOutcome::End::Failed;
            m_outcome.error = QString::fromUtf8(e.what());
        } catch (...) {
            m_outcome.end = JobOutcome::End::Failed;
            m_outcome.error = QStringLiteral("An unknown error occurred.");
        }
    }));
    m_thread->setObjectName(name);
    // The thread's end is delivered on this object's thread, once it has returned from the work.
    connect(m_thread.get(), &QThread::finished, this, [this] {
        m_thread->wait();
        m_running = false;
        emit finished(m_outcome);
    });
    m_thread->start();
    return true;
}
