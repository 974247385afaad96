// Arbitrary bytes through the text conversions: UTF-8 in gives text whose
// UTF-8 reads back to the same text, system text round-trips byte for byte,
// and Latin-1 is one byte per character.
#include "runtime/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace corvane::runtime;
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const Text text = FromUtf8(bytes);
    if (FromUtf8(ToUtf8(text)) != text) std::abort();
    if (ToSystemText(FromSystemText(bytes)) != bytes) std::abort();
    if (ToLatin1(FromLatin1(bytes)) != bytes) std::abort();
    const Text units(reinterpret_cast<const char16_t *>(data), size / 2);  // any UTF-16, lone surrogates too
    if (FromUtf8(ToUtf8(units)).size() > units.size()) std::abort();
    if (CompareNoCase(units, units) != 0 || FoldCase(FoldCase(text)) != FoldCase(text)) std::abort();
    return 0;
}
