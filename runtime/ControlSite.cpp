#include "runtime/ControlSite.h"

#include <algorithm>

#include "runtime/MessageLoop.h"

namespace corvane::runtime {

NativeControlSite::NativeControlSite(MessageLoop &loop) : loop_(loop) {}

int NativeControlSite::Connect(EventSink sink) {
    int cookie = nextCookie_++;
    sinks_.emplace_back(cookie, std::move(sink));
    return cookie;
}

void NativeControlSite::Disconnect(int cookie) {
    std::erase_if(sinks_, [cookie](const auto &entry) { return entry.first == cookie; });
}

void NativeControlSite::PropertyChanged(const Text &) {}

void NativeControlSite::SetExtent(int32_t widthTwips, int32_t heightTwips) {
    extentWidth_ = widthTwips;
    extentHeight_ = heightTwips;
}

// A native host has no screen to show a box on; the box counts as answered
// with OK.

void NativeControlSite::DrawBitmap(const Bitmap &, int32_t, int32_t) {}

void NativeControlSite::RaiseEvent(int32_t dispatchId, const Text &name) {
    // A sink may connect or disconnect sinks while it handles the event.
    auto sinks = sinks_;
    for (const auto &[cookie, sink] : sinks)
        if (sink) sink(dispatchId, name);
}

std::unique_ptr<Timer> NativeControlSite::CreateTimer(std::function<void()> onTick) {
    return MakeLoopTimer(loop_, std::move(onTick));
}

std::unique_ptr<NotifyWindow> NativeControlSite::CreateNotifyWindow(std::function<void()> onRepaint) {
    return MakeLoopNotifyWindow(loop_, std::move(onRepaint));
}

}  // namespace corvane::runtime
