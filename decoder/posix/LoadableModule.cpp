#include "decoder/LoadableModule.h"

#include <dlfcn.h>
#include <sys/stat.h>

namespace corvane::decoder {

const char *const kPlainEngineName = "libCorvaneMP3.so";

// Kept mapped after dlclose: the audio system's libraries that the decoder
// pulls in keep allocations in their globals, which an unload would strand.
void *OpenModule(const std::string &path, std::string &error) {
    void *module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!module) {
        const char *message = dlerror();
        error = message ? message : "unknown error";
    }
    return module;
}

void *FindSymbol(void *module, const char *name) { return dlsym(module, name); }

void CloseModule(void *module) { dlclose(module); }

std::string OwnModuleFolder() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void *>(&OwnModuleFolder), &info) || !info.dli_fname) return {};
    const std::string file = info.dli_fname;
    const size_t slash = file.find_last_of('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

bool IsRegularFile(const std::string &path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace corvane::decoder
