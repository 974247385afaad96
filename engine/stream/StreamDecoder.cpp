#include "engine/stream/StreamDecoder.h"

#include "engine/stream/FrameInfo.h"
#include "engine/stream/FrameScan.h"
#include "engine/stream/LengthCache.h"

#include <mpg123.h>

#include <algorithm>
#include <mutex>
#include <optional>

namespace corvane::engine {

namespace {

constexpr int kFileNotFound = 53;
constexpr int kAccessError = 75;
constexpr int kNotAudio = 30075;
constexpr long kSeekPreframes = 16;

void InitialiseLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

bool ConfigureFloatStereo(mpg123_handle *handle, bool gapless) {
    const long flags = MPG123_FORCE_FLOAT | MPG123_FORCE_STEREO | MPG123_QUIET;
    if (mpg123_param(handle, MPG123_ADD_FLAGS, flags, 0) != MPG123_OK) return false;
    if (mpg123_param(handle, gapless ? MPG123_ADD_FLAGS : MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0) != MPG123_OK)
        return false;
    // After a seek, Layer III needs the frames before the target to refill
    // its bit reservoir; low-rate VBR streams reach back far, so decode more
    // of them than the library's default so that a seek hears what a linear
    // decode hears.
    if (mpg123_param(handle, MPG123_PREFRAMES, kSeekPreframes, 0) != MPG123_OK) return false;
    if (mpg123_format_none(handle) != MPG123_OK) return false;
    const long *rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i) {
        if (mpg123_format(handle, rates[i], MPG123_STEREO, MPG123_ENC_FLOAT_32) != MPG123_OK) return false;
    }
    return true;
}

bool XingCountFitsFile(const PlatformFile &file) {
    BlockReader reader(file);
    const auto layout = LocateStream(reader);
    // A VBRI frame is not one the decoder takes the length from.
    return layout && VbrCountFitsFile(*layout) && layout->vbr->kind != VbrInfo::Kind::Vbri;
}

// The exact length of a file without a usable Xing count, from the frame
// scan; no value when the scan does not recognise the file.
std::optional<ScannedLength> LengthFromScan(const PlatformFile &file) {
    if (const auto cached = CachedLength(file.Identity())) return cached;
    const auto info = ReadFrameInfo(file);
    if (!info) return std::nullopt;
    return ScannedLength{info->totalSamples, info->totalSamples != info->frames * info->first.samplesPerFrame};
}

}  // namespace

StreamDecoder::StreamDecoder() { InitialiseLibraryOnce(); }

StreamDecoder::~StreamDecoder() { Close(); }

int StreamDecoder::Open(const std::string &path) {
    Close();
    // A folder is not a file that can be read: it is an access error.
    file_ = std::make_unique<PlatformFile>(path, PlatformFile::Access::Read);
    if (!file_->IsRegular()) {
        const int result = file_->State() == FileState::Missing ? kFileNotFound : kAccessError;
        Close();
        return result;
    }

    // Without a trustworthy Xing/Info frame the decoder only estimates the
    // length. The exact one comes from the frame scan that reading the frame
    // information made (or makes now: a fraction of the decoder's own scan),
    // so a file is scanned once; the decoder scans itself only a file the
    // frame scan does not take. Seeks stay sample-accurate either way: the
    // decoder walks the frame headers up to a target it has not indexed yet.
    const bool lengthUnknown = !XingCountFitsFile(*file_);
    const auto scanned = lengthUnknown ? LengthFromScan(*file_) : std::nullopt;
    knownLength_ = scanned ? scanned->samples : -1;
    file_->Rewind();

    int error = MPG123_OK;
    handle_ = mpg123_new(nullptr, &error);
    // The decoder trims what the encoder added exactly when the scan did.
    const bool trimmed = !scanned || scanned->gapless;
    if (handle_ == nullptr || !ConfigureFloatStereo(handle_, trimmed) ||
        mpg123_open_fd(handle_, file_->Descriptor()) != MPG123_OK) {
        Close();
        return kNotAudio;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK || rate <= 0) {
        Close();
        return kNotAudio;
    }
    if (!scanned && lengthUnknown) mpg123_scan(handle_);

    mpg123_frameinfo info{};
    mpg123_info(handle_, &info);
    format_.sampleRate = static_cast<int>(rate);
    format_.sourceChannels = info.mode == MPG123_M_MONO ? 1 : 2;
    position_ = 0;
    return 0;
}

void StreamDecoder::Close() {
    if (handle_ != nullptr) {
        mpg123_close(handle_);
        mpg123_delete(handle_);
        handle_ = nullptr;
    }
    file_.reset();
    format_ = StreamFormat{};
    position_ = 0;
    knownLength_ = -1;
}

bool StreamDecoder::IsOpen() const { return handle_ != nullptr; }

StreamFormat StreamDecoder::Format() const { return format_; }

int64_t StreamDecoder::TotalFrames() const {
    if (handle_ == nullptr) return -1;
    if (knownLength_ >= 0) return knownLength_;
    const off_t length = mpg123_length(handle_);
    return length < 0 ? -1 : static_cast<int64_t>(length);
}

int64_t StreamDecoder::Position() const { return position_; }

// Never past the length: after a seek to the very end libmpg123 can still
// hand out the padding its gapless decoding otherwise removes.
size_t StreamDecoder::Read(float *out, size_t maxFrames) {
    if (const int64_t total = TotalFrames(); total >= 0)
        maxFrames = std::min(maxFrames, static_cast<size_t>(std::max<int64_t>(total - position_, 0)));
    if (handle_ == nullptr || maxFrames == 0) return 0;
    const size_t frameBytes = kOutputChannels * sizeof(float);
    auto *bytes = reinterpret_cast<unsigned char *>(out);
    size_t filled = 0;
    // mpg123_read may return without data (a new format, a skipped frame);
    // keep asking until there is data, the end, or an error.
    for (int attempt = 0; attempt < 64 && filled < maxFrames * frameBytes; ++attempt) {
        size_t done = 0;
        const int result = mpg123_read(handle_, bytes + filled, maxFrames * frameBytes - filled, &done);
        filled += done;
        if (result == MPG123_DONE || (result != MPG123_OK && result != MPG123_NEW_FORMAT)) break;
        if (done > 0) attempt = 0;
    }
    const size_t frames = filled / frameBytes;
    position_ += static_cast<int64_t>(frames);
    return frames;
}

bool StreamDecoder::Seek(int64_t frame) {
    if (handle_ == nullptr) return false;
    const int64_t total = TotalFrames();
    frame = std::max<int64_t>(frame, 0);
    if (total >= 0) frame = std::min(frame, total);
    const off_t reached = mpg123_seek(handle_, static_cast<off_t>(frame), SEEK_SET);
    if (reached < 0) return false;
    // A damaged stream can make libmpg123 report a place past the end.
    position_ = total >= 0 ? std::min<int64_t>(reached, total) : static_cast<int64_t>(reached);
    return true;
}

int DecodeFile(const std::string &path, std::vector<float> &samples, StreamFormat &format) {
    StreamDecoder decoder;
    const int result = decoder.Open(path);
    if (result != 0) return result;
    format = decoder.Format();
    samples.clear();
    if (decoder.TotalFrames() > 0) samples.reserve(static_cast<size_t>(decoder.TotalFrames()) * kOutputChannels);
    constexpr size_t kChunkFrames = 4096;
    std::vector<float> chunk(kChunkFrames * kOutputChannels);
    while (const size_t frames = decoder.Read(chunk.data(), kChunkFrames)) {
        samples.insert(samples.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(frames * kOutputChannels));
    }
    return 0;
}

}  // namespace corvane::engine
