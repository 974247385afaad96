#pragma once
// A copy of a stretch of what the sink played, handed from the audio thread
// to the analysis thread in the order it was played.
#include <cstdint>

namespace corvane::engine {

constexpr uint32_t kHeardBlockFrames = 256;

struct HeardBlock {
    enum Kind : uint32_t {
        kAudio,  // frames of the track, starting at trackFrame
        kEnd,    // the track ended here: its last sample, or a fade-out's silence
    };
    Kind kind = kAudio;
    uint32_t frames = 0;
    uint32_t epoch = 0;  // which seek the frames follow (PlaybackChannels)
    int64_t trackFrame = 0;
    // When the first frame reaches the listener on the sink's clock
    // (AudioSink::ClockNow); 0 when it is heard as soon as it is played.
    double heardAt = 0.0;
    float samples[2 * kHeardBlockFrames];
};

}  // namespace corvane::engine
