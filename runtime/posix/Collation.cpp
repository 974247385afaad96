#include "runtime/Collation.h"

#include <cstdlib>
#include <cwctype>
#include <initializer_list>
#include <locale.h>
#include <string_view>

namespace corvane::runtime {

namespace {

// Case mapping from the "C.UTF-8" locale, so that folding never depends on
// the locale the process happens to run in.
locale_t CaseLocale() {
    static locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

// Used only when the "C.UTF-8" locale is missing: Latin-1.
char32_t FoldLatin1(char32_t c) {
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    if (c == 0x178) return 0xFF;
    return c;
}

// The collation of the user's locale (LC_ALL, LC_COLLATE or LANG), or none
// when that is the "C" locale or is not installed.
locale_t CollationLocale() {
    static locale_t locale = [] {
        const char *name = nullptr;
        for (const char *variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
            const char *value = std::getenv(variable);
            if (value && *value) {
                name = value;
                break;
            }
        }
        if (!name) return static_cast<locale_t>(nullptr);
        std::string_view view(name);
        if (view == "C" || view == "POSIX" || view.starts_with("C.")) return static_cast<locale_t>(nullptr);
        return newlocale(LC_COLLATE_MASK, name, static_cast<locale_t>(nullptr));
    }();
    return locale;
}

}  // namespace

char32_t FoldNonAscii(char32_t c) {
    if (locale_t locale = CaseLocale()) {
        auto upper = towupper_l(static_cast<wint_t>(c), locale);
        return static_cast<char32_t>(towlower_l(upper, locale));
    }
    return FoldLatin1(c);
}

// A wide character is a code point here.
std::wstring CollationKey(TextView text) {
    const std::u32string points = ToCodePoints(FoldCase(text));
    return std::wstring(points.begin(), points.end());
}

int CompareCollationKeys(const std::wstring &a, const std::wstring &b) {
    if (a == b) return 0;
    if (locale_t locale = CollationLocale()) {
        int order = wcscoll_l(a.c_str(), b.c_str(), locale);
        if (order != 0) return order < 0 ? -1 : 1;
    }
    // Texts that the locale does not tell apart keep a fixed order.
    return a.compare(b) < 0 ? -1 : 1;
}

}  // namespace corvane::runtime
