#include "engine/ProcessEnd.h"

#include <windows.h>

#include <atomic>

namespace {
std::atomic<bool> processEnding{false};
}

// The C runtime calls this before it runs the library's static destructors;
// a non-null `reserved` at detach means the whole process is ending.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH && reserved != nullptr) processEnding = true;
    return TRUE;
}

namespace corvane::engine {

bool ProcessIsEnding() { return processEnding.load(); }

}  // namespace corvane::engine
