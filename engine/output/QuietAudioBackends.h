#pragma once

namespace corvane::engine {

// Keeps the sound system's own libraries from printing to the host's
// terminal while PortAudio looks for devices.
void QuietAudioBackends();

}  // namespace corvane::engine
