#include "common/FileSystem.h"

#include <windows.h>

#include <string>

namespace corvane::common {

using runtime::Text;

namespace {

bool IsDriveRoot(const Text &path) {
    if (path.size() != 3) return false;
    char16_t letter = path[0];
    bool isLetter = (letter >= u'A' && letter <= u'Z') || (letter >= u'a' && letter <= u'z');
    return isLetter && path[1] == u':' && path[2] == u'\\';
}

// Opening X:\abc.rcr tells a missing drive ("path not found") from one that
// exists; every other outcome counts as present. Nothing is created.
bool ProbeDriveRoot(const Text &root) {
    std::string probe = runtime::ToSystemText(root + u"abc.rcr");
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return true;
    }
    return GetLastError() != ERROR_PATH_NOT_FOUND;
}

}  // namespace

std::optional<bool> DriveRootExists(const Text &path) {
    if (!IsDriveRoot(path)) return std::nullopt;
    return ProbeDriveRoot(path);
}

// Two searches with the path as a pattern: entries of every kind, and files
// only; a folder is what the first finds and the second does not.
bool NamesFolderOnly(const Text &path) {
    std::string pattern = runtime::ToSystemText(path);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool anyFile = false;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) anyFile = true;
    } while (!anyFile && FindNextFileA(search, &found));
    FindClose(search);
    return !anyFile;
}

std::FILE *OpenFile(const Text &name, const char *mode, int32_t &errorNumber) {
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    std::FILE *file = _wfopen(reinterpret_cast<const wchar_t *>(name.c_str()), wideMode.c_str());
    if (file) return file;
    switch (_doserrno) {
    case ERROR_FILE_NOT_FOUND: errorNumber = 53; break;
    case ERROR_PATH_NOT_FOUND: errorNumber = 76; break;
    case ERROR_INVALID_NAME: case ERROR_FILENAME_EXCED_RANGE: errorNumber = 52; break;
    case ERROR_NOT_READY: case ERROR_DEV_NOT_EXIST: errorNumber = 68; break;
    case ERROR_CRC: case ERROR_READ_FAULT: case ERROR_WRITE_FAULT: errorNumber = 57; break;
    default: errorNumber = 75;
    }
    return nullptr;
}

bool OrdinaryFileExists(const Text &name) {
    const DWORD attributes = GetFileAttributesA(runtime::ToSystemText(name).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

}  // namespace corvane::common
