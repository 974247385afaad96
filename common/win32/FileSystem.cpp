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

namespace {

int32_t ErrorNumberOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND: return 53;
    case ERROR_PATH_NOT_FOUND: return 76;
    case ERROR_INVALID_NAME: case ERROR_FILENAME_EXCED_RANGE: return 52;
    case ERROR_NOT_READY: case ERROR_DEV_NOT_EXIST: return 68;
    case ERROR_CRC: case ERROR_READ_FAULT: case ERROR_WRITE_FAULT: return 57;
    default: return 75;
    }
}

const wchar_t *Wide(const Text &text) { return reinterpret_cast<const wchar_t *>(text.c_str()); }

}  // namespace

std::FILE *OpenFile(const Text &name, const char *mode, int32_t &errorNumber) {
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    std::FILE *file = _wfopen(Wide(name), wideMode.c_str());
    if (!file) errorNumber = ErrorNumberOf(_doserrno);
    return file;
}

int32_t ReplaceWholeFile(const Text &name, std::string_view bytes) {
    HANDLE file = INVALID_HANDLE_VALUE;
    Text temporary;
    for (DWORD attempt = 0; file == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
        temporary = name + u"." + runtime::ToText(int64_t{GetTickCount() + attempt}) + u".tmp";
        file = CreateFileW(Wide(temporary), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return ErrorNumberOf(GetLastError());
    }
    if (file == INVALID_HANDLE_VALUE) return ErrorNumberOf(ERROR_FILE_EXISTS);
    DWORD put = 0;
    bool written = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
                   put == bytes.size() && FlushFileBuffers(file);
    written = CloseHandle(file) && written;
    if (written && MoveFileExW(Wide(temporary), Wide(name), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return kReplaced;
    DeleteFileW(Wide(temporary));
    return kNotWritten;
}

bool OrdinaryFileExists(const Text &name) {
    const DWORD attributes = GetFileAttributesA(runtime::ToSystemText(name).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

}  // namespace corvane::common
