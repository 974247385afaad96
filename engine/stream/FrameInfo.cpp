#include "engine/stream/FrameInfo.h"

#include <mpg123.h>

#include <cmath>
#include <mutex>

#include "engine/stream/LengthCache.h"

namespace corvane::engine {

namespace {

void InitialiseLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

// Whether libmpg123 finds an MPEG audio stream in the file (it also skips
// ID3v2 tags and junk): only a stream that the player can decode is
// recognised.
bool DecoderRecognises(const PlatformFile &file) {
    InitialiseLibraryOnce();
    mpg123_handle *handle = mpg123_new(nullptr, nullptr);
    if (handle == nullptr) return false;
    bool recognised = false;
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    if (file.Rewind() && mpg123_open_fd(handle, file.Descriptor()) == MPG123_OK) {
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        recognised = mpg123_getformat(handle, &rate, &channels, &encoding) == MPG123_OK && rate > 0;
        mpg123_close(handle);
    }
    mpg123_delete(handle);
    return recognised;
}

LengthSource SourceOf(VbrInfo::Kind kind) {
    switch (kind) {
    case VbrInfo::Kind::Xing: return LengthSource::Xing;
    case VbrInfo::Kind::Info: return LengthSource::Info;
    case VbrInfo::Kind::Vbri: return LengthSource::Vbri;
    }
    return LengthSource::Scan;
}

const char *SourceText(LengthSource source) {
    switch (source) {
    case LengthSource::Xing: return "Xing";
    case LengthSource::Info: return "Info";
    case LengthSource::Vbri: return "VBRI";
    case LengthSource::Scan: return "scan";
    }
    return "scan";
}

// The decoder removes the encoder delay and padding that a LAME extension
// declares, as long as the stream holds the frames it announced.
int64_t GaplessSamples(const StreamLayout &layout, int64_t frames) {
    const int64_t all = frames * layout.first.samplesPerFrame;
    const auto &vbr = layout.vbr;
    if (!vbr || !vbr->frames || static_cast<int64_t>(*vbr->frames) != frames || !vbr->encoderDelay ||
        !vbr->encoderPadding) {
        return all;
    }
    const int64_t trimmed = all - *vbr->encoderDelay - *vbr->encoderPadding;
    return trimmed > 0 ? trimmed : all;
}

}  // namespace

int64_t FrameInfo::LengthMilliseconds() const {
    return first.sampleRate > 0 ? totalSamples * 1000 / first.sampleRate : 0;
}

int64_t FrameInfo::LengthSeconds() const { return first.sampleRate > 0 ? totalSamples / first.sampleRate : 0; }

std::optional<FrameInfo> ReadFrameInfo(const PlatformFile &file) {
    if (!DecoderRecognises(file)) return std::nullopt;
    BlockReader reader(file);
    const auto layout = LocateStream(reader);
    if (!layout) return std::nullopt;

    FrameInfo info;
    info.first = layout->first;
    info.fileSize = file.Size();
    info.firstAudioOffset = layout->firstAudioOffset;
    if (VbrCountFitsFile(*layout)) {
        // A VBRI count leaves out the VBRI frame, which the decoder plays.
        const bool vbri = layout->vbr->kind == VbrInfo::Kind::Vbri;
        info.frames = *layout->vbr->frames + (vbri ? 1 : 0);
        info.audioBytes = layout->audioEnd - layout->firstAudioOffset;
        info.lengthSource = SourceOf(layout->vbr->kind);
        info.variableBitrate = layout->vbr->kind != VbrInfo::Kind::Info;
    } else {
        const ScanResult scan = ScanFrames(reader, *layout);
        info.frames = scan.frames;
        info.audioBytes = scan.bytes;
        info.lengthSource = LengthSource::Scan;
        info.variableBitrate = scan.bitrateVaries;
    }
    if (info.frames <= 0) return std::nullopt;
    info.totalSamples = GaplessSamples(*layout, info.frames);
    if (info.lengthSource == LengthSource::Scan)
        RememberLength(file.Identity(),
                       {info.totalSamples, info.totalSamples != info.frames * info.first.samplesPerFrame});
    const double codedSeconds =
        static_cast<double>(info.frames * info.first.samplesPerFrame) / info.first.sampleRate;
    info.bitrate = info.variableBitrate
                       ? static_cast<int>(std::llround(static_cast<double>(info.audioBytes) * 8.0 / codedSeconds))
                       : info.first.bitrate;
    return info;
}

std::string FormatFrameInfo(const FrameInfo &info) {
    const FrameHeader &h = info.first;
    const auto flag = [](bool value) { return value ? "1" : "0"; };
    std::string text;
    const auto add = [&text](const std::string &field) {
        if (!text.empty()) text += '|';
        text += field;
    };
    add(MpegVersionText(h.version));
    add(std::to_string(h.layer));
    add(std::to_string(info.LengthMilliseconds()));
    add(std::to_string(info.bitrate));
    add(std::to_string(h.sampleRate));
    add(flag(h.crcProtected));
    add(std::to_string(h.Channels()));
    add(ChannelModeText(h.mode));
    add(std::to_string(h.emphasis));
    add(flag(h.copyright));
    add(flag(h.original));
    add(info.variableBitrate ? "VBR" : "CBR");
    add(std::to_string(info.fileSize));
    add(std::to_string(info.frames));
    add(std::to_string(info.LengthSeconds()));
    add(std::to_string(info.firstAudioOffset));
    add(std::to_string(info.audioBytes));
    add(std::to_string(info.totalSamples));
    add(SourceText(info.lengthSource));
    return text;
}

}  // namespace corvane::engine
