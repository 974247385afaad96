#include "engine/api/FileEntryPoints.h"

#include "engine/stream/FrameInfo.h"
#include "engine/tags/Id3Tag.h"

#include "engine/PlatformFile.h"

#include <algorithm>
#include <cstring>

namespace corvane::engine {

namespace {

constexpr int16_t kNotRecognised = 0;
constexpr int16_t kFrameInfoRead = 1;
constexpr int16_t kFileNotFound = 53;
constexpr size_t kFrameInfoSize = 200;

}  // namespace

// A folder is reported as no such file: there is no audio file of that
// name. A file that cannot be read is not recognised.
int16_t GetFrameInfo(const char *path, char info[201]) {
    if (info != nullptr) std::memset(info, 0, kFrameInfoSize + 1);
    if (path == nullptr || *path == '\0' || info == nullptr) return kFileNotFound;
    const PlatformFile file(path, PlatformFile::Access::Read);
    if (file.State() == FileState::Missing || file.State() == FileState::Folder) return kFileNotFound;
    if (!file.IsRegular()) return kNotRecognised;
    const auto frameInfo = ReadFrameInfo(file);
    if (!frameInfo) return kNotRecognised;
    const std::string text = FormatFrameInfo(*frameInfo);
    std::memcpy(info, text.data(), std::min(text.size(), kFrameInfoSize));
    return kFrameInfoRead;
}

int16_t GetId3Tag(const char *path, char tag[129]) {
    constexpr int16_t kIoError = 57;
    if (tag == nullptr) return kIoError;
    return ReadTagBlock(path != nullptr ? path : "", tag);
}

int16_t SetId3Tag(const char *path, const char *tag) { return WriteTagBlock(path != nullptr ? path : "", tag); }

}  // namespace corvane::engine
