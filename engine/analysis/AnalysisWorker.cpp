#include "engine/analysis/AnalysisWorker.h"

#include "engine/PlatformFile.h"

#include <algorithm>

#include <chrono>

namespace corvane::engine {

namespace {

using namespace std::chrono_literals;

// A device's clock is trusted this far ahead; a block that claims to be
// heard later than this is taken as heard now.
constexpr double kLongestOutputDelay = 2.0;
// Free blocks below which the output may be waiting for room.
constexpr size_t kRoomWanted = 32;

}  // namespace

AnalysisWorker::AnalysisWorker(PlaybackChannels &channels, AudioSink &sink, const Notifier &notifier,
                               const std::atomic<int> &intervalMilliseconds)
    : channels_(channels), sink_(sink), notifier_(notifier), intervalMilliseconds_(intervalMilliseconds) {}

AnalysisWorker::~AnalysisWorker() { Join(); }

void AnalysisWorker::Start() { thread_ = std::thread([this] {
        NameThisThread("cvmp3-analysis");
        Run();
    }); }

void AnalysisWorker::Join() {
    if (thread_.joinable()) thread_.join();
}

void AnalysisWorker::CopySnapshot(AnalysisSnapshot &out) const {
    std::lock_guard lock(snapshotMutex_);
    out = snapshot_;
}

void AnalysisWorker::Run() {
    while (!Stopping()) {
        const HeardBlock *block = channels_.heard.Front();
        if (block == nullptr || ended_) {
            channels_.analysisBell.WaitFor(PollPeriod());
            continue;
        }
        if (!WaitUntilHeard(block->heardAt)) continue;
        if (block->kind == HeardBlock::kEnd) {
            TakeEnd(*block);
        } else {
            TakeAudio(*block);
        }
        // An output that found no room for its copies waits for this.
        const bool wasFull = channels_.heard.WritableCount() < kRoomWanted;
        channels_.heard.PopFront();
        if (wasFull) channels_.sinkBell.Ring();
    }
}

// Sleeps until the block reaches the listener; false when stopping first.
bool AnalysisWorker::WaitUntilHeard(double heardAt) {
    if (heardAt <= 0.0) return true;
    double now = sink_.ClockNow();
    if (now <= 0.0 || heardAt - now > kLongestOutputDelay) return true;
    while (now < heardAt) {
        if (Stopping()) return false;
        const auto wait = std::chrono::duration<double>(std::min(heardAt - now, 0.005));
        std::this_thread::sleep_for(wait);
        now = sink_.ClockNow();
    }
    return true;
}

void AnalysisWorker::TakeAudio(const HeardBlock &block) {
    const int64_t interval = IntervalFrames();
    uint32_t done = 0;
    while (done < block.frames) {
        const int64_t room = std::max<int64_t>(interval - framesInInterval_, 1);
        const uint32_t count = static_cast<uint32_t>(std::min<int64_t>(block.frames - done, room));
        analyzer_.Add(block.samples + 2 * done, count);
        done += count;
        framesInInterval_ += count;
        if (framesInInterval_ >= interval) {
            PublishSnapshot();
            framesInInterval_ = 0;
            notifier_.Signal();
        }
    }
    channels_.heardTrackFrame.store(block.trackFrame + block.frames, std::memory_order_relaxed);
    channels_.heardEpoch.store(block.epoch, std::memory_order_release);
}

void AnalysisWorker::TakeEnd(const HeardBlock &block) {
    ended_ = true;
    channels_.heardTrackFrame.store(block.trackFrame, std::memory_order_relaxed);
    channels_.heardEpoch.store(block.epoch, std::memory_order_release);
    channels_.ended.store(true, std::memory_order_release);
    notifier_.Signal();
}

void AnalysisWorker::PublishSnapshot() {
    analyzer_.TakeSnapshot(scratch_);
    std::lock_guard lock(snapshotMutex_);
    snapshot_ = scratch_;
}

// Once per interval delivers every interval, and is few enough wake-ups to
// cost next to nothing while playing (the end rings at once).
std::chrono::microseconds AnalysisWorker::PollPeriod() const {
    const int milliseconds = intervalMilliseconds_.load(std::memory_order_relaxed);
    return std::chrono::milliseconds(std::clamp(milliseconds, 10, 100));
}

int64_t AnalysisWorker::IntervalFrames() const {
    const int64_t milliseconds = intervalMilliseconds_.load(std::memory_order_relaxed);
    return std::max<int64_t>(1, milliseconds * channels_.sampleRate / 1000);
}

}  // namespace corvane::engine
