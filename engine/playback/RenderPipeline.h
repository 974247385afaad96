#pragma once
// The audio thread's half of playback: takes decoded audio from the ring,
// follows seeks, applies the equalizer, gains, fades and pause ramps, hands a
// copy of every block to the analysis, and finds the end of the track. Runs
// inside the sink's callback: no locks, no allocation, no files.
#include <cstddef>
#include <cstdint>

#include "engine/output/AudioSink.h"
#include "engine/dsp/DspChain.h"
#include "engine/dsp/DspGainRamp.h"
#include "engine/threads/PlaybackChannels.h"

namespace corvane::engine {

class RenderPipeline final : public RenderSource {
public:
    RenderPipeline(PlaybackChannels &channels, const DspTarget &initial, double fadeInSeconds);

    RenderResult Render(float *stereo, size_t frames, double heardAt, RenderMode mode) override;
    bool MarkEnd(double heardAt) override;
    void WakeWorkers() override;
    void WaitForWork(std::chrono::microseconds timeout) override;

private:
    bool FollowSeek();
    void TakeMarks();
    void TakeRequests();
    bool ReachedHold(bool quietNow);
    void Hold();
    size_t ReadyFrames() const;
    bool AtEnd() const;
    size_t PlayChunk(float *stereo, size_t frames, double heardAt, RenderMode mode);
    void ApplyEnvelope(const float *in, float *out, size_t frames, float *copy);
    void PassToAnalysis(HeardBlock &block, size_t frames, int64_t trackFrame, double heardAt);
    int64_t TrackFrame() const;
    uint64_t ReadFrame() const { return channels_.audio.ReadIndex() / 2; }
    double HeardAtOffset(double heardAt, size_t frames) const;

    PlaybackChannels &channels_;
    DspChain dsp_;
    DspGainRamp fade_;
    DspGainRamp pause_;
    int pauseRampFrames_;

    uint32_t epoch_ = 0;
    uint64_t segmentRingFrame_ = 0;
    int64_t segmentTrackFrame_ = 0;
    uint64_t endRingFrame_ = UINT64_MAX;

    uint32_t fadeOutSerialSeen_ = 0;
    bool fadingOut_ = false;
    bool pauseSeen_ = false;
    bool ended_ = false;
    bool endMarked_ = false;
    bool soundStarted_ = false;
};

}  // namespace corvane::engine
