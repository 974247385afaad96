#pragma once
// PortAudio is initialised only while a playback uses the device output, and
// terminated after the last one, so that a device plugged in later is found
// at the next start. Initialising it quiets the messages that the ALSA and
// JACK libraries print while PortAudio probes them.
namespace corvane::engine {

class PortAudioRuntime {
public:
    // Returns false when PortAudio cannot be initialised.
    static bool Acquire();
    static void Release();
};

}  // namespace corvane::engine
