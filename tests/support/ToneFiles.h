#pragma once
// Test tones made at test time: synthesised, written as a WAV file and
// encoded to MP3 with lame.
#include <string>
#include <vector>

#include "support/WavFile.h"

namespace corvane::testing {

struct Partial {
    double hz = 1000.0;
    double left = 0.5;   // peak amplitude, 1.0 = full scale
    double right = 0.5;
};

// Interleaved stereo sum of sines (mono when channels is 1, from `left`).
WavAudio SynthesizeTones(const std::vector<Partial> &partials, double seconds, int sampleRate = 44100,
                         int channels = 2);
// A sine sweeping exponentially from fromHz to toHz: every moment sounds
// different, so a misplaced stretch shows.
WavAudio SynthesizeSweep(double fromHz, double toHz, double amplitude, double seconds, int sampleRate = 44100);
// Appends b to a (same format).
WavAudio Concatenate(const WavAudio &a, const WavAudio &b);

// Encodes audio as a 320 kbit/s MP3 and returns its path. Kept in the build
// folder: the same audio is encoded once for all test programs and runs.
std::string EncodeMp3(const std::string &name, const WavAudio &audio);

// An MP3 of one sine at `hz`, peak `amplitude` in both channels, encoded
// once per run (and, like every tone, kept in the build folder).
const std::string &ToneTrack(double hz, double amplitude, double seconds);

// A fresh path for an output file of this run, in a folder that is removed
// at exit when every test passed.
std::string ScratchFile(const std::string &name);

}  // namespace corvane::testing
