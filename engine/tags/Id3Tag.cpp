#include "engine/tags/Id3Tag.h"

#include <mpg123.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>
#include <optional>

#include "engine/PlatformFile.h"

namespace corvane::engine {

namespace {

constexpr int16_t kFileNotFound = 53;
constexpr int16_t kIoError = 57;
constexpr int16_t kAccessError = 75;
constexpr int16_t kLocked = 30074;

constexpr size_t kTitleAt = 3, kArtistAt = 33, kAlbumAt = 63, kYearAt = 93, kCommentAt = 97, kGenreAt = 127;
constexpr size_t kTextWidth = 30, kYearWidth = 4;
constexpr int kNoGenre = 255;

constexpr const char *kGenreNames[] = {
#include "engine/tags/Id3GenreNames.inc"
};

int16_t ErrorNumberOf(FileState state) {
    switch (state) {
    case FileState::Missing: return kFileNotFound;
    case FileState::Denied:
    case FileState::Folder:
    case FileState::NotRegular: return kAccessError;
    case FileState::Locked: return kLocked;
    default: return kIoError;
    }
}

void PutField(TagBlock &block, size_t at, size_t width, const std::string &text) {
    std::copy_n(text.begin(), std::min(width, text.size()), block.begin() + static_cast<std::ptrdiff_t>(at));
}

std::string Latin1Of(const mpg123_string *text) {
    if (text == nullptr || text->p == nullptr || text->fill == 0) return {};
    return Utf8ToLatin1(std::string_view(text->p, ::strnlen(text->p, text->fill)));
}

void InitialiseLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

// The ID3v2 tag at the start of the file, as libmpg123 parses it.
std::optional<TagFields> ReadId3v2(const PlatformFile &file) {
    InitialiseLibraryOnce();
    mpg123_handle *handle = mpg123_new(nullptr, nullptr);
    if (handle == nullptr) return std::nullopt;
    std::optional<TagFields> fields;
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    if (file.Rewind() && mpg123_open_fd(handle, file.Descriptor()) == MPG123_OK) {
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        mpg123_getformat(handle, &rate, &channels, &encoding);  // parses what precedes the first frame
        mpg123_id3v1 *v1 = nullptr;
        mpg123_id3v2 *v2 = nullptr;
        if ((mpg123_meta_check(handle) & MPG123_ID3) != 0 && mpg123_id3(handle, &v1, &v2) == MPG123_OK &&
            v2 != nullptr) {
            fields = TagFields{Latin1Of(v2->title), Latin1Of(v2->artist), Latin1Of(v2->album),
                               Latin1Of(v2->year), Latin1Of(v2->comment), GenreNumberFromText(Latin1Of(v2->genre))};
        }
        mpg123_close(handle);
    }
    mpg123_delete(handle);
    return fields;
}

bool StartsWith(const char *bytes, const char *marker) { return std::memcmp(bytes, marker, 3) == 0; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// "(17)..." or "17": the number; anything else: none.
std::optional<int> GenreReference(std::string_view text) {
    const bool parenthesised = text.front() == '(';
    const std::string_view rest = parenthesised ? text.substr(1) : text;
    const size_t digits = std::min(rest.find_first_not_of("0123456789"), rest.size());
    if (digits == 0 || digits > 3) return std::nullopt;
    if (parenthesised ? (digits == rest.size() || rest[digits] != ')') : digits != rest.size()) return std::nullopt;
    int value = 0;
    for (size_t i = 0; i < digits; ++i) value = value * 10 + (rest[i] - '0');
    return value;
}

}  // namespace

TagBlock BuildTagBlock(const TagFields &fields) {
    TagBlock block{};
    std::memcpy(block.data(), "TAG", 3);
    PutField(block, kTitleAt, kTextWidth, fields.title);
    PutField(block, kArtistAt, kTextWidth, fields.artist);
    PutField(block, kAlbumAt, kTextWidth, fields.album);
    PutField(block, kYearAt, kYearWidth, fields.year);
    PutField(block, kCommentAt, kTextWidth, fields.comment);
    block[kGenreAt] = static_cast<char>(static_cast<unsigned char>(fields.genre));
    return block;
}

int16_t ReadTagBlock(const std::string &path, char out[kTagBlockSize + 1]) {
    std::memset(out, 0, kTagBlockSize + 1);
    if (path.empty()) return kFileNotFound;
    const PlatformFile file(path, PlatformFile::Access::Read);
    if (!file.IsRegular()) return ErrorNumberOf(file.State());
    if (file.LockedElsewhere(false)) return kLocked;

    const int64_t size = file.Size();
    if (size >= static_cast<int64_t>(kTagBlockSize)) {
        if (!file.ReadAt(size - static_cast<int64_t>(kTagBlockSize), out, kTagBlockSize)) return kIoError;
        if (StartsWith(out, "TAG")) return 0;
        std::memset(out, 0, kTagBlockSize);
    }
    char start[3] = {};
    if (size >= 3 && file.ReadAt(0, start, 3) && StartsWith(start, "ID3")) {
        if (const auto fields = ReadId3v2(file)) {
            const TagBlock block = BuildTagBlock(*fields);
            std::memcpy(out, block.data(), kTagBlockSize);
        }
    }
    return 0;
}

// The block replaces the file's last 128 bytes when they are a tag, and is
// appended otherwise; nothing before it is ever written.
int16_t WriteTagBlock(const std::string &path, const char *block) {
    if (path.empty()) return kFileNotFound;
    if (block == nullptr) return kIoError;
    const PlatformFile file(path, PlatformFile::Access::ReadWrite);
    if (!file.IsRegular()) return ErrorNumberOf(file.State());
    if (file.LockedElsewhere(true)) return kLocked;

    const int64_t size = file.Size();
    int64_t offset = size;
    char existing[3] = {};
    if (size >= static_cast<int64_t>(kTagBlockSize) &&
        file.ReadAt(size - static_cast<int64_t>(kTagBlockSize), existing, 3) && StartsWith(existing, "TAG")) {
        offset = size - static_cast<int64_t>(kTagBlockSize);
    }
    TagBlock data;
    std::memcpy(data.data(), block, kTagBlockSize);
    std::memcpy(data.data(), "TAG", 3);
    if (file.WriteAt(offset, data.data(), data.size()) && file.Sync()) return 0;
    if (offset == size) file.Truncate(size);  // no half-appended block
    return kIoError;
}

std::string Utf8ToLatin1(std::string_view utf8) {
    std::string text;
    text.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > utf8.size()) {
            text += '?';
            ++i;
            continue;
        }
        uint32_t codePoint = length == 1 ? lead : lead & (0x7Fu >> length);
        bool valid = true;
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            valid = valid && (next & 0xC0) == 0x80;
            codePoint = (codePoint << 6) | (next & 0x3Fu);
        }
        if (!valid) {
            text += '?';
            ++i;
            continue;
        }
        text += codePoint <= 0xFF ? static_cast<char>(codePoint) : '?';
        i += length;
    }
    return text;
}

int GenreNumberFromText(std::string_view text) {
    if (text.empty()) return kNoGenre;
    if (const auto number = GenreReference(text)) return *number <= 255 ? *number : kNoGenre;
    for (size_t i = 0; i < std::size(kGenreNames); ++i) {
        if (EqualIgnoringCase(text, kGenreNames[i])) return static_cast<int>(i);
    }
    return kNoGenre;
}

}  // namespace corvane::engine
