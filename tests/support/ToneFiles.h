#pragma once
// Test tones made at test time: synthesised (support/WavFile.h), written as
// a WAV file and encoded to MP3 with lame.
#include <string>

#include "support/WavFile.h"

namespace corvane::testing {

// Encodes audio as a 320 kbit/s MP3 and returns its path. Kept in the build
// folder (CORVANE_TONE_DIR overrides it, so that a Windows run under Wine
// finds the ones the Linux run made): the same audio is encoded once for all
// test programs and runs.
std::string EncodeMp3(const std::string &name, const WavAudio &audio);

// An MP3 of one sine at `hz`, peak `amplitude` in both channels, encoded
// once per run (and, like every tone, kept in the build folder).
const std::string &ToneTrack(double hz, double amplitude, double seconds);

// A fresh path for an output file of this run, in a folder that is removed
// at exit when every test passed.
std::string ScratchFile(const std::string &name);

}  // namespace corvane::testing
