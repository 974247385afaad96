#pragma once
// Hands the latest value from one writer thread to one reader thread without
// locks: the writer fills a spare slot and swaps it in; the reader swaps the
// newest slot out when there is one. Values in between may be skipped.
#include <array>
#include <atomic>
#include <cstdint>

namespace corvane::engine {

template <class T>
class TripleBuffer {
public:
    // Writer: the slot to fill, then Publish().
    T &Back() { return slots_[back_]; }
    void Publish() {
        const uint8_t previous = middle_.exchange(static_cast<uint8_t>(back_ | kFresh), std::memory_order_acq_rel);
        back_ = previous & kIndexMask;
    }

    // Reader: takes the newest published value, if one arrived since the
    // last call; returns null otherwise.
    const T *TakeNewest() {
        if ((middle_.load(std::memory_order_relaxed) & kFresh) == 0) return nullptr;
        const uint8_t previous = middle_.exchange(front_, std::memory_order_acq_rel);
        front_ = previous & kIndexMask;
        return &slots_[front_];
    }

private:
    static constexpr uint8_t kFresh = 0x4;
    static constexpr uint8_t kIndexMask = 0x3;
    std::array<T, 3> slots_{};
    uint8_t back_ = 0;                // writer's own
    uint8_t front_ = 1;               // reader's own
    std::atomic<uint8_t> middle_{2};  // shared; kFresh when it holds a new value
};

}  // namespace corvane::engine
