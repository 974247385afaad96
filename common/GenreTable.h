#pragma once
// Names of the ID3 version 1 genres 0 to 148.
#include <cstdint>

#include "runtime/Text.h"

namespace corvane::common {

inline constexpr int16_t kGenreCount = 149;

// The name of genre 0 to 148; empty text for any other number.
runtime::Text GetGenreName(const int16_t &genre);

// The GenreList member of the player and of a play-list entry: the genre's
// name (empty outside 0 to 148); raises 30103 only if the lookup fails.
runtime::Text GenreList(const int16_t &genre);

}  // namespace corvane::common
