#include "automation/win32/ServerControlSite.h"

namespace corvane::automation {

ServerControlSite::ServerControlSite(std::shared_ptr<runtime::MessageLoop> loop)
    : NativeControlSite(*loop), loop_(std::move(loop)) {}

void ServerControlSite::RaiseEvent(int32_t dispatchId, const runtime::Text &name) {
    NativeControlSite::RaiseEvent(dispatchId, name);
    if (onEvent_) onEvent_(dispatchId);
}

std::shared_ptr<runtime::MessageLoop> ServerControlSite::ThreadLoop() {
    // Kept until the thread ends: a control released from inside one of the
    // loop's own tasks must not take the loop with it.
    thread_local std::shared_ptr<runtime::MessageLoop> current;
    if (!current) current = std::make_shared<runtime::MessageLoop>();
    return current;
}

}  // namespace corvane::automation
