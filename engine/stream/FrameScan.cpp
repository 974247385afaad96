#include "engine/stream/FrameScan.h"

#include <atomic>

#include <algorithm>
#include <cstring>

namespace corvane::engine {

namespace {

constexpr size_t kBlockSize = 64 * 1024;
// A file without a frame in its first megabyte after the ID3v2 tags is not
// audio; within the stream, the scan gives up resynchronising where
// libmpg123 does (its default resync limit), so both end at the same frame.
constexpr int64_t kFirstFrameReach = 1024 * 1024;
constexpr int64_t kResyncReach = 1024;
constexpr int64_t kId3v1Size = 128;
constexpr int64_t kApeFooterSize = 32;

uint32_t LittleEndian32(const uint8_t *p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

std::optional<FrameHeader> HeaderAt(BlockReader &reader, int64_t offset) {
    uint8_t bytes[4];
    if (!reader.ReadAt(offset, bytes, sizeof bytes)) return std::nullopt;
    return ParseFrameHeader(bytes);
}

// A header is believed when the frame it describes ends exactly where the
// audio ends or where another header of the same stream begins.
bool ConfirmedBy(BlockReader &reader, const FrameHeader &header, int64_t offset, int64_t audioEnd) {
    const int64_t next = offset + header.frameBytes;
    if (next == audioEnd) return true;
    if (next > audioEnd) return false;
    const auto following = HeaderAt(reader, next);
    return following && following->SameStreamAs(header);
}

// The next believable header at or after offset and less than `reach` bytes
// after it; with a reference, only one of that stream counts.
std::optional<int64_t> FindHeader(BlockReader &reader, int64_t offset, int64_t audioEnd, const FrameHeader *reference,
                                  int64_t reach) {
    uint8_t window[4];
    const int64_t end = std::min(audioEnd, offset + reach + 3);
    for (int64_t at = offset; at + 4 <= end; ++at) {
        if (!reader.ReadAt(at, window, 1)) return std::nullopt;
        if (window[0] != 0xFF) continue;
        const auto header = HeaderAt(reader, at);
        if (!header || (reference != nullptr && !header->SameStreamAs(*reference))) continue;
        if (ConfirmedBy(reader, *header, at, audioEnd)) return at;
    }
    return std::nullopt;
}

// Where the audio data ends: before an ID3 version 1 tag and an APE tag.
int64_t AudioEnd(BlockReader &reader) {
    int64_t end = reader.Size();
    uint8_t marker[3];
    if (end >= kId3v1Size && reader.ReadAt(end - kId3v1Size, marker, 3) && std::memcmp(marker, "TAG", 3) == 0) {
        end -= kId3v1Size;
    }
    uint8_t footer[kApeFooterSize];
    if (end >= kApeFooterSize && reader.ReadAt(end - kApeFooterSize, footer, sizeof footer) &&
        std::memcmp(footer, "APETAGEX", 8) == 0) {
        const int64_t tagSize = LittleEndian32(footer + 12);
        const bool hasHeader = (LittleEndian32(footer + 20) & 0x80000000u) != 0;
        const int64_t whole = tagSize + (hasHeader ? kApeFooterSize : 0);
        if (whole >= kApeFooterSize && whole <= end) end -= whole;
    }
    return end;
}

}  // namespace

BlockReader::BlockReader(const PlatformFile &file) : file_(file), size_(file.Size()) {}

bool BlockReader::Load(int64_t offset) {
    const int64_t start = offset - offset % static_cast<int64_t>(kBlockSize);
    block_.resize(kBlockSize);
    const auto filled = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(kBlockSize), size_ - start));
    if (filled == 0 || !file_.ReadAt(start, block_.data(), filled)) {
        blockStart_ = -1;
        return false;
    }
    block_.resize(filled);
    blockStart_ = start;
    return true;
}

bool BlockReader::ReadAt(int64_t offset, uint8_t *out, size_t count) {
    if (offset < 0 || offset + static_cast<int64_t>(count) > size_) return false;
    while (count > 0) {
        const bool inBlock = blockStart_ >= 0 && offset >= blockStart_ &&
                             offset < blockStart_ + static_cast<int64_t>(block_.size());
        if (!inBlock && !Load(offset)) return false;
        const size_t from = static_cast<size_t>(offset - blockStart_);
        if (from >= block_.size()) return false;
        const size_t take = std::min(count, block_.size() - from);
        std::memcpy(out, block_.data() + from, take);
        out += take;
        offset += static_cast<int64_t>(take);
        count -= take;
    }
    return true;
}

int64_t Id3v2TagsSize(BlockReader &reader, int64_t offset) {
    int64_t at = offset;
    uint8_t h[10];
    while (reader.ReadAt(at, h, sizeof h) && std::memcmp(h, "ID3", 3) == 0 && h[3] != 0xFF && h[4] != 0xFF &&
           (h[6] | h[7] | h[8] | h[9]) < 0x80) {
        const int64_t body = (int64_t{h[6]} << 21) | (int64_t{h[7]} << 14) | (int64_t{h[8]} << 7) | int64_t{h[9]};
        const bool footer = (h[5] & 0x10) != 0;
        at += 10 + body + (footer ? 10 : 0);
    }
    return at - offset;
}

std::optional<StreamLayout> LocateStream(BlockReader &reader) {
    StreamLayout layout;
    layout.audioEnd = AudioEnd(reader);
    const int64_t start = Id3v2TagsSize(reader, 0);
    const auto found = FindHeader(reader, start, layout.audioEnd, nullptr, kFirstFrameReach);
    if (!found) return std::nullopt;
    layout.first = *HeaderAt(reader, *found);
    layout.firstAudioOffset = *found;

    std::vector<uint8_t> frame(static_cast<size_t>(layout.first.frameBytes));
    if (reader.ReadAt(*found, frame.data(), frame.size())) {
        layout.vbr = ParseVbrInfo(layout.first, frame.data(), frame.size());
    }
    if (layout.vbr) {
        layout.infoFrameOffset = *found;
        const int64_t next = *found + layout.first.frameBytes;
        // libmpg123 knows Xing/Info frames and skips them, but decodes a VBRI
        // frame like any other.
        if (layout.vbr->kind != VbrInfo::Kind::Vbri) layout.firstAudioOffset = next;
        // The fields of the stream come from the frame after the information
        // frame, whose own bitrate is arbitrary.
        if (const auto audio = HeaderAt(reader, next); audio && audio->SameStreamAs(layout.first)) {
            layout.first = *audio;
        }
    }
    return layout;
}

namespace {
std::atomic<uint64_t> scansSoFar{0};
}

uint64_t FrameScansSoFar() { return scansSoFar.load(std::memory_order_relaxed); }

ScanResult ScanFrames(BlockReader &reader, const StreamLayout &layout) {
    scansSoFar.fetch_add(1, std::memory_order_relaxed);
    ScanResult result;
    int64_t at = layout.firstAudioOffset;
    while (at + 4 <= layout.audioEnd) {
        const auto header = HeaderAt(reader, at);
        if (header && header->SameStreamAs(layout.first)) {
            if (at + header->frameBytes > layout.audioEnd) break;  // cut short
            ++result.frames;
            result.bytes += header->frameBytes;
            if (header->bitrate != layout.first.bitrate) result.bitrateVaries = true;
            at += header->frameBytes;
            continue;
        }
        const auto next = FindHeader(reader, at + 1, layout.audioEnd, &layout.first, kResyncReach);
        if (!next) break;
        at = *next;
    }
    return result;
}

bool VbrCountFitsFile(const StreamLayout &layout) {
    if (!layout.vbr || !layout.vbr->frames || *layout.vbr->frames == 0) return false;
    if (!layout.vbr->bytes) return true;
    return static_cast<int64_t>(*layout.vbr->bytes) == layout.audioEnd - layout.infoFrameOffset;
}

}  // namespace corvane::engine
