#include "runtime/LoopSignal.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "runtime/MessageLoop.h"
#include "runtime/win32/HiddenWindow.h"

namespace corvane::runtime {

namespace {

constexpr UINT kWake = WM_APP + 1;
constexpr UINT kClockProbe = WM_APP + 2;
constexpr UINT_PTR kTimerId = 1;

// A message-only window of the loop thread. A notification posts it one
// wake message; whichever loop dispatches it (ours, or a container's) runs
// the work that is waiting, and a Windows timer does the same when the next
// timer of the loop is due.
class WindowSignal : public LoopSignal {
public:
    explicit WindowSignal(MessageLoop &loop)
        : loop_(loop), window_(CreateHiddenWindow(L"CorvaneMP3.MessageLoop", &WindowSignal::Procedure, this)) {}
    ~WindowSignal() override { DestroyWindow(window_); }

    void Notify() override {
        notified_.store(true, std::memory_order_release);
        if (!wakePosted_.exchange(true, std::memory_order_acq_rel)) PostMessageW(window_, kWake, 0, 0);
    }

    // Every message of the thread is handled while the loop waits, as in a
    // modal loop, so that windows and COM keep working.
    bool Wait(std::chrono::steady_clock::time_point deadline) override {
        while (!notified_.exchange(false, std::memory_order_acq_rel)) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline) return false;
            DWORD timeout = INFINITE;
            if (deadline != std::chrono::steady_clock::time_point::max())
                timeout = static_cast<DWORD>(std::min<long long>(
                    std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count(), 60000));
            MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            if (DispatchWaiting() > 0) return true;
        }
        return false;
    }

    // Only what was queued before it began: a window that is signalled
    // without pause cannot keep it from returning. A quit message belongs to
    // the host's own loop (an event handler may post it): it is put back and
    // ends the dispatching, as a modal loop does.
    int DispatchWaiting() override {
        const DWORD start = QueueClock();
        int handled = 0;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) && static_cast<LONG>(message.time - start) <= 0) {
            if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) break;
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                break;
            }
            if (message.hwnd == window_ && message.message == kWake) {
                wakePosted_.store(false, std::memory_order_release);  // the loop runs the work itself
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
            ++handled;
        }
        return handled;
    }

private:
    // Now, on the clock that stamps queued messages: a message posted to
    // ourselves and taken back at once. Wine's GetTickCount can run behind
    // that clock, and a message posted just before would look later.
    DWORD QueueClock() {
        MSG probe;
        if (PostMessageW(window_, kClockProbe, 0, 0) && PeekMessageW(&probe, window_, kClockProbe, kClockProbe, PM_REMOVE))
            return probe.time;
        return GetTickCount();
    }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
        auto *self = OwnerOf<WindowSignal>(window);
        if (self != nullptr && (message == kWake || (message == WM_TIMER && w == kTimerId))) {
            if (message == kWake) self->wakePosted_.store(false, std::memory_order_release);
            KillTimer(window, kTimerId);
            self->loop_.PumpPending();
            self->ArmForNextTimer();
            return 0;
        }
        return DefWindowProcW(window, message, w, l);
    }

    void ArmForNextTimer() {
        const auto wait = loop_.UntilNextTimer();
        if (wait) SetTimer(window_, kTimerId, static_cast<UINT>(std::max<long long>(wait->count(), USER_TIMER_MINIMUM)), nullptr);
    }

    MessageLoop &loop_;
    HWND window_ = nullptr;
    std::atomic<bool> notified_{false};
    std::atomic<bool> wakePosted_{false};
};

}  // namespace

std::unique_ptr<LoopSignal> MakeLoopSignal(MessageLoop &loop) { return std::make_unique<WindowSignal>(loop); }

}  // namespace corvane::runtime
