#include "about/win32/SystemAboutPlatform.h"

#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <vector>

#include "about/AboutBox.h"

namespace corvane::about {

namespace {

const wchar_t *Wide(const Text &text) { return reinterpret_cast<const wchar_t *>(text.c_str()); }

}  // namespace

int32_t SystemAboutPlatform::DesktopCapability(uint32_t index) {
    HWND desktop = GetDesktopWindow();
    HDC dc = GetDC(desktop);
    const int value = GetDeviceCaps(dc, static_cast<int>(index));
    ReleaseDC(desktop, dc);
    return value;
}

AboutPlatform::KeyHandle SystemAboutPlatform::OpenKey(uint32_t root, const Text &name, uint32_t access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(reinterpret_cast<HKEY>(static_cast<uintptr_t>(root)), Wide(name), 0, access, &key) !=
        ERROR_SUCCESS)
        return 0;
    return reinterpret_cast<KeyHandle>(key);
}

std::optional<AboutPlatform::RegistryValue> SystemAboutPlatform::QueryValue(KeyHandle key, const Text &name,
                                                                            uint32_t bufferCharacters) {
    RegistryValue value;
    value.data.resize(bufferCharacters * sizeof(wchar_t));
    DWORD type = 0, length = static_cast<DWORD>(value.data.size());
    if (RegQueryValueExW(reinterpret_cast<HKEY>(key), Wide(name), nullptr, &type, value.data.data(), &length) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.type = type;
    value.reportedLength = length;
    return value;
}

void SystemAboutPlatform::CloseKey(KeyHandle key) { RegCloseKey(reinterpret_cast<HKEY>(key)); }

bool SystemAboutPlatform::StartProgram(const Text &path) {
    std::wstring commandLine(Wide(path));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool SystemAboutPlatform::FileExists(const Text &path) {
    const DWORD attributes = GetFileAttributesW(Wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void SystemAboutPlatform::ShowMessage(const Text &text) {
    MessageBoxW(nullptr, Wide(text), Wide(kLibraryTitle), MB_OK);
}

int32_t SystemAboutPlatform::WaveOutputDevices() { return static_cast<int32_t>(waveOutGetNumDevs()); }

Text SystemAboutPlatform::WindowsDirectory(uint32_t bufferCharacters) {
    std::vector<wchar_t> buffer(bufferCharacters);
    const UINT length = GetWindowsDirectoryW(buffer.data(), bufferCharacters);
    if (length == 0 || length >= bufferCharacters) return {};
    return Text(reinterpret_cast<const char16_t *>(buffer.data()), length);
}

void SystemAboutPlatform::PlaySoundFile(const Text &file, uint32_t flags) {
    ::PlaySoundW(file.empty() ? nullptr : Wide(file), nullptr, flags);
}

void SystemAboutPlatform::OpenWithShell(const Text &address) {
    ShellExecuteW(nullptr, L"open", Wide(address), nullptr, nullptr, SW_SHOWNORMAL);
}

void SystemAboutPlatform::ProcessPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace corvane::about
