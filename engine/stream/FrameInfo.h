#pragma once
// The frame information of an MPEG audio file: what its first audio frame
// says, and its exact length and frame count, from a Xing/Info or VBRI frame
// that agrees with the file, otherwise from a scan of the frame headers.
#include "engine/stream/FrameHeader.h"
#include "engine/stream/FrameScan.h"
#include "engine/PlatformFile.h"

#include <cstdint>
#include <optional>
#include <string>

namespace corvane::engine {

struct FrameInfo {
    FrameHeader first;             // the first audio frame
    int64_t fileSize = 0;
    int64_t firstAudioOffset = 0;
    int64_t audioBytes = 0;        // of the audio frames, information frame excluded
    int64_t frames = 0;            // audio frames, information frame excluded
    int64_t totalSamples = 0;      // per channel, as a gapless decode yields them
    int bitrate = 0;               // bits per second; the average when it varies
    bool variableBitrate = false;
    LengthSource lengthSource = LengthSource::Scan;

    int64_t LengthMilliseconds() const;
    int64_t LengthSeconds() const;
};

// Reads the frame information of an open regular file. No value when
// libmpg123 does not recognise an MPEG audio stream in it, or the headers
// cannot be followed.
std::optional<FrameInfo> ReadFrameInfo(const PlatformFile &file);

// The "|"-separated text of fields 0 to 18 (see decoder/CorvaneMP3.h).
std::string FormatFrameInfo(const FrameInfo &info);

}  // namespace corvane::engine
