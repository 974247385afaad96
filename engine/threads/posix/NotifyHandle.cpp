#include "engine/threads/Notifier.h"

namespace corvane::engine {

void SignalNotifyHandle(CorvaneNotifyHandle handle) {
    if (handle->invalidate != nullptr) handle->invalidate(handle);
}

}  // namespace corvane::engine
