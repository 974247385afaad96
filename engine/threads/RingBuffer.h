#pragma once
// A single-producer, single-consumer ring of trivially copyable elements.
// Exactly one thread writes and exactly one other thread reads; neither side
// ever blocks, locks or allocates, so the audio callback may be either side.
#include <algorithm>
#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <type_traits>

namespace corvane::engine {

template <class T>
class RingBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    // The capacity is rounded up to a power of two. Throws std::bad_alloc.
    explicit RingBuffer(size_t minimumCapacity)
        : capacity_(std::bit_ceil(std::max<size_t>(minimumCapacity, 2))),
          slots_(std::make_unique<T[]>(capacity_)) {}

    RingBuffer(const RingBuffer &) = delete;
    RingBuffer &operator=(const RingBuffer &) = delete;

    size_t Capacity() const { return capacity_; }

    // --- producer side -------------------------------------------------
    // Elements ever written; the index the next written element will have.
    uint64_t WriteIndex() const { return write_.load(std::memory_order_relaxed); }
    size_t WritableCount() const {
        return capacity_ - static_cast<size_t>(WriteIndex() - read_.load(std::memory_order_acquire));
    }
    // The contiguous free space after the last written element; may be
    // shorter than WritableCount where the storage wraps.
    std::span<T> WriteRegion() {
        const uint64_t write = WriteIndex();
        const size_t offset = static_cast<size_t>(write & (capacity_ - 1));
        return {slots_.get() + offset, std::min(WritableCount(), capacity_ - offset)};
    }
    void CommitWrite(size_t count) { write_.store(WriteIndex() + count, std::memory_order_release); }
    // The next free slot, or null when the ring is full; CommitWrite(1)
    // publishes it.
    T *NextSlot() {
        const std::span<T> region = WriteRegion();
        return region.empty() ? nullptr : region.data();
    }
    bool Push(const T &value) {
        T *slot = NextSlot();
        if (slot == nullptr) return false;
        *slot = value;
        CommitWrite(1);
        return true;
    }

    // --- consumer side -------------------------------------------------
    uint64_t ReadIndex() const { return read_.load(std::memory_order_relaxed); }
    // Elements written so far, as the consumer sees them.
    uint64_t PublishedIndex() const { return write_.load(std::memory_order_acquire); }
    size_t ReadableCount() const { return static_cast<size_t>(PublishedIndex() - ReadIndex()); }
    std::span<const T> ReadRegion() const {
        const uint64_t read = ReadIndex();
        const size_t offset = static_cast<size_t>(read & (capacity_ - 1));
        return {slots_.get() + offset, std::min(ReadableCount(), capacity_ - offset)};
    }
    void CommitRead(size_t count) { read_.store(ReadIndex() + count, std::memory_order_release); }
    // Discards everything before index (never beyond what was written).
    void SkipTo(uint64_t index) {
        const uint64_t target = std::min(index, PublishedIndex());
        if (target > ReadIndex()) read_.store(target, std::memory_order_release);
    }
    const T *Front() const {
        const std::span<const T> region = ReadRegion();
        return region.empty() ? nullptr : region.data();
    }
    void PopFront() { CommitRead(1); }

private:
    const size_t capacity_;
    std::unique_ptr<T[]> slots_;
    alignas(64) std::atomic<uint64_t> write_{0};
    alignas(64) std::atomic<uint64_t> read_{0};
};

}  // namespace corvane::engine
