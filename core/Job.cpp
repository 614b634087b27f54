#include "core/Job.h"

#include <QThread>

#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

void parallelFor(int count, const std::function<void(int piece)>& piece, JobControl* control, int threads) {
    if (count <= 0)
        return;
    if (threads <= 0)
        threads = std::clamp(QThread::idealThreadCount(), 1, 4);
    threads = std::min(threads, count);
    std::atomic<int> next{0};
    std::exception_ptr failure;
    std::mutex failureMutex;
    auto work = [&] {
        for (int i = next++; i < count; i = next++) {
            if (control && control->isCancelled())
                break;
            try {
                piece(i);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failureMutex);
                if (!failure)
                    failure = std::current_exception();
                next = count;
                break;
            }
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(size_t(threads - 1));
    for (int t = 1; t < threads; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& h : helpers)
        h.join();
    if (failure)
        std::rethrow_exception(failure);
    if (control)
        control->checkCancelled();
}
