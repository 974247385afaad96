#include "decoder/LoadableModule.h"

#include <windows.h>

namespace corvane::decoder {

const char *const kPlainEngineName = "CorvaneMP3.dll";

// The names are looked up undecorated: the library is built with a .def
// file, so GetProcAddress finds "play" and not "_play@4".
void *OpenModule(const std::string &path, std::string &error) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) error = "error " + std::to_string(GetLastError());
    return reinterpret_cast<void *>(module);
}

void *FindSymbol(void *module, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void CloseModule(void *module) { FreeLibrary(static_cast<HMODULE>(module)); }

std::string OwnModuleFolder() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&OwnModuleFolder), &module))
        return {};
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    const std::string file(path, length);
    const size_t slash = file.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

bool IsRegularFile(const std::string &path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace corvane::decoder
