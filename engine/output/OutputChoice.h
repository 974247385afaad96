#pragma once
// The output a playback goes to, chosen by the environment variable
// CORVANEMP3_OUTPUT at every start:
//   unset or empty   the default audio device
//   null             discard the audio, paced in real time
//   wav:PATH         a 16-bit PCM WAV file of what would be heard, real time
//   wav-fast:PATH    the same, as fast as the machine goes
// Anything else names no output: starting then fails with 30101.
#include <memory>
#include <string>

#include "engine/output/AudioSink.h"

namespace corvane::engine {

struct OutputChoice {
    enum class Kind { kDevice, kNull, kWav, kWavFast, kUnknown };
    Kind kind = Kind::kDevice;
    std::string path;
};

OutputChoice ParseOutputChoice(const char *value);
OutputChoice OutputChoiceFromEnvironment();

// Makes the sink for a track at sampleRate; null with error set to 30101 when
// the output cannot be had. A device sink reports a missing device only when
// it is started.
std::unique_ptr<AudioSink> MakeSink(const OutputChoice &choice, int sampleRate, int &error);

}  // namespace corvane::engine
