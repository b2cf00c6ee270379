#pragma once
#include <QtGlobal>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace quillon::model {

// The number of threads a setting asks for: 0 means one per processor core.
int threadCountFor(int jobs);

// Items 0 .. count - 1 worked on by a group of threads: extra threads and the calling thread
// each claim the next unclaimed item until none is left. The calling thread waits for one
// item at a time with waitFor, working on items itself while it waits, so a group whose
// threads could not be started still finishes. The threads live for one run, not in a pool:
// they start with the calling thread's current rights (which files it may read) and nothing
// of a load outlives it.
class OrderedWork {
public:
    // work must be safe to run on several items at once and must not throw; it is never given
    // an item twice.
    OrderedWork(qsizetype count, int threads, std::function<void(qsizetype)> work);
    // Stops handing out items and waits for the items in progress.
    ~OrderedWork();
    OrderedWork(const OrderedWork&) = delete;
    OrderedWork& operator=(const OrderedWork&) = delete;

    // Returns once item i is done (calling thread only).
    void waitFor(qsizetype i);

private:
    bool runNext();
    void runWorker();

    const qsizetype count_;
    const std::function<void(qsizetype)> work_;
    std::atomic<qsizetype> next_ {0};
    std::atomic<bool> stopping_ {false};
    std::mutex mutex_;
    std::condition_variable finished_;
    std::vector<char> done_; // guarded by mutex_
    std::vector<std::thread> threads_;
};

// Calls produce(i) for every i below count on `threads` threads, and consume(i, result) on the
// calling thread in the order of i, each as soon as its result and all before it are in. With
// one thread every item is produced and consumed in turn on the calling thread. An exception
// from produce reaches the caller when its item's turn comes; one from consume ends the run.
template <typename Result, typename Produce, typename Consume>
void produceInOrder(qsizetype count, int threads, Produce produce, Consume consume)
{
    if (threads <= 1 || count <= 1) {
        for (qsizetype i = 0; i < count; ++i)
            consume(i, produce(i));
        return;
    }
    const auto size = size_t(count);
    std::vector<std::optional<Result>> results(size);
    std::vector<std::exception_ptr> errors(size);
    OrderedWork work(count, threads, [&](qsizetype i) {
        try {
            results[size_t(i)].emplace(produce(i));
        } catch (...) {
            errors[size_t(i)] = std::current_exception();
        }
    });
    for (qsizetype i = 0; i < count; ++i) {
        work.waitFor(i);
        if (errors[size_t(i)])
            std::rethrow_exception(errors[size_t(i)]);
        consume(i, std::move(*results[size_t(i)]));
        results[size_t(i)].reset();
    }
}

} // namespace quillon::model
