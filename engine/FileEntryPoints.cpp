#include "engine/FileEntryPoints.h"

#include "engine/FrameInfo.h"
#include "engine/Id3Tag.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane::engine {

namespace {

constexpr int16_t kNotRecognised = 0;
constexpr int16_t kFrameInfoRead = 1;
constexpr int16_t kFileNotFound = 53;
constexpr size_t kFrameInfoSize = 200;

bool IsMissing(int error) { return error == ENOENT || error == ENOTDIR || error == ENAMETOOLONG; }

}  // namespace

// A folder is reported as no such file: there is no audio file of that
// name. A file that cannot be read is not recognised.
int16_t GetFrameInfo(const char *path, char info[201]) {
    if (info != nullptr) std::memset(info, 0, kFrameInfoSize + 1);
    if (path == nullptr || *path == '\0' || info == nullptr) return kFileNotFound;
    // Non-blocking, so that a named pipe cannot stall the open.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return IsMissing(errno) ? kFileNotFound : kNotRecognised;
    struct stat status {};
    int16_t result = kNotRecognised;
    if (::fstat(fd, &status) != 0) {
        result = kNotRecognised;
    } else if (S_ISDIR(status.st_mode)) {
        result = kFileNotFound;
    } else if (S_ISREG(status.st_mode)) {
        if (const auto frameInfo = ReadFrameInfo(fd, status.st_size)) {
            const std::string text = FormatFrameInfo(*frameInfo);
            std::memcpy(info, text.data(), std::min(text.size(), kFrameInfoSize));
            result = kFrameInfoRead;
        }
    }
    ::close(fd);
    return result;
}

int16_t GetId3Tag(const char *path, char tag[129]) {
    constexpr int16_t kIoError = 57;
    if (tag == nullptr) return kIoError;
    return ReadTagBlock(path != nullptr ? path : "", tag);
}

int16_t SetId3Tag(const char *path, const char *tag) { return WriteTagBlock(path != nullptr ? path : "", tag); }

}  // namespace corvane::engine
