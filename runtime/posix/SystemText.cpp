#include "runtime/Text.h"

namespace corvane::runtime {

// File names and other text the system hands over are bytes here, nearly
// always UTF-8. A byte that is not part of valid UTF-8 becomes a code unit of
// its own between U+DC80 and U+DCFF (never a character of valid text, a lone
// low surrogate), and turns back into the same byte, so that every name
// round-trips exactly.

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// The code point of the valid UTF-8 sequence at bytes[i] and its length; 0
// when none starts there.
size_t ValidSequence(std::string_view bytes, size_t i, char32_t &c) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > bytes.size()) return 0;
    c = length == 1 ? lead : lead & (0x7Fu >> length);
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[i + k]);
        if ((next & 0xC0) != 0x80) return 0;
        c = (c << 6) | (next & 0x3Fu);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

Text FromSystemText(std::string_view bytes) {
    Text text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        char32_t c = 0;
        if (const size_t length = ValidSequence(bytes, i, c)) {
            text += FromUtf8(bytes.substr(i, length));
            i += length;
        } else {
            text += static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[i++]));
        }
    }
    return text;
}

std::string ToSystemText(TextView text) {
    std::string bytes;
    bytes.reserve(text.size());
    size_t plain = 0;  // where the run of text without escaped bytes began
    for (size_t i = 0; i <= text.size(); ++i) {
        const bool escaped = i < text.size() && text[i] >= kEscapeBase + 0x80 && text[i] <= kEscapeBase + 0xFF &&
                             (i == 0 || text[i - 1] < 0xD800 || text[i - 1] > 0xDBFF);
        if (i < text.size() && !escaped) continue;
        bytes += ToUtf8(text.substr(plain, i - plain));
        if (escaped) bytes += static_cast<char>(text[i] - kEscapeBase);
        plain = i + 1;
    }
    return bytes;
}

}  // namespace corvane::runtime
