#pragma once
// Wakes a waiting worker thread. Only threads that may block use it: the
// decoder, the analysis and the sinks' own threads, and the host. The audio
// callback of a device never rings or waits. Ringing costs two atomic
// operations when nobody waits, so it may be done on every block.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace corvane::engine {

class Doorbell {
public:
    void Ring() {
        rings_.fetch_add(1);
        // A waiter counts itself in before it looks at rings_, so either it
        // sees this ring or this sees it waiting. Taking the lock and letting
        // it go before notifying means that waiter is either before its check
        // or asleep, and once woken it does not run into a held lock.
        if (waiters_.load() > 0) {
            { std::lock_guard lock(mutex_); }
            ready_.notify_all();
        }
    }

    // Returns after a Ring that came after the previous wait, or after the
    // timeout, whichever is first.
    void WaitFor(std::chrono::microseconds timeout) {
        WaitUntil(std::chrono::steady_clock::now() + timeout);
    }

    template <class Clock, class Duration>
    void WaitUntil(std::chrono::time_point<Clock, Duration> deadline) {
        std::unique_lock lock(mutex_);
        waiters_.fetch_add(1);
        ready_.wait_until(lock, deadline, [&] { return rings_.load() != seen_; });
        waiters_.fetch_sub(1);
        seen_ = rings_.load();
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::atomic<uint64_t> rings_{0};
    std::atomic<int> waiters_{0};
    uint64_t seen_ = 0;  // the waiter's own
};

}  // namespace corvane::engine
