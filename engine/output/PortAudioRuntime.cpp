#include "engine/output/PortAudioRuntime.h"

#include "engine/output/QuietAudioBackends.h"

#include <portaudio.h>

#include <mutex>

namespace corvane::engine {

namespace {

std::mutex runtimeMutex;
int users = 0;

}  // namespace

bool PortAudioRuntime::Acquire() {
    std::lock_guard lock(runtimeMutex);
    if (users == 0) {
        QuietAudioBackends();
        if (Pa_Initialize() != paNoError) return false;
    }
    ++users;
    return true;
}

void PortAudioRuntime::Release() {
    std::lock_guard lock(runtimeMutex);
    if (users == 0) return;
    if (--users == 0) Pa_Terminate();
}

}  // namespace corvane::engine
