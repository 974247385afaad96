#pragma once
// The About box's platform on Windows: the desktop's device context, the
// registry, CreateProcess, the file system, winmm's sound and the shell.
#include "about/AboutPlatform.h"

namespace corvane::about {

class SystemAboutPlatform : public AboutPlatform {
public:
    int32_t DesktopCapability(uint32_t index) override;
    KeyHandle OpenKey(uint32_t root, const Text &name, uint32_t access) override;
    std::optional<RegistryValue> QueryValue(KeyHandle key, const Text &name, uint32_t bufferCharacters) override;
    void CloseKey(KeyHandle key) override;
    bool StartProgram(const Text &path) override;
    bool FileExists(const Text &path) override;
    void ShowMessage(const Text &text) override;
    int32_t WaveOutputDevices() override;
    Text WindowsDirectory(uint32_t bufferCharacters) override;
    void PlaySoundFile(const Text &file, uint32_t flags) override;
    void OpenWithShell(const Text &address) override;
    void ProcessPendingMessages() override;
};

}  // namespace corvane::about
