#pragma once
// A container timer: while enabled, it ticks every interval on the
// user-interface thread. Created disabled.
#include <functional>
#include <memory>

namespace corvane::runtime {

class Timer {
public:
    virtual ~Timer() = default;
    virtual void SetInterval(int milliseconds) = 0;
    virtual int Interval() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
};

class MessageLoop;
// The native timer, ticking on the given loop.
std::unique_ptr<Timer> MakeLoopTimer(MessageLoop &loop, std::function<void()> onTick);

}  // namespace corvane::runtime
