#pragma once
// The analysis thread of one playback. It takes the copies of what the sink
// played, waits until each is heard (on the sink's clock), and then: moves
// the heard position on, completes an analysis snapshot at every interval of
// heard audio and signals the host, and at the end of the track reports the
// end and signals the host once more.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>

#include "engine/analysis/Analysis.h"
#include "engine/output/AudioSink.h"
#include "engine/threads/Notifier.h"
#include "engine/threads/PlaybackChannels.h"

namespace corvane::engine {

class AnalysisWorker {
public:
    AnalysisWorker(PlaybackChannels &channels, AudioSink &sink, const Notifier &notifier,
                   const std::atomic<int> &intervalMilliseconds);
    ~AnalysisWorker();
    AnalysisWorker(const AnalysisWorker &) = delete;
    AnalysisWorker &operator=(const AnalysisWorker &) = delete;

    void Start();
    void Join();

    // The latest completed snapshot (all zero before the first).
    void CopySnapshot(AnalysisSnapshot &out) const;

private:
    void Run();
    bool WaitUntilHeard(double heardAt);
    void TakeAudio(const HeardBlock &block);
    void TakeEnd(const HeardBlock &block);
    void PublishSnapshot();
    int64_t IntervalFrames() const;
    std::chrono::microseconds PollPeriod() const;
    bool Stopping() const { return channels_.stopping.load(std::memory_order_acquire); }

    PlaybackChannels &channels_;
    AudioSink &sink_;
    const Notifier &notifier_;
    const std::atomic<int> &intervalMilliseconds_;
    Analyzer analyzer_;
    int64_t framesInInterval_ = 0;
    bool ended_ = false;
    mutable std::mutex snapshotMutex_;
    AnalysisSnapshot snapshot_;
    AnalysisSnapshot scratch_;
    std::thread thread_;
};

}  // namespace corvane::engine
