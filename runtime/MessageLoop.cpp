#include "runtime/MessageLoop.h"

#include "runtime/LoopSignal.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace corvane::runtime {

// Posted tasks carry a sequence number so that PumpPending handles only the
// work that was waiting when it was called: a task that posts itself again
// cannot keep a pump from returning.

namespace {

// The next due time strictly after `now`: a late timer skips the periods it
// missed instead of ticking once for each of them.
MessageLoop::Clock::time_point NextDue(MessageLoop::Clock::time_point due, std::chrono::milliseconds interval,
                                       MessageLoop::Clock::time_point now) {
    if (interval.count() <= 0) return now + std::chrono::milliseconds(1);
    due += interval;
    if (due <= now) {
        auto missed = (now - due) / interval + 1;
        due += missed * interval;
    }
    return due;
}

}  // namespace

MessageLoop::MessageLoop() : owner_(std::this_thread::get_id()), signal_(MakeLoopSignal(*this)) {}

MessageLoop::~MessageLoop() = default;

void MessageLoop::Post(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        posted_.push_back({++lastSequence_, std::move(task)});
    }
    signal_->Notify();
}

bool MessageLoop::RunOne(Clock::time_point now) { return RunOneUpTo(now, std::numeric_limits<uint64_t>::max()); }

bool MessageLoop::RunOneUpTo(Clock::time_point now, uint64_t lastSequence) {
    std::function<void()> task;
    std::shared_ptr<std::function<void()>> tick;
    {
        std::lock_guard lock(mutex_);
        if (!posted_.empty() && posted_.front().sequence <= lastSequence) {
            task = std::move(posted_.front().run);
            posted_.pop_front();
        } else {
            TimerEntry *earliest = nullptr;
            for (auto &[id, entry] : timers_)
                if (entry.due <= now && (!earliest || entry.due < earliest->due)) earliest = &entry;
            if (!earliest) return false;
            earliest->due = NextDue(earliest->due, earliest->interval, now);
            tick = earliest->onTick;
        }
    }
    if (task) task();
    if (tick && *tick) (*tick)();
    return true;
}

MessageLoop::Clock::time_point MessageLoop::NextWake() const {
    auto wake = Clock::time_point::max();
    for (const auto &[id, entry] : timers_)
        if (entry.due < wake) wake = entry.due;
    return wake;
}

int MessageLoop::PumpPending() {
    uint64_t lastSequence;
    {
        std::lock_guard lock(mutex_);
        lastSequence = lastSequence_;
    }
    auto now = Clock::now();
    int handled = signal_->DispatchWaiting();
    while (RunOneUpTo(now, lastSequence)) ++handled;
    return handled;
}

bool MessageLoop::WaitForWork(Clock::time_point deadline, bool wakeOnQuit) {
    for (;;) {
        Clock::time_point wake;
        {
            std::lock_guard lock(mutex_);
            if ((wakeOnQuit && quit_) || !posted_.empty() || NextWake() <= Clock::now()) return true;
            wake = std::min(NextWake(), deadline);
        }
        if (Clock::now() >= deadline) return false;
        if (signal_->Wait(wake)) return true;
    }
}

std::optional<std::chrono::milliseconds> MessageLoop::UntilNextTimer() const {
    std::lock_guard lock(mutex_);
    if (timers_.empty()) return std::nullopt;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(NextWake() - Clock::now());
    return std::max(wait, std::chrono::milliseconds(0));
}

void MessageLoop::Run() {
    for (;;) {
        WaitForWork(Clock::time_point::max(), true);
        {
            std::lock_guard lock(mutex_);
            if (quit_) {
                quit_ = false;
                return;
            }
        }
        RunOne(Clock::now());
    }
}

bool MessageLoop::RunUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout) {
    auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= deadline) return done();
        if (WaitForWork(deadline, false)) RunOne(Clock::now());
    }
    return true;
}

void MessageLoop::Quit() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    signal_->Notify();
}

MessageLoop::TimerId MessageLoop::AddTimer(std::chrono::milliseconds interval, std::function<void()> onTick) {
    std::lock_guard lock(mutex_);
    TimerId id = nextTimer_++;
    timers_.emplace(id, TimerEntry{interval, Clock::now() + interval,
                                   std::make_shared<std::function<void()>>(std::move(onTick))});
    signal_->Notify();
    return id;
}

void MessageLoop::RemoveTimer(TimerId id) {
    std::shared_ptr<std::function<void()>> released;
    {
        std::lock_guard lock(mutex_);
        auto found = timers_.find(id);
        if (found == timers_.end()) return;
        released = std::move(found->second.onTick);
        timers_.erase(found);
    }
    // `released` goes here, outside the lock, in case the callback's captures
    // do something on destruction.
}

}  // namespace corvane::runtime
