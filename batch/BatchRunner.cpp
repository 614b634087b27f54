#include "batch/BatchRunner.h"

#include <QThread>

namespace {
// Often enough for a smooth bar, rarely enough that the window's queue never fills up.
constexpr qint64 kProgressIntervalMs = 40;
} // namespace

BatchRunner::BatchRunner(QObject* parent) : QObject(parent) { qRegisterMetaType<BatchResult>(); }

BatchRunner::~BatchRunner() {
    m_cancel = true;
    if (m_thread)
        m_thread->wait();
}

void BatchRunner::start(const BatchJob& job) {
    if (m_running)
        return;
    if (m_thread)
        m_thread->wait();
    m_running = true;
    m_cancel = false;
    m_thread.reset(QThread::create([this, job] {
        qint64 total = 0;
        QElapsedTimer sinceLast;
        BatchProgress progress;
        progress.begun = [&](qint64 n) {
            total = n;
            sinceLast.start();
            emit begun(n);
        };
        progress.advanced = [&](qint64 done) {
            // The clock is read only every few hundred calls: on some machines reading it is a system call.
            if (done == total || ((done & 0xFF) == 0 && sinceLast.elapsed() >= kProgressIntervalMs)) {
                sinceLast.restart();
                emit this->progress(done, total);
            }
        };
        const BatchResult result = convertBatchFile(job, progress, m_cancel);
        // Delivered on the window's thread, after the worker has let go of every file.
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                m_thread->wait();
                m_running = false;
                emit finished(result);
            },
            Qt::QueuedConnection);
    }));
    m_thread->setObjectName(QStringLiteral("batch"));
    m_thread->start();
}
