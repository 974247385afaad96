// Pause, continue, seek, stop, fade-out and restart, checked against the
// offline decode of the same file: what was heard, in what order.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <thread>

#include "engine/PlaybackEntryPoints.h"
#include "engine/StreamDecoder.h"
#include "support/ToneAnalysis.h"
#include "support/ToneFiles.h"
#include "support/TonePlayback.h"

namespace corvane::testing {
namespace {

constexpr int kRate = 44100;
// Pauses and stops ramp the sound down and up over a few milliseconds;
// comparisons leave this many frames around such a point out.
constexpr size_t kRampMargin = 1024;
constexpr int kTolerancePcm = 2;

struct Decoded {
    std::vector<float> samples;
    size_t Frames() const { return samples.size() / 2; }
};

const std::string &LongSweep() {
    static const std::string path = EncodeMp3("sweep-8s", SynthesizeSweep(100.0, 5000.0, 0.5, 8.0));
    return path;
}

const Decoded &LongSweepDecoded() {
    static const Decoded decoded = [] {
        Decoded result;
        engine::StreamFormat format;
        engine::DecodeFile(LongSweep(), result.samples, format);
        return result;
    }();
    return decoded;
}

// Counts the frames in [from, to) of the output that differ from the decode
// starting at decodedFrom by more than the tolerance.
size_t Mismatches(const WavAudio &out, size_t from, size_t to, const Decoded &decoded, size_t decodedFrom) {
    size_t mismatches = 0;
    for (size_t frame = from; frame < to; ++frame) {
        for (int channel : {0, 1}) {
            const int heard = ToPcm16(out.At(frame, channel));
            const int expected = ToPcm16(decoded.samples[2 * (decodedFrom + frame - from) + channel]);
            if (std::abs(heard - expected) > kTolerancePcm) ++mismatches;
        }
    }
    return mismatches;
}

size_t FrameAt(double seconds) { return static_cast<size_t>(std::llround(seconds * kRate)); }

uintmax_t FileSize(const std::string &path) { return std::filesystem::file_size(path); }

class PlaybackTransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEqualizerAndGains();
        path_ = ScratchFile("transport");
        output_.emplace("wav-fast:" + path_);
    }
    void TearDown() override { engine::StopPlaying(); }

    // Starts the file and pauses once at least `seconds` of it were heard,
    // and no later than `latest`; returns where it paused.
    double PlayAndPauseAfter(const std::string &mp3, double seconds,
                             double latest = std::numeric_limits<double>::infinity()) {
        return MidTrack(mp3, seconds, [latest] {
            engine::PausePlaying();
            return ReadStatus().status == 2 && PositionNow() <= latest;
        });
    }

    // Starts the file and, once at least `seconds` were heard, runs command,
    // which tells whether it came before the end. The wav-fast output runs
    // far ahead of this thread, so now and then the end comes first: then
    // the attempt is made again.
    template <class Command>
    double MidTrack(const std::string &mp3, double seconds, Command command) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            EXPECT_EQ(engine::Play(mp3.c_str()), 0);
            EXPECT_TRUE(WaitFor([&] { return PositionNow() >= seconds; }));
            if (command()) return PositionNow();
        }
        ADD_FAILURE() << "the track kept ending first";
        return 0.0;
    }

    WavAudio FinishAndRead() {
        EXPECT_TRUE(WaitForFinish());
        engine::StopPlaying();
        WavAudio out;
        EXPECT_TRUE(ReadWav(path_, out));
        return out;
    }

    std::string path_;
    std::optional<ScopedOutput> output_;
};

TEST_F(PlaybackTransportTest, PauseHoldsThePositionSilentlyAndContinueResumesThere) {
    const double paused = PlayAndPauseAfter(LongSweep(), 1.0);
    const uintmax_t size = FileSize(path_);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const StatusReading reading = ReadStatus();
    EXPECT_EQ(reading.status, 2);
    EXPECT_EQ(reading.position, paused);
    EXPECT_EQ(FileSize(path_), size);
    WavAudio heard;
    ASSERT_TRUE(ReadWav(path_, heard));
    // The output went quiet exactly where playback will go on.
    const size_t pauseFrame = FrameAt(paused);
    EXPECT_EQ(heard.Frames(), pauseFrame);
    // The last 0.4 ms lie inside the end of the 5 ms ramp, below a tenth of it.
    EXPECT_LT(Peak(heard, 0, {paused - 0.0004, 0.0}), 0.05);
    EXPECT_EQ(engine::IsFinished(), 0);

    engine::ContinuePlaying();
    // Playing, or already at its end: the fast output may have written the
    // rest before the status is read.
    const int16_t resumed = ReadStatus().status;
    EXPECT_TRUE(resumed == 1 || resumed == 0) << resumed;
    const WavAudio out = FinishAndRead();
    const Decoded &decoded = LongSweepDecoded();
    ASSERT_EQ(out.Frames(), decoded.Frames());  // nothing lost, nothing repeated
    ASSERT_GT(pauseFrame, kRampMargin);
    EXPECT_EQ(Mismatches(out, 0, pauseFrame - kRampMargin, decoded, 0), 0u);
    EXPECT_EQ(Mismatches(out, pauseFrame + kRampMargin, out.Frames(), decoded, pauseFrame + kRampMargin), 0u);
}

TEST_F(PlaybackTransportTest, SeekWhilePausedContinuesFromTheClampedTarget) {
    const double length = static_cast<double>(LongSweepDecoded().Frames()) / kRate;
    for (auto [target, expected] : {std::pair{-3.0, 0.0}, {1.0e9, length}, {std::nan(""), 0.0}}) {
        PlayAndPauseAfter(LongSweep(), 0.2);
        engine::SeekPlaying(target);
        EXPECT_NEAR(PositionNow(), expected, 1e-9) << target;
        engine::StopPlaying();
    }
    const double paused = PlayAndPauseAfter(LongSweep(), 0.5);
    engine::SeekPlaying(2.0);
    const StatusReading reading = ReadStatus();
    EXPECT_EQ(reading.status, 2);
    EXPECT_DOUBLE_EQ(reading.position, 2.0);
    engine::ContinuePlaying();
    const WavAudio out = FinishAndRead();
    const Decoded &decoded = LongSweepDecoded();
    const size_t pauseFrame = FrameAt(paused);
    const size_t target = FrameAt(2.0);
    ASSERT_EQ(out.Frames(), pauseFrame + decoded.Frames() - target);
    EXPECT_EQ(Mismatches(out, 0, pauseFrame - kRampMargin, decoded, 0), 0u);
    EXPECT_EQ(Mismatches(out, pauseFrame + kRampMargin, out.Frames(), decoded, target + kRampMargin), 0u);
}

// In real time, so that the seek comes while the first half second is heard
// and not after the output has raced past the target.
TEST_F(PlaybackTransportTest, SeekWhilePlayingGoesOnFromTheTarget) {
    output_.emplace("wav:" + path_);
    MidTrack(LongSweep(), 0.5, [] {
        engine::SeekPlaying(6.0);
        return PositionNow() >= 6.0 && engine::IsFinished() == 0;
    });
    const WavAudio out = FinishAndRead();
    const Decoded &decoded = LongSweepDecoded();
    const size_t tail = decoded.Frames() - FrameAt(6.0);
    ASSERT_GT(out.Frames(), tail);
    ASSERT_LT(out.Frames(), decoded.Frames());
    const size_t seekFrame = out.Frames() - tail;
    EXPECT_EQ(Mismatches(out, seekFrame, out.Frames(), decoded, FrameAt(6.0)), 0u);
}

// Both end the track where the pause held it, without a sound more.
TEST_F(PlaybackTransportTest, SeekPastTheEndAndFadeOutOfNoLengthEndAtOnce) {
    const std::function<void()> commands[] = {
        [] {
            engine::SeekPlaying(1.0e6);
            engine::ContinuePlaying();
        },
        [] { engine::FadeOut(0.0f); },
    };
    for (const auto &command : commands) {
        const double paused = PlayAndPauseAfter(LongSweep(), 0.2);
        command();
        EXPECT_EQ(FinishAndRead().Frames(), FrameAt(paused));
    }
}

TEST_F(PlaybackTransportTest, StopEndsTheOutput) {
    MidTrack(LongSweep(), 0.5, [] {
        engine::StopPlaying();
        return engine::IsFinished() == 0;
    });
    EXPECT_EQ(ReadStatus().status, 3);
    const uintmax_t size = FileSize(path_);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(FileSize(path_), size);
    WavAudio out;
    ASSERT_TRUE(ReadWav(path_, out));
    ASSERT_GT(out.Frames(), kRampMargin);
    EXPECT_LT(out.Frames(), LongSweepDecoded().Frames());
    EXPECT_EQ(Mismatches(out, 0, out.Frames() - kRampMargin, LongSweepDecoded(), 0), 0u);
    EXPECT_LT(std::abs(out.samples.back()), 0.05f);  // it stopped quietly
    // Without a playback the commands do nothing.
    for (int16_t result : {engine::PausePlaying(), engine::ContinuePlaying(), engine::SeekPlaying(3.0),
                           engine::FadeOut(1.0f), engine::StopPlaying()})
        EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadStatus().status, 3);
    EXPECT_EQ(engine::IsFinished(), 0);
}

// Started from a pause, so that the fade begins at a known frame.
TEST_F(PlaybackTransportTest, FadeOutDecaysToSilenceOverItsTimeAndEndsTheTrack) {
    // The 6 s tone must leave room for the whole fade after the pause.
    const double paused = PlayAndPauseAfter(ToneTrack(1000, 0.5, 6.0), 1.0, 5.0);
    engine::FadeOut(0.5f);
    const WavAudio out = FinishAndRead();
    ASSERT_EQ(out.Frames(), FrameAt(paused) + FrameAt(0.5));
    const double end = paused + 0.5;
    const double full = Rms(out, 0, {0.2, 0.8});
    EXPECT_NEAR(Rms(out, 0, {end - 0.5 + 0.02, end - 0.5 + 0.05}) / full, 0.95, 0.04);
    EXPECT_NEAR(Rms(out, 0, {end - 0.27, end - 0.23}) / full, 0.5, 0.04);  // linear, halfway
    EXPECT_LT(Rms(out, 0, {end - 0.01, 0.0}), 0.02 * full);
    EXPECT_LT(std::abs(out.samples.back()), 1e-3f);
}

TEST_F(PlaybackTransportTest, PlayWhilePlayingRestartsWithTheNewTrack) {
    const std::string &tone = ToneTrack(440, 0.3, 0.5);
    PlayAndPauseAfter(LongSweep(), 0.2);
    engine::ContinuePlaying();
    ASSERT_EQ(engine::Play(tone.c_str()), 0);
    const WavAudio out = FinishAndRead();
    EXPECT_EQ(out.Frames(), FrameAt(0.5));
    EXPECT_NEAR(ToneAmplitude(out, 0, 440.0, {0.1, 0.4}), 0.3, 0.02);
}

}  // namespace
}  // namespace corvane::testing
