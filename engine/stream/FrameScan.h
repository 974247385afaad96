#pragma once
// Walks the frame headers of an MPEG audio file without decoding: finds the
// first audio frame behind ID3 version 2 tags and junk, reads a Xing/Info or
// VBRI frame, and counts the frames when no such frame gives the count.
#include "engine/stream/FrameHeader.h"
#include "engine/PlatformFile.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace corvane::engine {

// Reads a file through a window of cached blocks, so that hopping from one
// frame header to the next costs no system call per frame.
class BlockReader {
public:
    explicit BlockReader(const PlatformFile &file);
    int64_t Size() const { return size_; }
    // Copies count bytes at offset into out; false when they are not all
    // there or the read fails.
    bool ReadAt(int64_t offset, uint8_t *out, size_t count);

private:
    bool Load(int64_t offset);
    const PlatformFile &file_;
    int64_t size_;
    int64_t blockStart_ = -1;
    std::vector<uint8_t> block_;
};

enum class LengthSource { Xing, Info, Vbri, Scan };

struct StreamLayout {
    FrameHeader first;                 // the first audio frame
    int64_t infoFrameOffset = -1;      // the Xing/Info/VBRI frame, -1 if none
    int64_t firstAudioOffset = 0;      // the first frame the decoder plays
    int64_t audioEnd = 0;              // where the audio data ends (before an ID3v1 tag)
    std::optional<VbrInfo> vbr;
};

struct ScanResult {
    int64_t frames = 0;
    int64_t bytes = 0;                 // of the frames counted
    bool bitrateVaries = false;
};

// Locates the stream behind any ID3v2 tags and junk at the start. No value
// when no frame header is found that the next header confirms.
std::optional<StreamLayout> LocateStream(BlockReader &reader);

// Counts the whole audio frames from layout.firstAudioOffset to
// layout.audioEnd, resynchronising over damaged stretches; a frame cut short
// by the end of the file is not counted.
ScanResult ScanFrames(BlockReader &reader, const StreamLayout &layout);
// How many whole-file scans ScanFrames has made in this process.
uint64_t FrameScansSoFar();

// Whether the Xing/Info or VBRI frame's count can be taken: only when the
// file still holds exactly the bytes the encoder wrote; a cut or extended
// file must be scanned instead.
bool VbrCountFitsFile(const StreamLayout &layout);

// The size of the ID3 version 2 tags at offset (0 if there are none).
int64_t Id3v2TagsSize(BlockReader &reader, int64_t offset);

}  // namespace corvane::engine
