#pragma once
// What the About box asks of the system: the screen, the registry, programs,
// files, sound and the shell. The Windows build answers with the real thing;
// tests answer with a fake that records every call.
#include <cstdint>
#include <optional>
#include <vector>

#include "runtime/Text.h"

namespace corvane::about {

using runtime::Text;

// Registry roots, as the system numbers them.
inline constexpr uint32_t kLocalMachine = 0x80000002u;
inline constexpr uint32_t kStringValue = 1;   // REG_SZ
inline constexpr uint32_t kNumberValue = 4;   // REG_DWORD
inline constexpr uint32_t kBitsPerPixel = 12;  // device capabilities
inline constexpr uint32_t kColourPlanes = 14;

class AboutPlatform {
public:
    struct RegistryValue {
        uint32_t type = 0;
        std::vector<uint8_t> data;  // as stored: UTF-16 for text, little-endian for numbers
        uint32_t reportedLength = 0;  // bytes
    };
    using KeyHandle = uintptr_t;  // 0: none

    virtual ~AboutPlatform() = default;

    virtual int32_t DesktopCapability(uint32_t index) = 0;
    virtual KeyHandle OpenKey(uint32_t root, const Text &name, uint32_t access) = 0;
    virtual std::optional<RegistryValue> QueryValue(KeyHandle key, const Text &name, uint32_t bufferCharacters) = 0;
    virtual void CloseKey(KeyHandle key) = 0;
    // Starts a program in a normal window with the focus; false when it cannot.
    virtual bool StartProgram(const Text &path) = 0;
    virtual bool FileExists(const Text &path) = 0;
    // A message box with an OK button and the default title.
    virtual void ShowMessage(const Text &text) = 0;
    virtual int32_t WaveOutputDevices() = 0;
    // The system's answer into a buffer of `bufferCharacters`: the text and
    // the length it reports (0 on failure).
    virtual Text WindowsDirectory(uint32_t bufferCharacters) = 0;
    // An empty file name stops whatever sound is playing.
    virtual void PlaySoundFile(const Text &file, uint32_t flags) = 0;
    virtual void OpenWithShell(const Text &address) = 0;
    // Lets the messages that are waiting be handled (the dialog gets drawn).
    virtual void ProcessPendingMessages() = 0;
};

}  // namespace corvane::about
