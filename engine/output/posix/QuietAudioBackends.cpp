#include "engine/output/QuietAudioBackends.h"

#include <dlfcn.h>

#include <initializer_list>

namespace corvane::engine {

namespace {

extern "C" void QuietAlsaError(const char *, int, const char *, int, const char *, ...) {}
extern "C" void QuietJackMessage(const char *) {}

template <class Function>
Function LoadedSymbol(const char *library, const char *name) {
    void *handle = dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
    if (handle == nullptr) return nullptr;
    auto symbol = reinterpret_cast<Function>(dlsym(handle, name));
    dlclose(handle);
    return symbol;
}

}  // namespace

// ALSA and JACK come with PortAudio; the handlers are set through the
// libraries already loaded, so nothing is linked or loaded for it.
void QuietAudioBackends() {
    using AlsaHandler = void (*)(const char *, int, const char *, int, const char *, ...);
    using SetAlsaHandler = int (*)(AlsaHandler);
    if (auto set = LoadedSymbol<SetAlsaHandler>("libasound.so.2", "snd_lib_error_set_handler")) set(QuietAlsaError);

    using SetJackFunction = void (*)(void (*)(const char *));
    for (const char *name : {"jack_set_error_function", "jack_set_info_function"}) {
        if (auto set = LoadedSymbol<SetJackFunction>("libjack.so.0", name)) set(QuietJackMessage);
    }
}

}  // namespace corvane::engine
