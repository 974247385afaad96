#pragma once
// Loading a shared library at run time and finding its entry points by name:
// dlopen on POSIX systems, LoadLibrary on Windows (decoder/posix,
// decoder/win32).
#include <string>

namespace corvane::decoder {

// The library's file name without a version, as the platform spells it.
extern const char *const kPlainEngineName;

// Null with a reason in `error` when the library cannot be loaded.
void *OpenModule(const std::string &path, std::string &error);
void *FindSymbol(void *module, const char *name);
void CloseModule(void *module);

// The folder of the module that holds this code, with its separator; empty
// when it cannot be told.
std::string OwnModuleFolder();
bool IsRegularFile(const std::string &path);

}  // namespace corvane::decoder
