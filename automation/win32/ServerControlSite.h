#pragma once
// The site of a control the server made. Its timers and notification
// windows run on the message loop of the creating thread (one loop per
// thread, shared by the thread's controls and kept until the thread ends),
// and its events go to the control's connection points. Once a container
// gives the control its client site, the ambient user mode comes from the
// container, changed properties are announced to it, and drawing goes to the
// device context the container hands over for a paint.
#include <windows.h>
#include <ocidl.h>
#undef MessageBox  // the site's member of that name, not the Win32 macro

#include <functional>
#include <memory>

#include "runtime/ControlSite.h"
#include "runtime/MessageLoop.h"

namespace corvane::automation {

class ServerControlSite : public runtime::NativeControlSite {
public:
    using EventHandler = std::function<void(int32_t dispatchId)>;

    explicit ServerControlSite(std::shared_ptr<runtime::MessageLoop> loop = ThreadLoop());
    ~ServerControlSite() override;

    // Until set, events and property changes go nowhere.
    void OnEvent(EventHandler handler) { onEvent_ = std::move(handler); }
    void OnPropertyChanged(std::function<void()> handler) { onPropertyChanged_ = std::move(handler); }
    // Runs `task` on the loop, after the current message.
    void PostToLoop(std::function<void()> task) { loop_->Post(std::move(task)); }

    // The container's client site (null: none); the site keeps a reference.
    void SetClientSite(IOleClientSite *site);
    IOleClientSite *ClientSite() const { return clientSite_; }
    // Drawing goes to `dc`, the control's surface starting at `origin`,
    // until EndDrawing.
    void BeginDrawing(HDC dc, POINT origin);
    void EndDrawing();
    bool Dirty() const { return dirty_; }
    void SetDirty(bool dirty) { dirty_ = dirty; }

    void RaiseEvent(int32_t dispatchId, const runtime::Text &name) override;
    void PropertyChanged(const runtime::Text &name) override;
    bool UserMode() const override;
    int32_t TwipsPerPixelX() const override;
    int32_t TwipsPerPixelY() const override;
    void DrawBitmap(const runtime::Bitmap &bitmap, int32_t x, int32_t y) override;

    static std::shared_ptr<runtime::MessageLoop> ThreadLoop();

private:
    std::shared_ptr<runtime::MessageLoop> loop_;
    EventHandler onEvent_;
    std::function<void()> onPropertyChanged_;
    IOleClientSite *clientSite_ = nullptr;
    HDC drawTarget_ = nullptr;
    POINT origin_{};
    bool dirty_ = false;
};

}  // namespace corvane::automation
