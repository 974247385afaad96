#pragma once
// How a message loop is woken and how it waits: a condition variable on
// POSIX systems (runtime/posix); on Windows a hidden window that also lets a
// container's own message loop run the posted work and the timers
// (runtime/win32).
#include <chrono>
#include <memory>

namespace corvane::runtime {

class MessageLoop;

class LoopSignal {
public:
    virtual ~LoopSignal() = default;
    // Any thread: work was posted, a timer changed, or Quit was called.
    virtual void Notify() = 0;
    // Loop thread: returns once notified since the last wait, at the deadline
    // (time_point::max() waits for a notification alone), or after handling
    // messages of the platform's own; true in that last case.
    virtual bool Wait(std::chrono::steady_clock::time_point deadline) = 0;
    // Loop thread: handles the platform's own messages that are waiting now;
    // returns how many.
    virtual int DispatchWaiting() = 0;
};

// Made on the loop thread, when the loop is.
std::unique_ptr<LoopSignal> MakeLoopSignal(MessageLoop &loop);

}  // namespace corvane::runtime
