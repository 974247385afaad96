#pragma once
// The error numbers shared with the decoder library and their fixed messages.
//
// common/ holds what the components share (this catalogue, the genres, the
// enumerations of the object model, string and path helpers); it includes only
// runtime/.
#include <cstdint>

#include "runtime/Text.h"

namespace corvane::common {

using runtime::Text;

// The catalogue's message for a number; "Unknown error." for any number that
// has none. Pure: never raises.
Text GetErrorDescription(const int32_t &number);

// The source text of every catalogue raise.
inline constexpr char16_t kCatalogueSource[] = u"CVMP3Player";

// Raises `number` with the catalogue's message and the source "CVMP3Player".
[[noreturn]] void RaiseCatalogued(int32_t number);

}  // namespace corvane::common
