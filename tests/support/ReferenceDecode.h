#pragma once
// The reference the engine's 16-bit output is held to: libmpg123's own
// 16-bit stereo decode of a file, gapless as the engine plays it.
#include <cstdint>
#include <string>
#include <vector>

namespace corvane::testing {

// Interleaved stereo; empty when the file cannot be decoded.
std::vector<int16_t> ReferenceSixteenBit(const std::string &path);

}  // namespace corvane::testing
