#pragma once
// What a control asks of its container. The native host and the tests
// implement it here; the Windows layer implements it over the real container.
//
// runtime/ includes only decoder/ (the notification handle's type).
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "runtime/NotifyWindow.h"
#include "runtime/Text.h"
#include "runtime/Timer.h"

namespace corvane::runtime {

struct Bitmap;

// Message box styles (the automation runtime's values).
enum MessageBoxStyle : int32_t { kOkOnly = 0, kInformation = 64 };

class ControlSite {
public:
    virtual ~ControlSite() = default;

    // A persisted property changed: the container marks the saved state dirty.
    virtual void PropertyChanged(const Text &name) = 0;
    // The ambient user-mode flag: true while the host program runs, false in a
    // form designer.
    virtual bool UserMode() const = 0;
    // Sets the control's extent, in twips.
    virtual void SetExtent(int32_t widthTwips, int32_t heightTwips) = 0;
    // Twips per screen pixel (15 at 96 dots per inch).
    virtual int32_t TwipsPerPixelX() const = 0;
    virtual int32_t TwipsPerPixelY() const = 0;
    // Shows a modal message box; returns the button chosen (1 for OK).
    virtual int32_t MessageBox(const Text &text, const Text &title, int32_t style) = 0;
    // Draws a bitmap at (x, y) pixels of the control's surface.
    virtual void DrawBitmap(const Bitmap &bitmap, int32_t x, int32_t y) = 0;
    // Raises an event of the control to every connected sink.
    virtual void RaiseEvent(int32_t dispatchId, const Text &name) = 0;

    virtual std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) = 0;
    virtual std::unique_ptr<NotifyWindow> CreateNotifyWindow(std::function<void()> onRepaint) = 0;
};

class MessageLoop;

// The site of a control in a native host program: user mode, no drawing
// surface, 15 twips per pixel, timers and notification windows on the given
// loop. Events go to the sinks connected with Connect.
class NativeControlSite : public ControlSite {
public:
    using EventSink = std::function<void(int32_t dispatchId, const Text &name)>;

    explicit NativeControlSite(MessageLoop &loop);

    // Returns a cookie for Disconnect.
    int Connect(EventSink sink);
    void Disconnect(int cookie);

    void PropertyChanged(const Text &name) override;
    bool UserMode() const override { return true; }
    void SetExtent(int32_t widthTwips, int32_t heightTwips) override;
    int32_t TwipsPerPixelX() const override { return 15; }
    int32_t TwipsPerPixelY() const override { return 15; }
    int32_t MessageBox(const Text &text, const Text &title, int32_t style) override;
    void DrawBitmap(const Bitmap &bitmap, int32_t x, int32_t y) override;
    void RaiseEvent(int32_t dispatchId, const Text &name) override;
    std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) override;
    std::unique_ptr<NotifyWindow> CreateNotifyWindow(std::function<void()> onRepaint) override;

    int32_t ExtentWidth() const { return extentWidth_; }
    int32_t ExtentHeight() const { return extentHeight_; }

private:
    MessageLoop &loop_;
    std::vector<std::pair<int, EventSink>> sinks_;
    int nextCookie_ = 1;
    int32_t extentWidth_ = 0;
    int32_t extentHeight_ = 0;
};

}  // namespace corvane::runtime
