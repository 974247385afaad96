// Finding and keeping the decoder library that components use by default.
#include <cstdlib>
#include <mutex>
#include <vector>

#include "decoder/DecoderLibrary.h"
#include "decoder/DynamicDecoderLibrary.h"
#include "decoder/LoadableModule.h"

// The file the build made (versioned where the platform versions them).
#ifndef CORVANE_ENGINE_FILE
#define CORVANE_ENGINE_FILE ""
#endif

namespace corvane::decoder {

namespace {

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

// Where to look, in order: next to this library (the plain name first, then
// the versioned file the build made), then the loader's search path.
std::vector<std::string> Candidates() {
    std::vector<std::string> candidates;
    std::string folder = OwnModuleFolder();
    if (!folder.empty()) {
        for (const char *name : {kPlainEngineName, CORVANE_ENGINE_FILE})
            if (*name && IsRegularFile(folder + name)) candidates.push_back(folder + name);
    }
    candidates.push_back(kPlainEngineName);
    // An installation without the development link still has the file named
    // by the library's major version (libCorvaneMP3.so.1).
    const std::string versioned = *CORVANE_ENGINE_FILE ? CORVANE_ENGINE_FILE : kPlainEngineName;
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
