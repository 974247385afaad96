#include "engine/PlatformFile.h"

#include <cerrno>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane::engine {

namespace {

FileState StateOfError(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
        return FileState::Missing;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return FileState::Denied;
    case EISDIR:
        return FileState::Folder;
    default:
        return FileState::Failed;
    }
}

bool Writable(const struct stat &info) { return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0; }

}  // namespace

// A file without any write bit is refused for writing even to root, as it
// would be to anyone else.
PlatformFile::PlatformFile(const std::string &path, Access access) {
    const int flags = access == Access::Read ? O_RDONLY | O_NONBLOCK : O_RDWR;
    if (access == Access::ReadWrite) {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) {
            state_ = StateOfError(errno);
            return;
        }
        if (S_ISDIR(info.st_mode)) state_ = FileState::Folder;
        else if (!S_ISREG(info.st_mode)) state_ = FileState::NotRegular;
        else if (!Writable(info)) state_ = FileState::Denied;
        if (state_ != FileState::Failed) return;
    }
    fd_ = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd_ < 0) {
        state_ = StateOfError(errno);
        return;
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        state_ = FileState::Failed;
    } else {
        state_ = S_ISREG(info.st_mode) ? FileState::Regular : S_ISDIR(info.st_mode) ? FileState::Folder : FileState::NotRegular;
        size_ = info.st_size;
        identity_ = {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
                     static_cast<uint64_t>(info.st_mtim.tv_sec) * 1000000000u + static_cast<uint64_t>(info.st_mtim.tv_nsec),
                     size_};
    }
}

PlatformFile::~PlatformFile() {
    if (fd_ >= 0) ::close(fd_);
}

// Record locks of other processes show through F_GETLK; whole-file locks
// through a non-blocking flock, which the closing of fd_ releases.
bool PlatformFile::LockedElsewhere(bool wantWrite) const {
    struct flock probe {};
    probe.l_type = wantWrite ? F_WRLCK : F_RDLCK;
    probe.l_whence = SEEK_SET;
    if (::fcntl(fd_, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) return true;
    if (::flock(fd_, (wantWrite ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) return errno == EWOULDBLOCK;
    return false;
}

bool PlatformFile::ReadAt(int64_t offset, void *out, size_t count) const {
    auto *bytes = static_cast<char *>(out);
    while (count > 0) {
        const ssize_t got = ::pread(fd_, bytes, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        bytes += got;
        offset += got;
        count -= static_cast<size_t>(got);
    }
    return true;
}

bool PlatformFile::WriteAt(int64_t offset, const void *data, size_t count) const {
    const auto *bytes = static_cast<const char *>(data);
    while (count > 0) {
        const ssize_t put = ::pwrite(fd_, bytes, count, static_cast<off_t>(offset));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        bytes += put;
        offset += put;
        count -= static_cast<size_t>(put);
    }
    return true;
}

bool PlatformFile::Truncate(int64_t size) const { return ::ftruncate(fd_, static_cast<off_t>(size)) == 0; }

bool PlatformFile::Sync() const { return ::fsync(fd_) == 0; }

bool PlatformFile::Rewind() const { return ::lseek(fd_, 0, SEEK_SET) == 0; }

void NameThisThread(const char *name) { pthread_setname_np(pthread_self(), name); }

}  // namespace corvane::engine
