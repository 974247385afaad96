#pragma once
// Everything the threads of one playback share: the host thread, the decode
// thread, the audio thread (the sink's callback or thread) and the analysis
// thread. Each field has one writer; the comments name it.
//
// engine/threads holds what the threads of a playback share: these channels,
// the ring buffer, the doorbell, the triple buffer, the heard block and the
// notifier; it includes engine/dsp (the settings).
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "engine/threads/Doorbell.h"
#include "engine/dsp/DspSettings.h"
#include "engine/threads/HeardBlock.h"
#include "engine/threads/RingBuffer.h"
#include "engine/threads/TripleBuffer.h"

namespace corvane::engine {

// A position mark in the decoded stream, written by the decode thread in the
// same order as the audio: from ring frame ringFrame on, the audio is the
// track from trackFrame on (a segment, after the start or a seek), or the
// track ends at ringFrame (the end of the stream).
struct StreamMark {
    enum Kind : uint32_t { kSegment, kEnd };
    Kind kind = kSegment;
    uint32_t epoch = 0;
    uint64_t ringFrame = 0;
    int64_t trackFrame = 0;
};

struct PlaybackChannels {
    // Throws std::bad_alloc when the buffers cannot be had.
    PlaybackChannels(int rate, size_t audioFrames, size_t heardBlocks)
        : sampleRate(rate), audio(2 * audioFrames), marks(64), heard(heardBlocks) {}

    const int sampleRate;

    RingBuffer<float> audio;        // decode -> audio: interleaved stereo
    RingBuffer<StreamMark> marks;   // decode -> audio
    RingBuffer<HeardBlock> heard;   // audio -> analysis

    // host -> decode, audio. A seek stores the target, then counts the epoch
    // up; the decoder answers with a segment mark of that epoch.
    std::atomic<int64_t> seekTarget{0};
    std::atomic<uint32_t> requestedEpoch{0};
    // host -> audio
    std::atomic<bool> pauseRequested{false};
    std::atomic<int64_t> fadeOutFrames{0};
    std::atomic<uint32_t> fadeOutSerial{0};
    TripleBuffer<DspTarget> dsp;
    std::atomic<bool> stopping{false};  // host -> everyone

    // audio -> host: the audio thread has gone quiet for a pause, at this
    // track frame (where playback goes on).
    std::atomic<bool> holding{false};
    std::atomic<int64_t> heldTrackFrame{0};
    // audio -> host, for measurements: steady-clock nanoseconds of the first
    // sound put out and of the latest return to silence.
    std::atomic<int64_t> firstSoundNs{0};
    std::atomic<int64_t> silentSinceNs{0};

    // analysis -> host: what is being heard.
    std::atomic<int64_t> heardTrackFrame{0};
    std::atomic<uint32_t> heardEpoch{0};
    std::atomic<bool> ended{false};

    Doorbell decoderBell;   // rung when there is room to decode or a request
    Doorbell sinkBell;      // rung when there is audio, room or a request
    Doorbell analysisBell;  // rung when heard blocks arrive
};

}  // namespace corvane::engine
