#pragma once
// The four-byte header of an MPEG audio frame (Layers I, II and III of
// MPEG-1, MPEG-2 and MPEG-2.5) and the VBR information frames (Xing/Info and
// VBRI) that encoders put in place of the first audio frame.
#include <cstddef>
#include <cstdint>
#include <optional>

namespace corvane::engine {

enum class MpegVersion { Mpeg1, Mpeg2, Mpeg25 };

enum class ChannelMode { Stereo = 0, JointStereo = 1, DualChannel = 2, SingleChannel = 3 };

struct FrameHeader {
    MpegVersion version = MpegVersion::Mpeg1;
    int layer = 0;          // 1, 2 or 3
    bool crcProtected = false;
    int bitrate = 0;        // bits per second
    int sampleRate = 0;     // Hz
    bool padding = false;
    ChannelMode mode = ChannelMode::Stereo;
    bool copyright = false;
    bool original = false;
    int emphasis = 0;       // 0 none, 1 50/15 us, 3 CCITT J.17
    int frameBytes = 0;     // the whole frame, header included
    int samplesPerFrame = 0;

    int Channels() const { return mode == ChannelMode::SingleChannel ? 1 : 2; }
    // Frames of one stream agree on these; a header that does not is a
    // false sync or the start of another stream.
    bool SameStreamAs(const FrameHeader &other) const {
        return version == other.version && layer == other.layer && sampleRate == other.sampleRate;
    }
};

// Parses four bytes; no value for anything that is not a valid header (bad
// sync, reserved version, layer, rate or emphasis, free-format bitrate, or a
// Layer II bitrate that its channel mode forbids).
std::optional<FrameHeader> ParseFrameHeader(const uint8_t *bytes);

// A VBR information frame found inside the first frame of a stream.
struct VbrInfo {
    enum class Kind { Xing, Info, Vbri } kind = Kind::Xing;
    std::optional<uint32_t> frames;  // audio frames, the information frame not counted
    std::optional<uint32_t> bytes;   // as the encoder wrote it
    // Encoder delay and padding from a LAME extension, in samples.
    std::optional<int> encoderDelay;
    std::optional<int> encoderPadding;
};

// Looks for a Xing/Info or VBRI frame in frame (frameSize bytes starting at
// its header).
std::optional<VbrInfo> ParseVbrInfo(const FrameHeader &header, const uint8_t *frame, size_t frameSize);

const char *ChannelModeText(ChannelMode mode);
const char *MpegVersionText(MpegVersion version);

}  // namespace corvane::engine
