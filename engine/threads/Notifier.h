#pragma once
// The host's notification handle, given to play_mp3 and signalled from any
// thread of the library when new analysis data or a new state is ready.
#include <atomic>

#include "decoder/CorvaneMP3.h"

namespace corvane::engine {

// The platform's way of signalling a handle (threads/posix, threads/win32).
void SignalNotifyHandle(CorvaneNotifyHandle handle);

class Notifier {
public:
    void SetTarget(CorvaneNotifyHandle target) { target_.store(target, std::memory_order_release); }
    void Signal() const {
        if (CorvaneNotifyHandle target = target_.load(std::memory_order_acquire)) SignalNotifyHandle(target);
    }

private:
    std::atomic<CorvaneNotifyHandle> target_{nullptr};
};

}  // namespace corvane::engine
