#pragma once
// The platform's part of case folding and collation (runtime/posix,
// runtime/win32), used by the text helpers.
#include <string>

#include "runtime/Text.h"

namespace corvane::runtime {

// The case-folded form of a character outside ASCII.
char32_t FoldNonAscii(char32_t c);

// The code points of UTF-16 text (a lone surrogate becomes U+FFFD).
std::u32string ToCodePoints(TextView text);

}  // namespace corvane::runtime
