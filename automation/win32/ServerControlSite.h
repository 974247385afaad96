#pragma once
// The site of a control the server made: its timers and notification
// windows run on the message loop of the creating thread (one loop per
// thread, shared by the thread's controls and kept until the thread ends),
// and its events go to the control's connection points.
#include <functional>
#include <memory>

#include "runtime/ControlSite.h"
#include "runtime/MessageLoop.h"

namespace corvane::automation {

class ServerControlSite : public runtime::NativeControlSite {
public:
    using EventHandler = std::function<void(int32_t dispatchId)>;

    explicit ServerControlSite(std::shared_ptr<runtime::MessageLoop> loop = ThreadLoop());

    // Until set, events go nowhere.
    void OnEvent(EventHandler handler) { onEvent_ = std::move(handler); }
    void RaiseEvent(int32_t dispatchId, const runtime::Text &name) override;
    // Runs `task` on the loop, after the current message.
    void PostToLoop(std::function<void()> task) { loop_->Post(std::move(task)); }

    static std::shared_ptr<runtime::MessageLoop> ThreadLoop();

private:
    std::shared_ptr<runtime::MessageLoop> loop_;
    EventHandler onEvent_;
};

}  // namespace corvane::automation
