#include "runtime/Timer.h"

#include <chrono>
#include <memory>

#include "runtime/MessageLoop.h"

namespace corvane::runtime {

namespace {

// Armed on the loop while enabled with an interval above 0, as a container
// timer is; changing the interval of an enabled timer starts a new period.
class LoopTimer : public Timer {
public:
    LoopTimer(MessageLoop &loop, std::function<void()> onTick)
        : loop_(loop), onTick_(std::make_shared<std::function<void()>>(std::move(onTick))) {}
    ~LoopTimer() override { Disarm(); }

    void SetInterval(int milliseconds) override {
        interval_ = milliseconds < 0 ? 0 : milliseconds;
        Rearm();
    }
    int Interval() const override { return interval_; }

    void SetEnabled(bool enabled) override {
        if (enabled == enabled_) return;
        enabled_ = enabled;
        Rearm();
    }
    bool Enabled() const override { return enabled_; }

private:
    void Rearm() {
        Disarm();
        if (!enabled_ || interval_ <= 0) return;
        // The tick holds its own reference to the callback, so a timer that
        // is destroyed inside its own tick is safe.
        timer_ = loop_.AddTimer(std::chrono::milliseconds(interval_), [tick = onTick_] {
            if (*tick) (*tick)();
        });
    }
    void Disarm() {
        if (timer_) loop_.RemoveTimer(timer_);
        timer_ = 0;
    }

    MessageLoop &loop_;
    std::shared_ptr<std::function<void()>> onTick_;
    MessageLoop::TimerId timer_ = 0;
    int interval_ = 0;
    bool enabled_ = false;
};

}  // namespace

std::unique_ptr<Timer> MakeLoopTimer(MessageLoop &loop, std::function<void()> onTick) {
    return std::make_unique<LoopTimer>(loop, std::move(onTick));
}

}  // namespace corvane::runtime
