// Finding and keeping the decoder library that components use by default.
#include <cstdlib>
#include <mutex>
#include <vector>

#include "decoder/DecoderLibrary.h"
#include "decoder/DynamicDecoderLibrary.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <sys/stat.h>
#endif

#ifndef CORVANE_ENGINE_FILE
#ifdef _WIN32
#define CORVANE_ENGINE_FILE "CorvaneMP3.dll"
#else
#define CORVANE_ENGINE_FILE "libCorvaneMP3.so"
#endif
#endif

namespace corvane::decoder {

namespace {

#ifdef _WIN32
constexpr const char *kPlainEngineName = "CorvaneMP3.dll";
#else
constexpr const char *kPlainEngineName = "libCorvaneMP3.so";
#endif

struct DefaultState {
    std::mutex mutex;
    DecoderLibraryRef chosen;  // set by SetDefaultDecoderLibrary
    DecoderLibraryRef loaded;  // loaded by name, kept for the process
};

// Never freed: the library stays loaded until the process ends, so no thread
// of it is cut off by an unload during exit.
DefaultState &State() {
    static DefaultState *state = new DefaultState();
    return *state;
}

bool FileExists(const std::string &path) {
#ifdef _WIN32
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
#endif
}

// The folder of the library that holds this code (with its separator), or
// empty when it cannot be told.
std::string OwnFolder() {
#ifdef _WIN32
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&OwnFolder), &module))
        return {};
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    std::string file(path, length);
    size_t slash = file.find_last_of("\\/");
#else
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void *>(&OwnFolder), &info) || !info.dli_fname) return {};
    std::string file = info.dli_fname;
    size_t slash = file.find_last_of('/');
#endif
    return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

// Where to look, in order: next to this library (the plain name first, then
// the versioned file the build made), then the loader's search path.
std::vector<std::string> Candidates() {
    std::vector<std::string> candidates;
    std::string folder = OwnFolder();
    if (!folder.empty()) {
        for (const char *name : {kPlainEngineName, CORVANE_ENGINE_FILE})
            if (FileExists(folder + name)) candidates.push_back(folder + name);
    }
    candidates.push_back(kPlainEngineName);
    // An installation without the development link still has the file named
    // by the library's major version (libCorvaneMP3.so.1).
    std::string versioned = CORVANE_ENGINE_FILE;
    std::string prefix = std::string(kPlainEngineName) + ".";
    if (versioned.starts_with(prefix)) {
        size_t majorEnd = versioned.find('.', prefix.size());
        candidates.push_back(versioned.substr(0, majorEnd));
    }
    if (versioned != kPlainEngineName && versioned != candidates.back()) candidates.push_back(versioned);
    return candidates;
}

DecoderLibraryRef LoadByName() {
    if (const char *chosen = std::getenv("CORVANEMP3_LIBRARY"); chosen && *chosen)
        return std::make_shared<DynamicDecoderLibrary>(chosen);
    std::string failures;
    for (const std::string &candidate : Candidates()) {
        try {
            return std::make_shared<DynamicDecoderLibrary>(candidate);
        } catch (const DecoderLoadError &error) {
            if (!failures.empty()) failures += "; ";
            failures += error.what();
        }
    }
    throw DecoderLoadError(failures);
}

}  // namespace

DecoderLibraryRef DefaultDecoderLibrary() {
    DefaultState &state = State();
    std::lock_guard lock(state.mutex);
    if (state.chosen) return state.chosen;
    if (!state.loaded) state.loaded = LoadByName();
    return state.loaded;
}

void SetDefaultDecoderLibrary(DecoderLibraryRef library) {
    DefaultState &state = State();
    std::lock_guard lock(state.mutex);
    state.chosen = std::move(library);
}

}  // namespace corvane::decoder
