#pragma once
// A notification window: a native handle that another library invalidates
// from any of its threads; invalidations are coalesced into one repaint,
// delivered on the user-interface thread. The handle stays safe to signal
// after the window is gone (the signal is then dropped).
#include <functional>
#include <memory>

#include "decoder/CorvaneMP3.h"

namespace corvane::runtime {

class NotifyWindow {
public:
    virtual ~NotifyWindow() = default;
    virtual CorvaneNotifyHandle Handle() = 0;
    // Any thread; the same as signalling the handle.
    virtual void Invalidate() = 0;
};

class MessageLoop;
// The native notification window, repainting on the given loop.
std::unique_ptr<NotifyWindow> MakeLoopNotifyWindow(MessageLoop &loop, std::function<void()> onRepaint);

}  // namespace corvane::runtime
