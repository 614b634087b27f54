#include "batch/BatchRunner.h"


namespace {
// Often enough for a smooth bar, rarely enough that the window's queue never fills up.
constexpr qint64 kProgressIntervalMs = 40;
} // namespace

BatchRunner::BatchRunner(QObject* parent) : QObject(parent) {
    qRegisterMetaType<BatchResult>();
    // Delivered on the window's thread, after the worker has let go of every file.
    connect(&m_worker, &BackgroundJob::finished, this, [this](const JobOutcome& outcome) {
        if (outcome.end == JobOutcome::End::Failed) {
            m_result = BatchResult{};
            m_result.error = outcome.error;
        }
        emit finished(m_result);
    });
}

BatchRunner::~BatchRunner() { m_cancel = true; }

void BatchRunner::start(const BatchJob& job) {
    if (m_worker.isRunning())
        return;
    m_cancel = false;
    m_result = BatchResult{};
    m_worker.start(QStringLiteral("batch"), [this, job](JobControl&) {
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
        m_result = convertBatchFile(job, progress, m_cancel);
    });
}
