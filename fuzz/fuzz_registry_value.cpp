// Arbitrary registry data as the About box reads it: the first byte picks the
// value's type (text, 32-bit number or another), the second how long the
// system says the data is, the rest is the data. Reading either raises the
// automation runtime's overflow or gives text, and never reads past the data.
#include "about/AboutBox.h"
#include "runtime/AutomationError.h"

#include <cstddef>
#include <cstdint>

namespace {

using namespace corvane::about;

class FuzzedRegistry : public AboutPlatform {
public:
    RegistryValue value;
    int32_t DesktopCapability(uint32_t) override { return 0; }
    KeyHandle OpenKey(uint32_t, const Text &, uint32_t) override { return 1; }
    std::optional<RegistryValue> QueryValue(KeyHandle, const Text &, uint32_t) override { return value; }
    void CloseKey(KeyHandle) override {}
    bool StartProgram(const Text &) override { return false; }
    bool FileExists(const Text &) override { return false; }
    void ShowMessage(const Text &) override {}
    int32_t WaveOutputDevices() override { return 0; }
    Text WindowsDirectory(uint32_t) override { return {}; }
    void PlaySoundFile(const Text &, uint32_t) override {}
    void OpenWithShell(const Text &) override {}
    void ProcessPendingMessages() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) return 0;
    FuzzedRegistry registry;
    registry.value.type = data[0] % 3 == 0 ? kStringValue : data[0] % 3 == 1 ? kNumberValue : data[0];
    registry.value.reportedLength = data[1];
    registry.value.data.assign(data + 2, data + size);
    Text value = u"caller";
    try {
        GetKeyValue(registry, kLocalMachine, u"Key", u"Value", value);
        StartSysInfo(registry);
    } catch (const corvane::runtime::AutomationError &) {
    }
    return 0;
}
