#include "engine/threads/Notifier.h"

#include <windows.h>

namespace corvane::engine {

void SignalNotifyHandle(CorvaneNotifyHandle handle) {
    static const UINT message = RegisterWindowMessageA(CORVANE_NOTIFY_MESSAGE);
    PostMessageA(handle, message, 0, 0);
}

}  // namespace corvane::engine
