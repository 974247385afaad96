#pragma once
// The message loop of the one user-interface thread. Work posted from any
// thread, timer ticks and repaints of notification windows are all delivered
// here, on the thread that created the loop.
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace corvane::runtime {

class LoopSignal;

class MessageLoop {
public:
    using Clock = std::chrono::steady_clock;

    MessageLoop();
    ~MessageLoop();
    MessageLoop(const MessageLoop &) = delete;
    MessageLoop &operator=(const MessageLoop &) = delete;

    // Any thread. The task runs on the loop thread in posting order.
    void Post(std::function<void()> task);

    // "Let pending messages be processed": runs the posted work and the timer
    // ticks that are due now, then returns the number of messages handled.
    // May be called from inside a handler (re-entrantly).
    int PumpPending();

    // Runs until Quit is called.
    void Run();
    // Runs until done() holds (checked after every message) or the timeout
    // passes; returns done().
    bool RunUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout);
    void Quit();  // any thread

    bool IsLoopThread() const { return std::this_thread::get_id() == owner_; }

    // Timers, for the Timer class: a tick is due every interval while armed.
    using TimerId = uint64_t;
    TimerId AddTimer(std::chrono::milliseconds interval, std::function<void()> onTick);
    void RemoveTimer(TimerId id);
    // How long until the next timer is due (zero when one is due now); no
    // value without timers.
    std::optional<std::chrono::milliseconds> UntilNextTimer() const;

private:
    struct TimerEntry {
        std::chrono::milliseconds interval;
        Clock::time_point due;
        // Shared so that a timer removed inside its own tick lives until the
        // tick returns.
        std::shared_ptr<std::function<void()>> onTick;
    };
    struct PostedTask {
        uint64_t sequence;
        std::function<void()> run;
    };
    bool RunOne(Clock::time_point now);
    // Runs one posted task numbered up to `lastSequence`, else one timer tick
    // due at `now`; false when there was nothing to run.
    bool RunOneUpTo(Clock::time_point now, uint64_t lastSequence);
    // Waits until there is work (or Quit, when wakeOnQuit) or the deadline.
    bool WaitForWork(Clock::time_point deadline, bool wakeOnQuit);
    Clock::time_point NextWake() const;

    std::thread::id owner_;
    mutable std::mutex mutex_;
    std::unique_ptr<LoopSignal> signal_;
    std::deque<PostedTask> posted_;
    uint64_t lastSequence_ = 0;
    std::map<TimerId, TimerEntry> timers_;
    TimerId nextTimer_ = 1;
    bool quit_ = false;
};

}  // namespace corvane::runtime
