#include "runtime/Text.h"

#include <charconv>

#include "runtime/Collation.h"

namespace corvane::runtime {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Calls emit(codePoint) for each character of UTF-16 text; a lone surrogate
// comes out as U+FFFD.
template <class Emit>
void ForEachCodePoint(TextView text, Emit &&emit) {
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            emit(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            emit(kReplacement);
        } else {
            emit(c);
        }
    }
}

void AppendUtf16(Text &out, char32_t c) {
    if (c >= 0x10000) {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(c));
    }
}

void AppendUtf8(std::string &out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Decodes one UTF-8 sequence at bytes[i]; advances i. Overlong forms,
// surrogates and truncated sequences give U+FFFD and consume one byte.
char32_t DecodeUtf8(std::string_view bytes, size_t &i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
    if (length == 0 || i + static_cast<size_t>(length) > bytes.size()) {
        ++i;
        return kReplacement;
    }
    char32_t c = lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        unsigned char next = byte(i + static_cast<size_t>(k));
        if ((next & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        c = (c << 6) | (next & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kMinimum[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += static_cast<size_t>(length);
    return c;
}

}  // namespace

std::u32string ToCodePoints(TextView text) {
    std::u32string points;
    points.reserve(text.size());
    ForEachCodePoint(text, [&](char32_t c) { points.push_back(c); });
    return points;
}

std::string ToUtf8(TextView text) {
    std::string out;
    out.reserve(text.size());
    ForEachCodePoint(text, [&](char32_t c) { AppendUtf8(out, c); });
    return out;
}

Text FromUtf8(std::string_view bytes) {
    Text out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) AppendUtf16(out, DecodeUtf8(bytes, i));
    return out;
}

std::string ToLatin1(TextView text) {
    std::string out;
    out.reserve(text.size());
    ForEachCodePoint(text, [&](char32_t c) { out.push_back(c <= 0xFF ? static_cast<char>(c) : '?'); });
    return out;
}

Text FromLatin1(std::string_view bytes) {
    Text out;
    out.reserve(bytes.size());
    for (char byte : bytes) out.push_back(static_cast<unsigned char>(byte));
    return out;
}


Text FromAscii(std::string_view ascii) {
    Text out;
    out.reserve(ascii.size());
    for (char c : ascii) out.push_back(static_cast<unsigned char>(c));
    return out;
}

Text TrimSpaces(TextView text) {
    size_t first = text.find_first_not_of(u' ');
    if (first == TextView::npos) return {};
    size_t last = text.find_last_not_of(u' ');
    return Text(text.substr(first, last - first + 1));
}

Text FoldCase(TextView text) {
    Text out;
    out.reserve(text.size());
    ForEachCodePoint(text, [&](char32_t c) { AppendUtf16(out, c < 0x80 ? (c >= 'A' && c <= 'Z' ? c + 32 : c) : FoldNonAscii(c)); });
    return out;
}

int CompareNoCase(TextView a, TextView b) { return CompareCollationKeys(CollationKey(a), CollationKey(b)); }

Text ToText(int64_t number) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return FromAscii(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

Text ToText(double number) {
    if (number != number) return u"NaN";
    if (number == 0) return u"0";  // also -0
    char buffer[40];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    std::string text(buffer, static_cast<size_t>(result.ptr - buffer));
    if (text == "inf") return u"Infinity";
    if (text == "-inf") return u"-Infinity";
    for (char &c : text)
        if (c == 'e') c = 'E';
    return FromAscii(text);
}

}  // namespace corvane::runtime
