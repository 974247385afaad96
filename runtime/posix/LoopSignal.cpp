#include "runtime/LoopSignal.h"

#include <condition_variable>
#include <mutex>

namespace corvane::runtime {

namespace {

class ConditionSignal : public LoopSignal {
public:
    void Notify() override {
        {
            std::lock_guard lock(mutex_);
            notified_ = true;
        }
        wake_.notify_all();
    }
    bool Wait(std::chrono::steady_clock::time_point deadline) override {
        std::unique_lock lock(mutex_);
        if (deadline == std::chrono::steady_clock::time_point::max())
            wake_.wait(lock, [this] { return notified_; });
        else
            wake_.wait_until(lock, deadline, [this] { return notified_; });
        notified_ = false;
        return false;
    }
    int DispatchWaiting() override { return 0; }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool notified_ = false;
};

}  // namespace

std::unique_ptr<LoopSignal> MakeLoopSignal(MessageLoop &) { return std::make_unique<ConditionSignal>(); }

}  // namespace corvane::runtime
