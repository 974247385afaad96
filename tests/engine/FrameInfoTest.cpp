// Frame information of every generated fixture against what its encoder was
// told, and against a full decode of the same file.
#include "engine/FileEntryPoints.h"
#include "engine/FrameScan.h"
#include "engine/StreamDecoder.h"
#include "support/Fixtures.h"
#include "support/Paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace corvane::engine {
namespace {

using testing::AudioFixture;
using testing::FixturePath;

enum Field {
    kVersion, kLayer, kLengthMs, kBitrate, kSampleRate, kCrc, kChannels, kMode, kEmphasis, kCopyright,
    kOriginal, kBitrateMode, kFileSize, kFrames, kSeconds, kFirstFrame, kAudioBytes, kTotalSamples, kSource,
    kFieldCount
};

struct FrameInfoText {
    int16_t result = -1;
    std::string text;
    std::vector<std::string> fields;
    int64_t Number(Field f) const { return std::stoll(fields.at(f)); }
};

FrameInfoText ReadInfo(const std::string &path) {
    char buffer[201];
    std::memset(buffer, 'x', sizeof buffer);
    FrameInfoText info;
    info.result = GetFrameInfo(path.c_str(), buffer);
    info.text = std::string(buffer, strnlen(buffer, sizeof buffer));
    size_t start = 0;
    while (!info.text.empty()) {
        const size_t bar = info.text.find('|', start);
        info.fields.push_back(info.text.substr(start, bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return info;
}

std::string NameOf(const ::testing::TestParamInfo<AudioFixture> &info) {
    std::string name = info.param.name;
    for (char &c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

class EveryFixture : public ::testing::TestWithParam<AudioFixture> {};

TEST_P(EveryFixture, HeaderFieldsAreWhatTheEncoderWasTold) {
    const AudioFixture &f = GetParam();
    const FrameInfoText info = ReadInfo(FixturePath(f.name));
    ASSERT_EQ(info.result, 1) << f.name;
    ASSERT_EQ(info.fields.size(), static_cast<size_t>(kFieldCount)) << info.text;
    EXPECT_LE(info.text.size(), 200u);
    EXPECT_EQ(info.fields[kVersion], f.version);
    EXPECT_EQ(info.Number(kLayer), f.layer);
    EXPECT_EQ(info.Number(kSampleRate), f.sampleRate);
    EXPECT_EQ(info.Number(kChannels), f.channels);
    EXPECT_EQ(info.fields[kMode], f.channelMode);
    EXPECT_EQ(info.Number(kCrc), f.crc ? 1 : 0);
    EXPECT_EQ(info.Number(kCopyright), f.copyright ? 1 : 0);
    EXPECT_EQ(info.Number(kOriginal), f.original ? 1 : 0);
    EXPECT_EQ(info.Number(kEmphasis), f.emphasis);
    EXPECT_EQ(info.Number(kFileSize), static_cast<int64_t>(std::filesystem::file_size(FixturePath(f.name))));
    EXPECT_EQ(info.fields[kSource], f.lengthSource);
    EXPECT_EQ(info.fields[kBitrateMode], f.bitrate > 0 ? "CBR" : "VBR");
    if (f.bitrate > 0) EXPECT_EQ(info.Number(kBitrate), f.bitrate);
    // The average bit rate fits the audio bytes.
    const double seconds = static_cast<double>(info.Number(kFrames) * f.SamplesPerFrame()) / f.sampleRate;
    const double fromBytes = static_cast<double>(info.Number(kAudioBytes)) * 8.0 / seconds;
    EXPECT_NEAR(static_cast<double>(info.Number(kBitrate)), fromBytes, 0.01 * fromBytes);
    EXPECT_LE(info.Number(kFirstFrame) + info.Number(kAudioBytes), info.Number(kFileSize));
}

TEST_P(EveryFixture, LengthAndFrameCountAreThoseOfAFullDecode) {
    const AudioFixture &f = GetParam();
    const FrameInfoText info = ReadInfo(FixturePath(f.name));
    ASSERT_EQ(info.fields.size(), static_cast<size_t>(kFieldCount)) << info.text;
    std::vector<float> samples;
    StreamFormat format;
    ASSERT_EQ(DecodeFile(FixturePath(f.name), samples, format), 0);
    const auto decoded = static_cast<int64_t>(samples.size() / kOutputChannels);
    StreamDecoder decoder;
    ASSERT_EQ(decoder.Open(FixturePath(f.name)), 0);
    EXPECT_EQ(decoder.TotalFrames(), decoded);  // known before decoding, for seeks and the end

    const int64_t total = info.Number(kTotalSamples);
    const int64_t frames = info.Number(kFrames);
    EXPECT_EQ(total, decoded);
    EXPECT_EQ(info.Number(kLengthMs), total * 1000 / f.sampleRate);
    EXPECT_EQ(info.Number(kSeconds), total / f.sampleRate);
    if (f.gapless) {
        EXPECT_EQ(total, f.SourceSamples());
        EXPECT_GT(frames * f.SamplesPerFrame(), total);
    } else {
        EXPECT_EQ(total, frames * f.SamplesPerFrame());
        EXPECT_GE(total, f.SourceSamples());
        EXPECT_LE(total, f.SourceSamples() + 4 * f.SamplesPerFrame());
    }
    if (f.exactFrames > 0) EXPECT_EQ(frames, f.exactFrames);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, EveryFixture, ::testing::ValuesIn(testing::AudioFixtures()), NameOf);

TEST(FrameInfo, BadFilesGiveTheirNumberAndAnEmptyText) {
    for (const auto &bad : testing::BadFixtures()) {
        const FrameInfoText info = ReadInfo(FixturePath(bad.name));
        EXPECT_EQ(info.result, bad.frameInfoResult) << bad.name;
        EXPECT_TRUE(info.text.empty()) << bad.name << ": " << info.text;
    }
    EXPECT_EQ(ReadInfo("").result, 53);
    EXPECT_EQ(GetFrameInfo(nullptr, nullptr), 53);
}

TEST(FrameInfo, FileCutInsideAFrameCountsItsWholeFrames) {
    const FrameInfoText info = ReadInfo(FixturePath(testing::kTruncatedFixture));
    ASSERT_EQ(info.result, 1);
    ASSERT_EQ(info.fields.size(), static_cast<size_t>(kFieldCount));
    EXPECT_EQ(info.Number(kFrames), testing::kTruncatedWholeFrames);
    EXPECT_EQ(info.fields[kSource], "scan");  // its Info frame promises more than is there
    std::vector<float> samples;
    StreamFormat format;
    ASSERT_EQ(DecodeFile(FixturePath(testing::kTruncatedFixture), samples, format), 0);
    EXPECT_EQ(info.Number(kTotalSamples), static_cast<int64_t>(samples.size() / kOutputChannels));
    StreamDecoder decoder;
    ASSERT_EQ(decoder.Open(FixturePath(testing::kTruncatedFixture)), 0);
    EXPECT_EQ(decoder.TotalFrames(), info.Number(kTotalSamples));
}

// Frame information scans a file without a usable Xing count once; playing
// it takes the exact length from that scan instead of scanning again. A copy
// is another file, scanned once, by the fast scan and not by the decoder.
TEST(FrameInfo, AFileIsScannedOnceForItsInformationAndItsPlaying) {
    const std::string path = FixturePath("l3_mpeg1_vbr_noxing.mp3");
    const std::string copy = (std::filesystem::temp_directory_path() / "corvane-noxing-copy.mp3").string();
    std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing);
    const FrameInfoText info = ReadInfo(path);
    std::vector<float> samples;
    StreamFormat format;
    ASSERT_EQ(DecodeFile(path, samples, format), 0);

    uint64_t scans = FrameScansSoFar();
    StreamDecoder decoder;
    ASSERT_EQ(decoder.Open(path), 0);
    EXPECT_EQ(FrameScansSoFar(), scans);
    EXPECT_EQ(decoder.TotalFrames(), info.Number(kTotalSamples));
    EXPECT_EQ(decoder.TotalFrames(), static_cast<int64_t>(samples.size() / kOutputChannels));
    ASSERT_EQ(decoder.Open(copy), 0);
    EXPECT_EQ(FrameScansSoFar(), scans + 1);
    EXPECT_EQ(decoder.TotalFrames(), info.Number(kTotalSamples));
    decoder.Close();
    std::filesystem::remove(copy);
}

TEST(FrameInfo, TagsAndJunkBeforeTheAudioAreSkipped) {
    const FrameInfoText plain = ReadInfo(FixturePath("l3_mpeg1_cbr192_stereo.mp3"));
    const FrameInfoText junk = ReadInfo(FixturePath("junk_prefix.mp3"));
    ASSERT_EQ(junk.fields.size(), static_cast<size_t>(kFieldCount));
    EXPECT_EQ(junk.Number(kFirstFrame), plain.Number(kFirstFrame) + 1000);  // 1000 bytes of noise
    EXPECT_EQ(junk.Number(kFrames), plain.Number(kFrames));

    const FrameInfoText tagged = ReadInfo(FixturePath("l3_mpeg1_vbr_xing_v2.mp3"));
    const FrameInfoText untagged = ReadInfo(FixturePath("l3_mpeg1_vbr_noxing.mp3"));
    EXPECT_GT(tagged.Number(kFirstFrame), untagged.Number(kFirstFrame));
}

TEST(FrameInfo, AudioWithDamageInsideIsResynchronised) {
    const std::string dir = testing::MakeScratchDir("frameinfo");
    const std::string source = FixturePath("l2_mpeg1_256_dual.mp3");  // 125 frames of 768 bytes
    std::ifstream in(source, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Garbage over the header of frame 10 loses that one frame.
    std::memset(bytes.data() + 10 * 768, 0x55, 8);
    const std::string damaged = dir + "/damaged.mp3";
    std::ofstream(damaged, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const FrameInfoText info = ReadInfo(damaged);
    ASSERT_EQ(info.result, 1);
    EXPECT_EQ(info.Number(kFrames), 124);
    std::filesystem::remove_all(dir);
}

void PutBigEndian(std::string &bytes, size_t at, uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * (width - 1 - i)));
}

// A VBRI frame (128 kbit/s, 417 bytes) in front of a VBR stream that has no
// information frame of its own, announcing the stream's 155 frames.
std::string WithVbriFrame(const std::string &stream, uint32_t announcedBytes) {
    std::string frame(417, '\0');
    frame[0] = stream[0];
    frame[1] = stream[1];
    frame[2] = static_cast<char>((9 << 4) | (stream[2] & 0x0D));  // bitrate index 9, no padding
    frame[3] = stream[3];
    frame.replace(36, 4, "VBRI");
    PutBigEndian(frame, 40, 1, 2);  // version
    PutBigEndian(frame, 46, announcedBytes, 4);
    PutBigEndian(frame, 50, 155, 4);
    return frame + stream;
}

TEST(FrameInfo, VbriFrameGivesTheLengthWhenItMatchesTheFile) {
    const std::string dir = testing::MakeScratchDir("frameinfo");
    std::ifstream in(FixturePath("l3_mpeg1_vbr_noxing.mp3"), std::ios::binary);
    const std::string stream((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto whole = static_cast<uint32_t>(stream.size() + 417);
    struct Case {
        uint32_t announcedBytes;
        const char *source;
    };
    for (const Case &c : {Case{whole, "VBRI"}, Case{whole + 1000, "scan"}}) {
        const std::string path = dir + "/vbri.mp3";
        const std::string bytes = WithVbriFrame(stream, c.announcedBytes);
        std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        const FrameInfoText info = ReadInfo(path);
        ASSERT_EQ(info.fields.size(), static_cast<size_t>(kFieldCount)) << info.text;
        EXPECT_EQ(info.fields[kSource], c.source);
        EXPECT_EQ(info.fields[kBitrateMode], "VBR");
        std::vector<float> samples;
        StreamFormat format;
        ASSERT_EQ(DecodeFile(path, samples, format), 0);
        // The decoder plays the VBRI frame too.
        EXPECT_EQ(info.Number(kFrames), 156);
        EXPECT_EQ(info.Number(kTotalSamples), static_cast<int64_t>(samples.size() / kOutputChannels));
        EXPECT_EQ(info.Number(kTotalSamples), 156 * 1152);
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace corvane::engine
