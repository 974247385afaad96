#pragma once
// The host's notification handle, given to play_mp3 and signalled from any
// thread of the library when new analysis data or a new state is ready.
#include <atomic>

#include "decoder/CorvaneMP3.h"

namespace corvane::engine {

class Notifier {
public:
    void SetTarget(CorvaneNotifyHandle target) { target_.store(target, std::memory_order_release); }
    void Signal() const {
        CorvaneNotifyHandle target = target_.load(std::memory_order_acquire);
        if (target != nullptr && target->invalidate != nullptr) target->invalidate(target);
    }

private:
    std::atomic<CorvaneNotifyHandle> target_{nullptr};
};

}  // namespace corvane::engine
