#include "runtime/Text.h"

#include <windows.h>

namespace corvane::runtime {

// 8-bit text crosses to the system in the ANSI code page; a character the
// page lacks becomes its default character.
std::string ToSystemText(TextView text) {
    const auto *wide = reinterpret_cast<const wchar_t *>(text.data());
    const int length = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), bytes.data(), length, nullptr, nullptr);
    return bytes;
}

Text FromSystemText(std::string_view bytes) {
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    Text text(static_cast<size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), reinterpret_cast<wchar_t *>(text.data()),
                        length);
    return text;
}

}  // namespace corvane::runtime
