// Arbitrary file contents through the file entry points: frame information,
// tag reading, and a tag write that must leave every byte before the tag as
// it was.
#include "engine/api/FileEntryPoints.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// One scratch file per fuzzing process, removed when it exits.
struct ScratchFile {
    std::string path = "/tmp/corvane-fuzz-file-" + std::to_string(::getpid()) + ".mp3";
    ~ScratchFile() { ::unlink(path.c_str()); }
};

const std::string &ScratchPath() {
    static const ScratchFile file;
    return file.path;
}

std::string ReadBack(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool EndsWithTag(const uint8_t *data, size_t size) { return size >= 128 && std::memcmp(data + size - 128, "TAG", 3) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string &path = ScratchPath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    }
    char info[201];
    const int16_t frameResult = corvane::engine::GetFrameInfo(path.c_str(), info);
    if (frameResult != 0 && frameResult != 1) __builtin_trap();
    if (frameResult == 0 && info[0] != '\0') __builtin_trap();
    if (std::strlen(info) > 200) __builtin_trap();

    char tag[129];
    if (corvane::engine::GetId3Tag(path.c_str(), tag) != 0) __builtin_trap();
    if (tag[128] != '\0') __builtin_trap();

    char block[128];
    std::memset(block, 'z', sizeof block);
    if (corvane::engine::SetId3Tag(path.c_str(), block) != 0) __builtin_trap();
    const std::string after = ReadBack(path);
    const size_t kept = EndsWithTag(data, size) ? size - 128 : size;
    if (after.size() != kept + 128) __builtin_trap();
    if (std::memcmp(after.data(), data, kept) != 0) __builtin_trap();
    return 0;
}
