#include "runtime/NotifyWindow.h"

#include <windows.h>

#include "runtime/MessageLoop.h"
#include "runtime/win32/HiddenWindow.h"

namespace corvane::runtime {

namespace {

// A hidden message-only window is the handle. The decoder library posts it
// the registered notification message from any thread; it is answered like a
// repaint (message-only windows get no WM_PAINT), and further notifications
// already waiting are taken off the queue with it, so a burst becomes one
// repaint. A signal to a window that is gone fails and is dropped.
class HiddenNotifyWindow : public NotifyWindow {
public:
    explicit HiddenNotifyWindow(std::function<void()> onRepaint)
        : window_(CreateHiddenWindow(L"CorvaneMP3.Notify", &HiddenNotifyWindow::Procedure, this)),
          onRepaint_(std::move(onRepaint)) {}
    ~HiddenNotifyWindow() override {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }

    CorvaneNotifyHandle Handle() override { return window_; }
    void Invalidate() override { PostMessageW(window_, Message(), 0, 0); }

private:
    static UINT Message() {
        static const UINT message = RegisterWindowMessageA(CORVANE_NOTIFY_MESSAGE);
        return message;
    }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
        auto *self = OwnerOf<HiddenNotifyWindow>(window);
        if (self == nullptr || (message != Message() && message != WM_PAINT)) return DefWindowProcW(window, message, w, l);
        if (message == WM_PAINT) ValidateRect(window, nullptr);
        MSG waiting;
        while (PeekMessageW(&waiting, window, Message(), Message(), PM_REMOVE)) {
        }
        auto repaint = self->onRepaint_;  // the window may be destroyed by its own repaint
        if (repaint) repaint();
        return 0;
    }

    HWND window_ = nullptr;
    std::function<void()> onRepaint_;
};

}  // namespace

std::unique_ptr<NotifyWindow> MakeLoopNotifyWindow(MessageLoop &, std::function<void()> onRepaint) {
    return std::make_unique<HiddenNotifyWindow>(std::move(onRepaint));
}

}  // namespace corvane::runtime
