#include "engine/stream/FrameHeader.h"

#include <cstring>

namespace corvane::engine {

namespace {

// kbps by [table][index]; index 0 (free format) and 15 (bad) are not used.
constexpr int kBitrates[5][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG-1 Layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG-1 Layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG-1 Layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG-2/2.5 Layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG-2/2.5 Layers II, III
};

constexpr int kSampleRates[3][3] = {
    {44100, 48000, 32000},  // MPEG-1
    {22050, 24000, 16000},  // MPEG-2
    {11025, 12000, 8000},   // MPEG-2.5
};

int BitrateTable(MpegVersion version, int layer) {
    if (version == MpegVersion::Mpeg1) return layer - 1;
    return layer == 1 ? 3 : 4;
}

// MPEG-1 Layer II allows some bitrates only in mono and others only in the
// two-channel modes.
bool LayerTwoBitrateAllowed(int kbps, ChannelMode mode) {
    const bool mono = mode == ChannelMode::SingleChannel;
    if (kbps == 32 || kbps == 48 || kbps == 56 || kbps == 80) return mono;
    if (kbps >= 224) return !mono;
    return true;
}

int SamplesPerFrame(MpegVersion version, int layer) {
    if (layer == 1) return 384;
    if (layer == 2 || version == MpegVersion::Mpeg1) return 1152;
    return 576;
}

int FrameBytes(const FrameHeader &h) {
    if (h.layer == 1) return (12 * h.bitrate / h.sampleRate + (h.padding ? 1 : 0)) * 4;
    const int factor = (h.layer == 3 && h.version != MpegVersion::Mpeg1) ? 72 : 144;
    return factor * h.bitrate / h.sampleRate + (h.padding ? 1 : 0);
}

uint32_t BigEndian32(const uint8_t *p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

// The Layer III side information follows the header (and its CRC); the Xing
// frame follows the side information. Encoders disagree on whether the CRC
// counts, so both places are tried.
size_t XingOffset(const FrameHeader &h, bool countCrc) {
    const bool mono = h.mode == ChannelMode::SingleChannel;
    const size_t sideInfo = h.version == MpegVersion::Mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    return 4 + (countCrc && h.crcProtected ? 2 : 0) + sideInfo;
}

std::optional<VbrInfo> ParseXingAt(size_t at, const uint8_t *frame, size_t frameSize) {
    if (at + 8 > frameSize) return std::nullopt;
    const bool xing = std::memcmp(frame + at, "Xing", 4) == 0;
    const bool info = std::memcmp(frame + at, "Info", 4) == 0;
    if (!xing && !info) return std::nullopt;
    VbrInfo result;
    result.kind = xing ? VbrInfo::Kind::Xing : VbrInfo::Kind::Info;
    const uint32_t flags = BigEndian32(frame + at + 4);
    at += 8;
    if ((flags & 1u) != 0) {
        if (at + 4 > frameSize) return result;
        result.frames = BigEndian32(frame + at);
        at += 4;
    }
    if ((flags & 2u) != 0) {
        if (at + 4 > frameSize) return result;
        result.bytes = BigEndian32(frame + at);
        at += 4;
    }
    if ((flags & 4u) != 0) at += 100;  // seek table
    if ((flags & 8u) != 0) at += 4;    // quality
    // A LAME extension: a nine-character encoder name, then at +21 twelve
    // bits of encoder delay and twelve bits of padding.
    constexpr size_t kLameDelayOffset = 21;
    if (at + kLameDelayOffset + 3 <= frameSize && std::memcmp(frame + at, "LAME", 4) == 0) {
        const uint8_t *d = frame + at + kLameDelayOffset;
        result.encoderDelay = (d[0] << 4) | (d[1] >> 4);
        result.encoderPadding = ((d[1] & 0x0F) << 8) | d[2];
    }
    return result;
}

std::optional<VbrInfo> ParseXing(const FrameHeader &header, const uint8_t *frame, size_t frameSize) {
    if (auto found = ParseXingAt(XingOffset(header, false), frame, frameSize)) return found;
    if (!header.crcProtected) return std::nullopt;
    return ParseXingAt(XingOffset(header, true), frame, frameSize);
}

std::optional<VbrInfo> ParseVbri(const uint8_t *frame, size_t frameSize) {
    constexpr size_t kVbriOffset = 4 + 32;
    if (kVbriOffset + 18 > frameSize || std::memcmp(frame + kVbriOffset, "VBRI", 4) != 0) return std::nullopt;
    VbrInfo result;
    result.kind = VbrInfo::Kind::Vbri;
    result.bytes = BigEndian32(frame + kVbriOffset + 10);
    result.frames = BigEndian32(frame + kVbriOffset + 14);
    return result;
}

}  // namespace

std::optional<FrameHeader> ParseFrameHeader(const uint8_t *b) {
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) return std::nullopt;
    const int versionBits = (b[1] >> 3) & 3;
    const int layerBits = (b[1] >> 1) & 3;
    const int bitrateIndex = b[2] >> 4;
    const int rateIndex = (b[2] >> 2) & 3;
    const int emphasis = b[3] & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3 ||
        emphasis == 2) {
        return std::nullopt;
    }
    FrameHeader h;
    h.version = versionBits == 3 ? MpegVersion::Mpeg1 : versionBits == 2 ? MpegVersion::Mpeg2 : MpegVersion::Mpeg25;
    h.layer = 4 - layerBits;
    h.crcProtected = (b[1] & 1) == 0;
    const int kbps = kBitrates[BitrateTable(h.version, h.layer)][bitrateIndex];
    h.bitrate = kbps * 1000;
    h.sampleRate = kSampleRates[static_cast<int>(h.version)][rateIndex];
    h.padding = ((b[2] >> 1) & 1) != 0;
    h.mode = static_cast<ChannelMode>(b[3] >> 6);
    h.copyright = ((b[3] >> 3) & 1) != 0;
    h.original = ((b[3] >> 2) & 1) != 0;
    h.emphasis = emphasis;
    if (h.layer == 2 && h.version == MpegVersion::Mpeg1 && !LayerTwoBitrateAllowed(kbps, h.mode)) return std::nullopt;
    h.frameBytes = FrameBytes(h);
    h.samplesPerFrame = SamplesPerFrame(h.version, h.layer);
    return h;
}

std::optional<VbrInfo> ParseVbrInfo(const FrameHeader &header, const uint8_t *frame, size_t frameSize) {
    if (header.layer != 3) return std::nullopt;
    if (auto xing = ParseXing(header, frame, frameSize)) return xing;
    return ParseVbri(frame, frameSize);
}

const char *ChannelModeText(ChannelMode mode) {
    switch (mode) {
    case ChannelMode::Stereo: return "Stereo";
    case ChannelMode::JointStereo: return "Joint Stereo";
    case ChannelMode::DualChannel: return "Dual Channel";
    case ChannelMode::SingleChannel: return "Single Channel";
    }
    return "Stereo";
}

const char *MpegVersionText(MpegVersion version) {
    switch (version) {
    case MpegVersion::Mpeg1: return "1";
    case MpegVersion::Mpeg2: return "2";
    case MpegVersion::Mpeg25: return "2.5";
    }
    return "1";
}

}  // namespace corvane::engine
