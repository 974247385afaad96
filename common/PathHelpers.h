#pragma once
// Small text and path helpers of the play-list code. Positions are 1-based,
// 0 means "not found"; every comparison is exact. Paths follow the rules of
// the platform (common/PathRules.h).
#include <cstdint>
#include <optional>
#include <vector>

#include "runtime/Text.h"

namespace corvane::common {

using runtime::Text;

// Text cut to `length` characters, or filled on the right with `fill`
// repeated (length - its length) times.
Text PadToLength(const Text &text, const int16_t &length, const Text &fill);

// Position of the last match of searchText within the first `start`
// characters of text (all of it when start is not given); matches may
// overlap. 0 when none, and for an empty searchText.
int32_t FindLast(const Text &text, const Text &searchText, std::optional<int32_t> start = std::nullopt);

// The greatest FindLast position of any of the texts, 0 when none occurs.
int32_t FindLastOfAny(const Text &text, const std::vector<Text> &searchTexts);

// The folder part of a path. A trailing separator is removed from the
// caller's path itself (unless the path is a root: a drive root of at most 3
// characters on Windows, "/" elsewhere, which is returned unchanged).
Text GetParentFolder(Text &path);

// True when the path names an existing folder and no file. A drive root
// (X:\) is probed by opening X:\abc.rcr, only where drive letters exist.
bool DirectoryExists(const Text &path);

}  // namespace corvane::common
