#pragma once
// What the server records in the registry about itself: for each control
// its class and programmatic identifiers, apartment threading, the control
// and toolbox-bitmap marks and its miscellaneous status, and the type
// library with its help file. Unregistering removes exactly that.
#include <windows.h>

namespace corvane::automation {

// Set-client-site-first, invisible at run time, activate when visible,
// inside-out, cannot link inside, recompose on resize.
constexpr DWORD kControlMiscStatus = 0x20591;

HRESULT RegisterServer();
HRESULT UnregisterServer();

}  // namespace corvane::automation
