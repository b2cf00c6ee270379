#include "model/OrderedWork.h"

#include <QThread>

#include <algorithm>
#include <system_error>

namespace quillon::model {

int threadCountFor(int jobs)
{
    return jobs > 0 ? jobs : std::max(QThread::idealThreadCount(), 1);
}

OrderedWork::OrderedWork(qsizetype count, int threads, std::function<void(qsizetype)> work)
    : count_(count), work_(std::move(work)), done_(size_t(std::max<qsizetype>(count, 0)), 0)
{
    // The calling thread is one of the group.
    const qsizetype extra = std::min<qsizetype>(threads, count) - 1;
    for (qsizetype t = 0; t < extra; ++t) {
        try {
            threads_.emplace_back([this] { runWorker(); });
        } catch (const std::system_error&) {
            break; // fewer threads: the calling thread takes the rest
        }
    }
}

OrderedWork::~OrderedWork()
{
    stopping_ = true;
    for (std::thread& thread : threads_)
        thread.join();
}

bool OrderedWork::runNext()
{
    if (stopping_)
        return false;
    const qsizetype i = next_.fetch_add(1);
    if (i >= count_)
        return false;
    work_(i);
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        done_[size_t(i)] = 1;
    }
    finished_.notify_all();
    return true;
}

void OrderedWork::runWorker()
{
    while (runNext()) { }
}

void OrderedWork::waitFor(qsizetype i)
{
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (done_[size_t(i)])
                return;
            // Every item is claimed: the one wanted is in progress on another thread.
            if (next_ >= count_) {
                finished_.wait(lock, [&] { return done_[size_t(i)] != 0; });
                return;
            }
        }
        runNext();
    }
}

} // namespace quillon::model
