#pragma once
// The engine's contact with the file system: a file opened by the name the
// library is given, held as a C runtime descriptor that libmpg123 reads
// through too. Each platform has its own implementation (engine/posix,
// engine/win32); what a failure means is decided once, here, as a state.
//
// engine/ is the decoder library, one room per concern (stream, tags, output,
// dsp, analysis, threads, playback, api); its top level keeps the platform
// files every room may use. It includes only decoder/CorvaneMP3.h from
// outside.
#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane::engine {

enum class FileState {
    Regular,     // open, a plain file
    Folder,      // the name is a folder
    NotRegular,  // a device, a pipe or anything else that is not a plain file
    Missing,     // no such file or folder
    Denied,      // no permission, or read-only when writing was asked for
    Locked,      // held by another program in a way that conflicts
    Failed,      // any other failure
};

// Which file, and which version of it: two opens of a file nobody changed in
// between give equal identities.
struct FileIdentity {
    uint64_t volume = 0, node = 0, modified = 0;
    int64_t size = -1;
    bool operator==(const FileIdentity &) const = default;
};

class PlatformFile {
public:
    enum class Access { Read, ReadWrite };
    // Never blocks, not even on a named pipe.
    PlatformFile(const std::string &path, Access access);
    ~PlatformFile();
    PlatformFile(const PlatformFile &) = delete;
    PlatformFile &operator=(const PlatformFile &) = delete;

    FileState State() const { return state_; }
    bool IsRegular() const { return state_ == FileState::Regular; }
    int Descriptor() const { return fd_; }
    int64_t Size() const { return size_; }
    FileIdentity Identity() const { return identity_; }

    // Another program holds a lock that conflicts with reading (wantWrite
    // false) or writing; this program's own locks never do.
    bool LockedElsewhere(bool wantWrite) const;
    // All count bytes at offset, or false.
    bool ReadAt(int64_t offset, void *out, size_t count) const;
    bool WriteAt(int64_t offset, const void *data, size_t count) const;
    bool Truncate(int64_t size) const;
    // Waits until what was written is on the disk.
    bool Sync() const;
    // Moves the descriptor's position back to the start, for libmpg123.
    bool Rewind() const;

private:
    bool ReadAtMovingPosition(int64_t offset, void *out, size_t count) const;  // where the platform needs it
    int fd_ = -1;
    FileState state_ = FileState::Failed;
    int64_t size_ = 0;
    FileIdentity identity_;
};

// Names the engine's worker threads where the platform shows them.
void NameThisThread(const char *name);

}  // namespace corvane::engine
