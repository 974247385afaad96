#pragma once
// The file entry points of the decoder library: frame information and the
// ID3 version 1 tag block. The exported C functions forward here.
//
// engine/api holds the entry points the library exports (and the .def of the
// Windows build); it includes playback, stream and tags.
#include <cstdint>

namespace corvane::engine {

int16_t GetFrameInfo(const char *path, char info[201]);
int16_t GetId3Tag(const char *path, char tag[129]);
int16_t SetId3Tag(const char *path, const char *tag);

}  // namespace corvane::engine
