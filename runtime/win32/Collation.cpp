#include "runtime/Collation.h"

#include <windows.h>

namespace corvane::runtime {

// The system's own case mapping, the same in every locale.
char32_t FoldNonAscii(char32_t c) {
    if (c > 0xFFFF) return c;
    wchar_t text[2] = {static_cast<wchar_t>(c), 0};
    LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text, 1, text, 1, nullptr, nullptr, 0);
    LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, text, 1, text, 1, nullptr, nullptr, 0);
    return text[0];
}

// A wide character is a UTF-16 unit here.
std::wstring CollationKey(TextView text) {
    const Text folded = FoldCase(text);
    return std::wstring(folded.begin(), folded.end());
}

// The user's collation; texts it does not tell apart are ordered by code
// point, so that characters beyond 16 bits sort as they do elsewhere.
int CompareCollationKeys(const std::wstring &a, const std::wstring &b) {
    if (a == b) return 0;
    const int order = CompareStringEx(LOCALE_NAME_USER_DEFAULT, 0, a.data(), static_cast<int>(a.size()), b.data(),
                                      static_cast<int>(b.size()), nullptr, nullptr, 0);
    if (order == CSTR_LESS_THAN) return -1;
    if (order == CSTR_GREATER_THAN) return 1;
    const std::u16string unitsA(a.begin(), a.end()), unitsB(b.begin(), b.end());
    return ToCodePoints(unitsA).compare(ToCodePoints(unitsB)) < 0 ? -1 : 1;
}

}  // namespace corvane::runtime
