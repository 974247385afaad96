#include "support/RecordingControlSite.h"

namespace corvane::runtime {

int32_t RecordingControlSite::MessageBox(const Text &text, const Text &title, int32_t style) {
    messages.push_back({text, title, style});
    return 1;
}

void RecordingControlSite::RaiseEvent(int32_t dispatchId, const Text &name) {
    events.push_back(name);
    NativeControlSite::RaiseEvent(dispatchId, name);
}

}  // namespace corvane::runtime
