#pragma once
#include <vector>

#include "runtime/ControlSite.h"

namespace corvane::runtime {

// A site for tests: records every notification, message box, extent and
// drawing, and raises events into a list; timers and notification windows run
// on the given loop.
class RecordingControlSite : public NativeControlSite {
public:
    struct DrawnBitmap {
        const Bitmap *bitmap;
        int32_t x, y;
    };
    struct ShownMessage {
        Text text, title;
        int32_t style;
    };

    explicit RecordingControlSite(MessageLoop &loop) : NativeControlSite(loop) {}

    void SetUserMode(bool userMode) { userMode_ = userMode; }
    bool UserMode() const override { return userMode_; }
    void PropertyChanged(const Text &name) override { changedProperties.push_back(name); }
    int32_t MessageBox(const Text &text, const Text &title, int32_t style) override {
        messages.push_back({text, title, style});
        return 1;
    }
    void DrawBitmap(const Bitmap &bitmap, int32_t x, int32_t y) override { drawn.push_back({&bitmap, x, y}); }
    void RaiseEvent(int32_t dispatchId, const Text &name) override {
        events.push_back(name);
        NativeControlSite::RaiseEvent(dispatchId, name);
    }

    std::vector<Text> changedProperties;
    std::vector<ShownMessage> messages;
    std::vector<DrawnBitmap> drawn;
    std::vector<Text> events;  // names of raised events, in order

private:
    bool userMode_ = true;
};

}  // namespace corvane::runtime
