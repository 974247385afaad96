#include "engine/PlatformFile.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <pthread.h>

#include <string>

namespace corvane::engine {

namespace {

// File names cross the library's interface as 8-bit text in the ANSI code
// page; the wide API then reaches every name that page can spell.
std::wstring WideName(const std::string &path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
    return wide;
}

FileState StateOfError(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_FILENAME_EXCED_RANGE:
        return FileState::Missing;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return FileState::Denied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return FileState::Locked;
    default:
        return FileState::Failed;
    }
}

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

OVERLAPPED At(int64_t offset) {
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
    where.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return where;
}

}  // namespace

// Others may read and write the file while it is open here, as they may on
// other systems; a program that opened it without sharing makes it Locked.
PlatformFile::PlatformFile(const std::string &path, Access access) {
    const std::wstring name = WideName(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        state_ = StateOfError(GetLastError());
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        state_ = FileState::Folder;
        return;
    }
    // Refused even where the process could write it anyway (an administrator,
    // or Wine run as root), as it is on Linux.
    if (access == Access::ReadWrite && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        state_ = FileState::Denied;
        return;
    }
    const DWORD desired = access == Access::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    HANDLE handle = CreateFileW(name.c_str(), desired, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        state_ = StateOfError(GetLastError());
        return;
    }
    LARGE_INTEGER size{};
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        state_ = FileState::NotRegular;
    } else if (!GetFileSizeEx(handle, &size)) {
        state_ = FileState::Failed;
    } else {
        state_ = FileState::Regular;
        size_ = size.QuadPart;
        BY_HANDLE_FILE_INFORMATION facts{};
        if (GetFileInformationByHandle(handle, &facts))
            identity_ = {facts.dwVolumeSerialNumber, (uint64_t{facts.nFileIndexHigh} << 32) | facts.nFileIndexLow,
                         (uint64_t{facts.ftLastWriteTime.dwHighDateTime} << 32) | facts.ftLastWriteTime.dwLowDateTime,
                         size_};
    }
    fd_ = _open_osfhandle(reinterpret_cast<intptr_t>(handle), (access == Access::Read ? _O_RDONLY : _O_RDWR) | _O_BINARY);
    if (fd_ < 0) {
        CloseHandle(handle);
        state_ = FileState::Failed;
    }
}

PlatformFile::~PlatformFile() {
    if (fd_ >= 0) _close(fd_);
}

// A byte-range lock of another program over the whole file shows as a
// failed attempt to take a conflicting one; the attempt is undone at once.
bool PlatformFile::LockedElsewhere(bool wantWrite) const {
    OVERLAPPED whole = At(0);
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (wantWrite ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (!LockFileEx(HandleOf(fd_), flags, 0, MAXDWORD, MAXDWORD, &whole)) return GetLastError() == ERROR_LOCK_VIOLATION;
    UnlockFileEx(HandleOf(fd_), 0, MAXDWORD, MAXDWORD, &whole);
    return false;
}

// Reading at an offset moves the handle's position here, unlike pread; the
// position libmpg123 reads from is put back afterwards.
bool PlatformFile::ReadAt(int64_t offset, void *out, size_t count) const {
    const int64_t kept = _lseeki64(fd_, 0, SEEK_CUR);
    const bool read = ReadAtMovingPosition(offset, out, count);
    _lseeki64(fd_, kept, SEEK_SET);
    return read;
}

bool PlatformFile::ReadAtMovingPosition(int64_t offset, void *out, size_t count) const {
    auto *bytes = static_cast<char *>(out);
    while (count > 0) {
        OVERLAPPED where = At(offset);
        DWORD got = 0;
        if (!ReadFile(HandleOf(fd_), bytes, static_cast<DWORD>(count), &got, &where) || got == 0) return false;
        bytes += got;
        offset += got;
        count -= got;
    }
    return true;
}

bool PlatformFile::WriteAt(int64_t offset, const void *data, size_t count) const {
    const auto *bytes = static_cast<const char *>(data);
    while (count > 0) {
        OVERLAPPED where = At(offset);
        DWORD put = 0;
        if (!WriteFile(HandleOf(fd_), bytes, static_cast<DWORD>(count), &put, &where) || put == 0) return false;
        bytes += put;
        offset += put;
        count -= put;
    }
    return true;
}

bool PlatformFile::Truncate(int64_t size) const { return _chsize_s(fd_, size) == 0; }

bool PlatformFile::Sync() const { return FlushFileBuffers(HandleOf(fd_)) != 0; }

bool PlatformFile::Rewind() const { return _lseeki64(fd_, 0, SEEK_SET) == 0; }

void NameThisThread(const char *name) { pthread_setname_np(pthread_self(), name); }

}  // namespace corvane::engine
