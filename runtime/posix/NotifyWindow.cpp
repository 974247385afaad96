#include "runtime/NotifyWindow.h"

#include <atomic>
#include <mutex>
#include <vector>

#include "runtime/MessageLoop.h"

namespace corvane::runtime {

namespace {

// What the native handle points at. The decoder library may signal it from
// any thread at any time, also after the window is gone, so it outlives the
// window: a destroyed window retires its target into a process-wide list
// instead of freeing it, and a signal to a retired target is dropped.
struct NotifyTarget : CorvaneNotifyTarget, std::enable_shared_from_this<NotifyTarget> {
    std::atomic<bool> alive{true};
    std::atomic<bool> repaintPending{false};
    std::mutex mutex;            // guards loop
    MessageLoop *loop = nullptr;
    std::function<void()> onRepaint;  // used on the loop thread only

    static void Signal(CorvaneNotifyTarget *self) { static_cast<NotifyTarget *>(self)->Invalidate(); }

    // At most one repaint is pending at a time; it clears the flag when it
    // runs, so a signal during the repaint asks for the next one.
    void Invalidate() {
        if (!alive.load(std::memory_order_acquire)) return;
        if (repaintPending.exchange(true, std::memory_order_acq_rel)) return;
        std::lock_guard lock(mutex);
        if (!loop) return;
        loop->Post([target = shared_from_this()] { target->Repaint(); });
    }

    void Repaint() {
        repaintPending.store(false, std::memory_order_release);
        if (!alive.load(std::memory_order_acquire)) return;
        auto repaint = onRepaint;  // the window may be destroyed by its own repaint
        if (repaint) repaint();
    }

    void Retire() {
        alive.store(false, std::memory_order_release);
        {
            std::lock_guard lock(mutex);
            loop = nullptr;
        }
        onRepaint = nullptr;
    }
};

// Never freed: retired targets stay reachable for signals that arrive late.
std::mutex retiredMutex;
std::vector<std::shared_ptr<NotifyTarget>> *retiredTargets = new std::vector<std::shared_ptr<NotifyTarget>>();

class LoopNotifyWindow : public NotifyWindow {
public:
    LoopNotifyWindow(MessageLoop &loop, std::function<void()> onRepaint) : target_(std::make_shared<NotifyTarget>()) {
        target_->invalidate = &NotifyTarget::Signal;
        target_->loop = &loop;
        target_->onRepaint = std::move(onRepaint);
    }
    ~LoopNotifyWindow() override {
        target_->Retire();
        std::lock_guard lock(retiredMutex);
        retiredTargets->push_back(std::move(target_));
    }

    CorvaneNotifyHandle Handle() override { return target_.get(); }
    void Invalidate() override { target_->Invalidate(); }

private:
    std::shared_ptr<NotifyTarget> target_;
};

}  // namespace

std::unique_ptr<NotifyWindow> MakeLoopNotifyWindow(MessageLoop &loop, std::function<void()> onRepaint) {
    return std::make_unique<LoopNotifyWindow>(loop, std::move(onRepaint));
}

}  // namespace corvane::runtime
