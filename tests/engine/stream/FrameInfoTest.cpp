// Frame information of every generated fixture against what its encoder was
// told and against a full decode; the decoder's exact seeks.
#include "engine/api/FileEntryPoints.h"
#include "engine/stream/FrameScan.h"
#include "engine/stream/StreamDecoder.h"
#include "support/Fixtures.h"
#include "support/Paths.h"
#include "support/WavFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace corvane::engine {
namespace {

using testing::AudioFixture;
using testing::FixturePath;
using testing::WavAudio;
namespace fs = std::filesystem;

enum Field {
    kVersion, kLayer, kLengthMs, kBitrate, kSampleRate, kCrc, kChannels, kMode, kEmphasis, kCopyright,
    kOriginal, kBitrateMode, kFileSize, kFrames, kSeconds, kFirstFrame, kAudioBytes, kTotalSamples, kSource,
    kFieldCount
};

struct Info {
    int16_t result;
    std::string text;
    std::vector<std::string> fields;
    int64_t operator[](Field f) const { return std::stoll(fields.at(f)); }
};

Info ReadInfo(const std::string &path) {
    char buffer[201];
    std::memset(buffer, 'x', sizeof buffer);
    Info info{GetFrameInfo(path.c_str(), buffer), "", {}};
    info.text.assign(buffer, strnlen(buffer, sizeof buffer));
    std::stringstream stream(info.text);
    for (std::string field; std::getline(stream, field, '|');) info.fields.push_back(field);
    return info;
}

WavAudio Decode(const std::string &path) {
    WavAudio audio{0, kOutputChannels, {}};
    StreamFormat format;
    EXPECT_EQ(DecodeFile(path, audio.samples, format), 0) << path;
    audio.sampleRate = format.sampleRate;
    return audio;
}

int64_t OpenedLength(const std::string &path) {
    StreamDecoder decoder;
    EXPECT_EQ(decoder.Open(path), 0) << path;
    return decoder.TotalFrames();
}

class EveryFixture : public ::testing::TestWithParam<AudioFixture> {};

TEST_P(EveryFixture, InformationIsWhatTheEncoderWasToldAndWhatADecodeGives) {
    const AudioFixture &f = GetParam();
    const std::string path = FixturePath(f.name);
    const Info info = ReadInfo(path);
    ASSERT_EQ(info.result, 1);
    ASSERT_EQ(info.fields.size(), size_t{kFieldCount}) << info.text;
    EXPECT_EQ(info.fields[kVersion], f.version);
    EXPECT_EQ(info.fields[kMode], f.channelMode);
    EXPECT_EQ(info.fields[kSource], f.lengthSource);
    EXPECT_EQ(info.fields[kBitrateMode], f.bitrate > 0 ? "CBR" : "VBR");
    const std::pair<Field, int64_t> numbers[] = {
        {kLayer, f.layer}, {kSampleRate, f.sampleRate}, {kChannels, f.channels}, {kCrc, f.crc},
        {kCopyright, f.copyright}, {kOriginal, f.original}, {kEmphasis, f.emphasis},
        {kFileSize, static_cast<int64_t>(fs::file_size(path))}};
    for (auto [field, value] : numbers) EXPECT_EQ(info[field], value) << "field " << field;
    if (f.bitrate > 0) { EXPECT_EQ(info[kBitrate], f.bitrate); }
    const int64_t total = info[kTotalSamples], frames = info[kFrames], perFrame = f.SamplesPerFrame();
    // The average bit rate fits the audio bytes.
    const double fromBytes = info[kAudioBytes] * 8.0 * f.sampleRate / static_cast<double>(frames * perFrame);
    EXPECT_NEAR(static_cast<double>(info[kBitrate]), fromBytes, 0.01 * fromBytes);
    EXPECT_LE(info[kFirstFrame] + info[kAudioBytes], info[kFileSize]);
    // Layer I frames, padded ones among them, run to the end of the file or its ID3v1 tag.
    if (f.layer == 1) { EXPECT_EQ(info[kFirstFrame] + info[kAudioBytes], info[kFileSize] - (f.tags == testing::FixtureTags::V1 ? 128 : 0)); }

    const WavAudio decoded = Decode(path);
    EXPECT_EQ(total, static_cast<int64_t>(decoded.Frames()));
    EXPECT_EQ(info[kLengthMs], total * 1000 / f.sampleRate);
    EXPECT_EQ(info[kSeconds], total / f.sampleRate);
    EXPECT_EQ(total, f.gapless ? f.SourceSamples() : frames * perFrame);
    EXPECT_GE(frames * perFrame, f.SourceSamples());
    EXPECT_LE(frames * perFrame, f.SourceSamples() + 4 * perFrame);
    if (f.exactFrames > 0) { EXPECT_EQ(frames, f.exactFrames); }
    StreamDecoder decoder;  // the length is known before decoding, for seeks and the end
    ASSERT_EQ(decoder.Open(path), 0);
    EXPECT_EQ(decoder.TotalFrames(), total);
    EXPECT_EQ(decoder.Format().sampleRate, f.sampleRate);
    // Mono is heard in both channels.
    for (size_t n = 0; f.channels == 1 && n < decoded.Frames(); ++n) ASSERT_EQ(decoded.At(n, 0), decoded.At(n, 1)) << n;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, EveryFixture, ::testing::ValuesIn(testing::AudioFixtures()), [](const auto &info) {
    std::string name = info.param.name;
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
});

TEST(FrameInfo, BadFilesGiveTheirNumbersAndNothingElse) {
    for (const auto &bad : testing::BadFixtures()) {
        const std::string path = FixturePath(bad.name);
        const Info info = ReadInfo(path);
        EXPECT_EQ(info.result, bad.frameInfoResult) << bad.name;
        EXPECT_EQ(info.text, "") << bad.name;
        char tag[129];
        EXPECT_EQ(GetId3Tag(path.c_str(), tag), bad.tagResult) << bad.name;
        EXPECT_EQ(std::string(tag, 129), std::string(129, '\0')) << bad.name;
        StreamDecoder decoder;
        EXPECT_EQ(decoder.Open(path), bad.decoderResult) << bad.name;
        EXPECT_EQ(decoder.TotalFrames(), -1);
        float buffer[8];
        EXPECT_EQ(decoder.Read(buffer, 4), 0u);
        EXPECT_FALSE(decoder.Seek(0));
    }
    EXPECT_EQ(ReadInfo("").result, 53);
    EXPECT_EQ(GetFrameInfo(nullptr, nullptr), 53);
    EXPECT_EQ(GetId3Tag(nullptr, nullptr), 57);
}

void PutBigEndian(std::string &bytes, size_t at, uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(value >> (8 * (width - 1 - i)));
}

// A VBRI frame (128 kbit/s, 417 bytes) in front of a VBR stream that has no
// information frame of its own, announcing the stream's 155 frames.
std::string WithVbriFrame(const std::string &stream, uint32_t extraBytes) {
    std::string frame(417, '\0');
    frame.replace(0, 4, stream, 0, 4);
    frame[2] = static_cast<char>((9 << 4) | (stream[2] & 0x0D));  // bitrate index 9, no padding
    frame.replace(36, 4, "VBRI");
    PutBigEndian(frame, 40, 1, 2);  // version
    PutBigEndian(frame, 46, static_cast<uint32_t>(stream.size() + frame.size() + extraBytes), 4);
    PutBigEndian(frame, 50, 155, 4);
    return frame + stream;
}

std::string ReadAll(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Files made from fixtures: what the scan counts, and where the length comes
// from; the decoder plays the same number of samples.
TEST(FrameInfo, DamagedCutAndPrefixedFilesCountTheFramesThatArePlayed) {
    const std::string dir = testing::MakeScratchDir("frameinfo");
    std::string damaged = ReadAll(FixturePath("l2_mpeg1_256_dual.mp3"));  // 125 frames of 768 bytes
    std::memset(damaged.data() + 10 * 768, 0x55, 8);  // garbage over the header of frame 10 loses that frame
    const std::string stream = ReadAll(FixturePath("l3_mpeg1_vbr_noxing.mp3"));
    const Info plain = ReadInfo(FixturePath("l3_mpeg1_cbr192_stereo.mp3"));
    struct Case {
        const char *name;
        std::string bytes;  // empty: the fixture itself
        int64_t frames;
        const char *source;
        int64_t firstFrame;  // -1: not checked
    };
    const Case cases[] = {
        {testing::kTruncatedFixture, "", testing::kTruncatedWholeFrames, "scan", -1},  // its Info frame promises more
        {"junk_prefix.mp3", "", plain[kFrames], "Info", plain[kFirstFrame] + 1000},  // 1000 bytes of noise first
        {"damaged.mp3", damaged, 124, "scan", -1},
        {"vbri.mp3", WithVbriFrame(stream, 0), 156, "VBRI", 0},  // the decoder plays the VBRI frame too
        {"vbri-wrong.mp3", WithVbriFrame(stream, 1000), 156, "scan", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = FixturePath(c.name);
        if (!c.bytes.empty()) {
            path = dir + "/" + c.name;
            std::ofstream(path, std::ios::binary).write(c.bytes.data(), static_cast<std::streamsize>(c.bytes.size()));
        }
        const Info info = ReadInfo(path);
        ASSERT_EQ(info.fields.size(), size_t{kFieldCount}) << info.text;
        EXPECT_EQ(info[kFrames], c.frames);
        EXPECT_EQ(info.fields[kSource], c.source);
        if (c.firstFrame >= 0) { EXPECT_EQ(info[kFirstFrame], c.firstFrame); }
        EXPECT_EQ(info[kTotalSamples], static_cast<int64_t>(Decode(path).Frames()));
        EXPECT_EQ(OpenedLength(path), info[kTotalSamples]);
    }
    fs::remove_all(dir);
}

// A file without a usable Xing count is scanned once, for its information
// and its playing alike; a copy is another file, scanned once by the fast
// scan and not by the decoder.
TEST(FrameInfo, AFileIsScannedOnceForItsInformationAndItsPlaying) {
    const std::string path = FixturePath("l3_mpeg1_vbr_noxing.mp3");
    const std::string copy = testing::MakeScratchDir("frameinfo") + "/copy.mp3";
    fs::copy_file(path, copy);
    const int64_t total = ReadInfo(path)[kTotalSamples];
    const uint64_t scans = FrameScansSoFar();
    EXPECT_EQ(OpenedLength(path), total);
    EXPECT_EQ(FrameScansSoFar(), scans);
    EXPECT_EQ(OpenedLength(copy), total);
    EXPECT_EQ(FrameScansSoFar(), scans + 1);
    fs::remove_all(fs::path(copy).parent_path());
}

TEST(StreamDecoder, SeekLandsOnTheExactSampleAndIsClampedToTheStream) {
    for (const char *name : {"l3_mpeg1_vbr_noxing.mp3", "l3_mpeg1_vbr_xing_v2.mp3", "l3_mpeg2_vbr_mono.mp3",
                             "l2_mpeg1_192_stereo_v1.mp3", "l1_mpeg1_384_stereo.mp3"}) {
        const WavAudio whole = Decode(FixturePath(name));
        const auto total = static_cast<int64_t>(whole.Frames());
        StreamDecoder decoder;
        ASSERT_EQ(decoder.Open(FixturePath(name)), 0);
        for (int64_t target : {total / 2, int64_t{1}, int64_t{575}, int64_t{1152}, int64_t{0}, total / 3 + 7, total - 100}) {
            SCOPED_TRACE(::testing::Message() << name << " @" << target);
            ASSERT_TRUE(decoder.Seek(target));
            EXPECT_EQ(decoder.Position(), target);
            std::vector<float> buffer(2 * 1000);
            const size_t got = decoder.Read(buffer.data(), 1000);
            ASSERT_EQ(got, static_cast<size_t>(std::min<int64_t>(1000, total - target)));
            // Equal up to float rounding; one sample early or late would differ by far more.
            for (size_t i = 0; i < 2 * got; ++i) ASSERT_NEAR(buffer[i], whole.samples[2 * target + i], 1e-6) << i;
            EXPECT_EQ(decoder.Position(), target + static_cast<int64_t>(got));
        }
        float buffer[64];
        ASSERT_TRUE(decoder.Seek(total + 5000));
        EXPECT_EQ(decoder.Position(), total);
        EXPECT_EQ(decoder.Read(buffer, 32), 0u);
        ASSERT_TRUE(decoder.Seek(-20));
        EXPECT_EQ(decoder.Read(buffer, 32), 32u);
    }
}

}  // namespace
}  // namespace corvane::engine
