#include "engine/playback/DecodeWorker.h"

#include "engine/PlatformFile.h"

#include <algorithm>

#include <chrono>

namespace corvane::engine {

namespace {

using namespace std::chrono_literals;

constexpr size_t kChunkFrames = 4096;
// Decoding waits until this share of the ring is free, then fills it in one
// burst: few wake-ups while playing in real time.
constexpr size_t kRefillDivisor = 4;

}  // namespace

DecodeWorker::DecodeWorker(StreamDecoder &decoder, PlaybackChannels &channels, std::chrono::milliseconds pollPeriod)
    : decoder_(decoder), channels_(channels), pollPeriod_(pollPeriod) {}

DecodeWorker::~DecodeWorker() { Join(); }

void DecodeWorker::Prime(size_t frames) {
    PushMark({StreamMark::kSegment, 0, 0, decoder_.Position()});
    size_t decoded = 0;
    while (decoded < frames && !ended_) {
        const size_t before = channels_.audio.ReadableCount();
        if (!DecodeInto(std::min(kChunkFrames, frames - decoded))) break;
        decoded += (channels_.audio.ReadableCount() - before) / 2;
    }
}

void DecodeWorker::Start() { thread_ = std::thread([this] {
        NameThisThread("cvmp3-decode");
        Run();
    }); }

void DecodeWorker::Join() {
    if (thread_.joinable()) thread_.join();
}

void DecodeWorker::Run() {
    const size_t refillFrames = channels_.audio.Capacity() / 2 / kRefillDivisor;
    while (!Stopping()) {
        FollowSeek();
        if (ended_ || channels_.audio.WritableCount() / 2 < refillFrames) {
            channels_.decoderBell.WaitFor(pollPeriod_);
            continue;
        }
        while (!Stopping() && channels_.audio.WritableCount() / 2 >= kChunkFrames / 4 &&
               channels_.requestedEpoch.load(std::memory_order_acquire) == epoch_) {
            if (!DecodeInto(kChunkFrames)) break;
            // A sink that drained the ring is woken once half of it is
            // ready to play, not for every chunk: fewer switches between
            // the threads when the output runs as fast as it can.
            if (channels_.audio.ReadableCount() >= channels_.audio.Capacity() / 2) {
                channels_.sinkBell.Ring();
            }
        }
        channels_.sinkBell.Ring();
    }
}

void DecodeWorker::FollowSeek() {
    const uint32_t requested = channels_.requestedEpoch.load(std::memory_order_acquire);
    if (requested == epoch_) return;
    const int64_t target = channels_.seekTarget.load(std::memory_order_relaxed);
    epoch_ = requested;
    ended_ = false;
    const bool sought = decoder_.Seek(target);
    const uint64_t ringFrame = channels_.audio.WriteIndex() / 2;
    if (!PushMark({StreamMark::kSegment, epoch_, ringFrame, decoder_.Position()})) return;
    if (!sought) MarkEnd();  // a stream that cannot seek plays no further
    channels_.sinkBell.Ring();
}

bool DecodeWorker::DecodeInto(size_t maxFrames) {
    if (ended_) return false;
    const std::span<float> region = channels_.audio.WriteRegion();
    const size_t frames = std::min(region.size() / 2, maxFrames);
    if (frames == 0) return true;
    const size_t decoded = decoder_.Read(region.data(), frames);
    if (decoded == 0) {
        MarkEnd();
        return false;
    }
    channels_.audio.CommitWrite(2 * decoded);
    return true;
}

void DecodeWorker::MarkEnd() {
    ended_ = true;
    PushMark({StreamMark::kEnd, epoch_, channels_.audio.WriteIndex() / 2, decoder_.Position()});
}

// Marks are few and the audio thread takes them on every block, so the
// queue is full only while nothing plays; wait for room then.
bool DecodeWorker::PushMark(const StreamMark &mark) {
    while (!channels_.marks.Push(mark)) {
        if (Stopping()) return false;
        channels_.decoderBell.WaitFor(5ms);
    }
    return true;
}

}  // namespace corvane::engine
