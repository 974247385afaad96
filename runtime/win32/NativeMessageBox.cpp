#include "runtime/ControlSite.h"

#include <windows.h>
#undef MessageBox  // the member keeps its own name

namespace corvane::runtime {

int32_t NativeControlSite::MessageBox(const Text &text, const Text &title, int32_t style) {
    return ::MessageBoxW(nullptr, reinterpret_cast<const wchar_t *>(text.c_str()),
                       reinterpret_cast<const wchar_t *>(title.c_str()), static_cast<UINT>(style));
}

}  // namespace corvane::runtime
