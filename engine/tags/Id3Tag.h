#pragma once
// The 128-byte ID3 version 1 tag block at the end of an audio file: reading
// it (or, for a file that has only an ID3 version 2 tag, a block built from
// that tag) and writing it in place or appended, never touching a byte of the
// audio data before it.
//
// Error numbers: 53 no such file; 75 no access, a folder, or a read-only file
// (one without any write permission bit: it counts as read-only even for a
// user, such as root, whom the system would let write it); 30074 the file is
// locked by another process (a POSIX record lock or a flock lock that
// conflicts); 57 any other failure to read or write.
//
// engine/tags holds the ID3 version 1 tag and the genre names; it includes
// only the engine's platform files.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::engine {

constexpr size_t kTagBlockSize = 128;
using TagBlock = std::array<char, kTagBlockSize>;

struct TagFields {
    std::string title, artist, album, year, comment;  // single-byte Latin-1 text
    int genre = 255;                                  // 255: none
};

// "TAG", then each field cut to its width (30, 30, 30, 4, 30) and filled with
// NUL bytes, then the genre byte.
TagBlock BuildTagBlock(const TagFields &fields);

// Writes 128 bytes and a NUL into out: the file's ID3v1 block, else one built
// from its ID3v2 tag, else 128 NUL bytes (no marker). Returns 0 or an error
// number.
int16_t ReadTagBlock(const std::string &path, char out[kTagBlockSize + 1]);

// Writes the first 128 bytes of block over the file's ID3v1 block, or appends
// them when it has none. The first three bytes are always written as the
// marker "TAG", so that the file keeps exactly one recognisable tag. Returns 0
// or an error number; on failure the file is as it was.
int16_t WriteTagBlock(const std::string &path, const char *block);

// UTF-8 to single-byte Latin-1; a character beyond Latin-1 or a broken
// sequence becomes '?'.
std::string Utf8ToLatin1(std::string_view utf8);

// The ID3v1 genre number of an ID3v2 genre text: "(17)", "17", "(17)Rock" or
// a genre name such as "Rock" (letter case ignored); 255 when unknown.
int GenreNumberFromText(std::string_view text);

}  // namespace corvane::engine
