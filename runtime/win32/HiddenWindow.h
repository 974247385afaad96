#pragma once
// A message-only window of the calling thread, of a class registered for
// its procedure in the module that holds this code; `owner` is kept in the
// window's user data for the procedure to find.
#include <windows.h>

namespace corvane::runtime {

HWND CreateHiddenWindow(const wchar_t *className, WNDPROC procedure, void *owner);

template <class Owner>
Owner *OwnerOf(HWND window) {
    return reinterpret_cast<Owner *>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace corvane::runtime
