#include "engine/playback/RenderPipeline.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace corvane::engine {

namespace {

constexpr int kPauseRampMilliseconds = 5;
constexpr size_t kAnalysisBatchBlocks = 128;

// Decaying filter states must not fall into denormal numbers, which are
// many times slower to compute with.
void FlushDenormalsToZero() {
#if defined(__SSE__)
    _mm_setcsr(_mm_getcsr() | 0x8040);  // flush-to-zero and denormals-are-zero
#endif
}

int64_t SteadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

RenderPipeline::RenderPipeline(PlaybackChannels &channels, const DspTarget &initial, double fadeInSeconds)
    : channels_(channels),
      dsp_(channels.sampleRate),
      fade_(1.0f),
      pause_(1.0f),
      pauseRampFrames_(std::max(1, channels.sampleRate * kPauseRampMilliseconds / 1000)) {
    dsp_.Snap(initial);
    if (fadeInSeconds > 0.0) {
        fade_.Jump(0.0f);
        fade_.RampTo(1.0f, std::llround(fadeInSeconds * channels.sampleRate));
    }
}

RenderResult RenderPipeline::Render(float *stereo, size_t frames, double heardAt, RenderMode mode) {
    FlushDenormalsToZero();
    RenderResult result;
    if (!ended_) {
        TakeRequests();
        while (!ended_ && result.frames < frames) {
            const bool positioned = FollowSeek();
            if (ReachedHold(mode == RenderMode::kRealTime || !positioned)) {
                // Only once the sink has put out the end of the ramp (it
                // comes back for more) is the output quiet.
                if (result.frames == 0) Hold();
                result.holding = true;
                break;
            }
            if (!positioned) break;
            if (ReadyFrames() == 0) {
                ended_ = AtEnd();
                break;
            }
            const size_t played = PlayChunk(stereo + 2 * result.frames, frames - result.frames,
                                            HeardAtOffset(heardAt, result.frames), mode);
            if (played == 0) break;
            result.frames += played;
            if (fadingOut_ && fade_.Settled() && fade_.Value() == 0.0f) ended_ = true;
        }
        if (!result.holding && channels_.holding.load(std::memory_order_relaxed)) {
            channels_.holding.store(false, std::memory_order_release);
        }
    }
    result.ended = ended_;
    if (mode == RenderMode::kRealTime && !result.ended && !result.holding && result.frames < frames) {
        // Nothing ready in time (after a seek, or a decoder that fell behind).
        std::memset(stereo + 2 * result.frames, 0, 2 * (frames - result.frames) * sizeof(float));
        result.frames = frames;
    }
    return result;
}

bool RenderPipeline::MarkEnd(double heardAt) {
    if (endMarked_) return true;
    HeardBlock *block = channels_.heard.NextSlot();
    if (block == nullptr) return false;
    block->kind = HeardBlock::kEnd;
    block->frames = 0;
    block->epoch = epoch_;
    block->trackFrame = TrackFrame();
    block->heardAt = heardAt;
    channels_.heard.CommitWrite(1);
    endMarked_ = true;
    return true;
}

// The analysis looks for work on its own every few milliseconds; it is
// rung only when a batch is waiting, or the end, so that a fast output does
// not wake it for every block.
void RenderPipeline::WakeWorkers() {
    if (endMarked_ || channels_.heard.ReadableCount() >= kAnalysisBatchBlocks) channels_.analysisBell.Ring();
    if (channels_.audio.WritableCount() >= channels_.audio.Capacity() / 4) channels_.decoderBell.Ring();
}

void RenderPipeline::WaitForWork(std::chrono::microseconds timeout) { channels_.sinkBell.WaitFor(timeout); }

// Returns true when the audio in the ring belongs to the position the host
// asked for last; until the decoder has answered a seek, everything in the
// ring is from before it and is thrown away.
bool RenderPipeline::FollowSeek() {
    const uint32_t requested = channels_.requestedEpoch.load(std::memory_order_acquire);
    if (requested == epoch_) {
        TakeMarks();
        return true;
    }
    // Read how far the audio goes before looking at the marks: audio written
    // after a new segment's mark is only visible after the mark itself.
    const uint64_t published = channels_.audio.PublishedIndex();
    while (const StreamMark *mark = channels_.marks.Front()) {
        if (mark->epoch == requested && mark->kind == StreamMark::kSegment) {
            channels_.audio.SkipTo(2 * mark->ringFrame);
            epoch_ = requested;
            segmentRingFrame_ = mark->ringFrame;
            segmentTrackFrame_ = mark->trackFrame;
            endRingFrame_ = UINT64_MAX;
            channels_.marks.PopFront();
            TakeMarks();
            return true;
        }
        if (mark->epoch > requested) {
            // The decoder already answers a later seek than we have seen.
            channels_.audio.SkipTo(2 * mark->ringFrame);
            return false;
        }
        channels_.marks.PopFront();
    }
    channels_.audio.SkipTo(published);
    return false;
}

void RenderPipeline::TakeMarks() {
    while (const StreamMark *mark = channels_.marks.Front()) {
        if (mark->epoch > epoch_) return;  // answers a seek; FollowSeek takes it
        if (mark->epoch == epoch_) {
            if (mark->kind == StreamMark::kEnd) {
                endRingFrame_ = mark->ringFrame;
            } else {
                segmentRingFrame_ = mark->ringFrame;
                segmentTrackFrame_ = mark->trackFrame;
            }
        }
        channels_.marks.PopFront();
    }
}

void RenderPipeline::TakeRequests() {
    if (const DspTarget *target = channels_.dsp.TakeNewest()) dsp_.RampTo(*target);

    const bool pause = channels_.pauseRequested.load(std::memory_order_acquire);
    if (pause != pauseSeen_) {
        pauseSeen_ = pause;
        pause_.RampTo(pause ? 0.0f : 1.0f, pauseRampFrames_);
    }

    const uint32_t serial = channels_.fadeOutSerial.load(std::memory_order_acquire);
    if (serial != fadeOutSerialSeen_) {
        fadeOutSerialSeen_ = serial;
        fadingOut_ = true;
        fade_.RampTo(0.0f, channels_.fadeOutFrames.load(std::memory_order_relaxed));
        if (fade_.Settled()) ended_ = true;  // a fade of no length ends at once
    }
}

// quietNow: when no audio is ready, the output is silent already (it
// would be filled with silence), so a pause need not wait to ramp down.
bool RenderPipeline::ReachedHold(bool quietNow) {
    if (!pauseSeen_) return false;
    if (ReadyFrames() == 0 && (quietNow || AtEnd())) pause_.Jump(0.0f);
    return pause_.Settled() && pause_.Value() == 0.0f;
}

void RenderPipeline::Hold() {
    if (channels_.holding.load(std::memory_order_relaxed)) return;
    channels_.heldTrackFrame.store(TrackFrame(), std::memory_order_relaxed);
    channels_.silentSinceNs.store(SteadyNanoseconds(), std::memory_order_relaxed);
    channels_.holding.store(true, std::memory_order_release);
}

size_t RenderPipeline::ReadyFrames() const {
    const uint64_t read = ReadFrame();
    const uint64_t available = channels_.audio.ReadableCount() / 2;
    if (endRingFrame_ == UINT64_MAX) return available;
    return static_cast<size_t>(std::min<uint64_t>(available, endRingFrame_ > read ? endRingFrame_ - read : 0));
}

bool RenderPipeline::AtEnd() const { return endRingFrame_ != UINT64_MAX && ReadFrame() >= endRingFrame_; }

int64_t RenderPipeline::TrackFrame() const {
    return segmentTrackFrame_ + static_cast<int64_t>(ReadFrame() - segmentRingFrame_);
}

double RenderPipeline::HeardAtOffset(double heardAt, size_t frames) const {
    return heardAt > 0.0 ? heardAt + static_cast<double>(frames) / channels_.sampleRate : 0.0;
}

// Plays one stretch of at most one analysis block; returns the frames put
// out, 0 when nothing could be (the analysis is full in kComplete mode).
size_t RenderPipeline::PlayChunk(float *stereo, size_t frames, double heardAt, RenderMode mode) {
    if (mode == RenderMode::kComplete && channels_.heard.WritableCount() == 0) return 0;
    const std::span<const float> region = channels_.audio.ReadRegion();
    size_t count = std::min({frames, ReadyFrames(), region.size() / 2, static_cast<size_t>(kHeardBlockFrames)});
    if (pauseSeen_ && !pause_.Settled()) count = std::min<size_t>(count, pause_.Remaining());
    if (fadingOut_ && !fade_.Settled()) count = std::min<size_t>(count, fade_.Remaining());
    if (count == 0) return 0;

    const int64_t trackFrame = TrackFrame();
    // Without equalizer or gain the ring's samples go straight through the
    // envelope: one pass over them instead of a copy and a pass.
    const float *source = region.data();
    if (!dsp_.IsIdentity()) {
        std::memcpy(stereo, source, 2 * count * sizeof(float));
        dsp_.Process(stereo, count);
        source = stereo;
    }
    // The analysis gets its copy from the same pass; without room it skips
    // this block.
    HeardBlock *heard = channels_.heard.NextSlot();
    ApplyEnvelope(source, stereo, count, heard != nullptr ? heard->samples : nullptr);
    channels_.audio.CommitRead(2 * count);
    if (heard != nullptr) PassToAnalysis(*heard, count, trackFrame, heardAt);
    if (!soundStarted_) {
        soundStarted_ = true;
        channels_.firstSoundNs.store(SteadyNanoseconds(), std::memory_order_relaxed);
    }
    return count;
}

// Fades and pause ramps, then the limits of what an output can carry; `in`
// may be `out`, and `copy`, when given, gets what `out` gets.
void RenderPipeline::ApplyEnvelope(const float *in, float *out, size_t frames, float *copy) {
    if (!fade_.IsUnity() || !pause_.IsUnity()) {
        for (size_t frame = 0; frame < frames; ++frame) {
            const float gain = fade_.Next() * pause_.Next();
            out[2 * frame] = in[2 * frame] * gain;
            out[2 * frame + 1] = in[2 * frame + 1] * gain;
        }
        in = out;
    }
    size_t i = 0;
#if defined(__SSE__)
    const __m128 low = _mm_set1_ps(-1.0f), high = _mm_set1_ps(1.0f);
    for (; i + 4 <= 2 * frames; i += 4) {
        const __m128 limited = _mm_min_ps(_mm_max_ps(_mm_loadu_ps(in + i), low), high);
        _mm_storeu_ps(out + i, limited);
        if (copy != nullptr) _mm_storeu_ps(copy + i, limited);
    }
#endif
    for (; i < 2 * frames; ++i) {
        // As the vector form does, a NaN comes out as -1.
        const float limited = in[i] >= -1.0f ? std::min(in[i], 1.0f) : -1.0f;
        out[i] = limited;
        if (copy != nullptr) copy[i] = limited;
    }
}

void RenderPipeline::PassToAnalysis(HeardBlock &block, size_t frames, int64_t trackFrame, double heardAt) {
    block.kind = HeardBlock::kAudio;
    block.frames = static_cast<uint32_t>(frames);
    block.epoch = epoch_;
    block.trackFrame = trackFrame;
    block.heardAt = heardAt;
    channels_.heard.CommitWrite(1);
}

}  // namespace corvane::engine
