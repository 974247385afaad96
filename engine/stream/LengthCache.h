#pragma once
// The exact length a frame scan found, kept per file version, so that a file
// whose frame information was read is not scanned again when it is played:
// one scan per file. Bounded; the oldest entries go first.
#include <cstdint>
#include <optional>

#include "engine/PlatformFile.h"

namespace corvane::engine {

struct ScannedLength {
    int64_t samples = 0;
    bool gapless = false;  // the encoder's delay and padding are left out
};

std::optional<ScannedLength> CachedLength(const FileIdentity &file);
void RememberLength(const FileIdentity &file, ScannedLength length);

}  // namespace corvane::engine
