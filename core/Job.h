#pragma once
// What a long piece of work shares with the window waiting for it: a request to stop, and how far
// it has come (done of total; a total of 0 means unknown). The work checks the request at points
// where stopping leaves nothing half done and then throws JobCancelled, so whatever it was
// building is dropped by the ordinary unwinding (a temporary file removed, a transaction rolled
// back). parallelFor shares numbered pieces of one job out over threads.
// Collaborators: runJob (ui/JobRunner: the worker thread and the progress window), the readers
// and writers that split or count their work (search rows, column widths, CSV export).

#include <QtGlobal>

#include <atomic>
#include <functional>
#include <stdexcept>

class JobCancelled : public std::runtime_error {
public:
    JobCancelled() : std::runtime_error("The work was cancelled") {}
};

class JobControl {
public:
    void cancel() noexcept { m_cancelled.store(true, std::memory_order_relaxed); }
    bool isCancelled() const noexcept { return m_cancelled.load(std::memory_order_relaxed); }
    // Throws JobCancelled once cancel() was called.
    void checkCancelled() const {
        if (isCancelled())
            throw JobCancelled();
    }

    void setTotal(qint64 total) noexcept { m_total.store(total, std::memory_order_relaxed); }
    qint64 total() const noexcept { return m_total.load(std::memory_order_relaxed); }
    void add(qint64 count) noexcept { m_done.fetch_add(count, std::memory_order_relaxed); }
    void setDone(qint64 count) noexcept { m_done.store(count, std::memory_order_relaxed); }
    qint64 done() const noexcept { return m_done.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> m_cancelled{false};
    std::atomic<qint64> m_done{0};
    std::atomic<qint64> m_total{0};
};

// Runs piece(0) … piece(count - 1), each exactly once, on up to `threads` threads (the calling
// one included; 0: as many as the processor has, at most 4); a thread that finishes a piece takes
// the next one not yet started. The first exception a piece throws stops the others from starting
// new pieces and is thrown again here once every thread has ended; so is JobCancelled when the
// control was cancelled meanwhile. Nothing is started when `count` is 0.
void parallelFor(int count, const std::function<void(int piece)>& piece, JobControl* control = nullptr, int threads = 0);
