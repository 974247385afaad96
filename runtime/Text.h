#pragma once
// Text in the object model is a string of 16-bit characters, as the
// automation surface carries it. Text crosses to the decoder library and to
// files as 8-bit text: UTF-8 for file names and play-list lines on Linux (the
// ANSI code page on Windows), and single-byte Latin-1 for the ID3 tag block so
// that 128 characters are 128 bytes.
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::runtime {

using Text = std::u16string;
using TextView = std::u16string_view;

std::string ToUtf8(TextView text);
Text FromUtf8(std::string_view bytes);  // invalid sequences become U+FFFD

// One byte per character; characters above U+00FF become '?'.
std::string ToLatin1(TextView text);
Text FromLatin1(std::string_view bytes);

// The system's 8-bit text: file names and play-list files.
std::string ToSystemText(TextView text);
Text FromSystemText(std::string_view bytes);

// Text made from plain ASCII, for literals and numbers.
Text FromAscii(std::string_view ascii);

// Leading and trailing spaces (U+0020 only) removed.
Text TrimSpaces(TextView text);

// Letter-case folding for keys and sorting texts: two texts that differ only
// in letter case fold to the same text.
Text FoldCase(TextView text);
// Compares without regard to letter case in the order of the system locale:
// <0, 0 or >0.
int CompareNoCase(TextView a, TextView b);

// A text's comparison key: folded once and widened to code points, so that a
// sort folds each text once instead of on every comparison.
// CompareCollationKeys orders two keys exactly as CompareNoCase orders the
// texts they were made from.
std::wstring CollationKey(TextView text);
int CompareCollationKeys(const std::wstring &a, const std::wstring &b);

Text ToText(int64_t number);
// Shortest decimal text that reads back as the same value (1, 2.5, -0.125).
Text ToText(double number);

}  // namespace corvane::runtime
