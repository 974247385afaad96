// Pause, continue, seek, stop, fade-out and restart, checked against the
// offline decode of the same file: what was heard, in what order. The
// one-time report of each end of a track through get_status and
// is_finished, the notifications, and the analysis data that get_status
// hands out while a track is heard.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

#include "engine/api/PlaybackEntryPoints.h"
#include "engine/stream/StreamDecoder.h"
#include "support/ToneAnalysis.h"
#include "support/ToneFiles.h"
#include "support/TonePlayback.h"

namespace corvane::testing {
namespace {

constexpr int kRate = 44100;
constexpr double kBinHz = kRate / 256.0;
// Pauses and stops ramp the sound down and up over a few milliseconds;
// comparisons leave this many frames around such a point out.
constexpr size_t kRampMargin = 1024;

const std::string &LongSweep() {
    static const std::string path = EncodeMp3("sweep-8s", SynthesizeSweep(100.0, 5000.0, 0.5, 8.0));
    return path;
}

const WavAudio &Decoded() {
    static const WavAudio decoded = [] {
        WavAudio result{kRate, 2, {}};
        engine::StreamFormat format;
        engine::DecodeFile(LongSweep(), result.samples, format);
        return result;
    }();
    return decoded;
}

// Counts the samples of the output's frames [from, to) that differ from the
// decode starting at decodedFrom by more than 2 in 16 bits.
size_t Mismatches(const WavAudio &out, size_t from, size_t to, size_t decodedFrom) {
    size_t mismatches = 0;
    for (size_t i = 2 * from; i < 2 * to; ++i)
        mismatches += std::abs(ToPcm16(out.samples[i]) - ToPcm16(Decoded().samples[i + 2 * (decodedFrom - from)])) > 2;
    return mismatches;
}

size_t FrameAt(double seconds) { return static_cast<size_t>(std::llround(seconds * kRate)); }

int16_t SetInterval(int16_t milliseconds) {
    engine::SetVuInterval(&milliseconds);
    return milliseconds;
}

class PlaybackTransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEqualizerAndGains();
        output_.emplace("wav-fast:" + path_);
    }
    void TearDown() override {
        engine::StopPlaying();
        engine::PlayMp3(0, nullptr);
        SetInterval(100);
    }

    // Starts the file and, once at least `seconds` were heard, runs command,
    // which tells whether it came before the end. The wav-fast output runs
    // far ahead of this thread, so now and then the end comes first: then
    // the attempt is made again. Returns the position after the command.
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
    // Pauses once at least `seconds` were heard, and no later than `latest`.
    double PlayAndPauseAfter(const std::string &mp3, double seconds, double latest = 1e9) {
        return MidTrack(mp3, seconds, [latest] {
            engine::PausePlaying();
            return ReadStatus().status == 2 && PositionNow() <= latest;
        });
    }
    WavAudio Written() {
        WavAudio out;
        EXPECT_TRUE(ReadWav(path_, out));
        return out;
    }
    WavAudio FinishAndRead() {
        EXPECT_TRUE(WaitForFinish());
        engine::StopPlaying();
        return Written();
    }

    std::string path_ = ScratchFile("transport");
    std::optional<ScopedOutput> output_;
};

TEST_F(PlaybackTransportTest, PauseHoldsThePositionSilentlyAndContinueResumesThere) {
    const double paused = PlayAndPauseAfter(LongSweep(), 1.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    engine::PausePlaying();  // a second pause changes nothing
    int16_t status = -1;
    EXPECT_EQ(engine::GetStatus(&status, nullptr, nullptr, nullptr, nullptr), 0);  // null arguments are skipped
    EXPECT_EQ(status, 2);
    EXPECT_EQ(PositionNow(), paused);
    // Nothing more was written: the output went quiet exactly where playback will go on, the last
    // 0.4 ms inside the end of the 5 ms ramp, below a tenth of it.
    const size_t pauseFrame = FrameAt(paused);
    EXPECT_EQ(Written().Frames(), pauseFrame);
    EXPECT_LT(Peak(Written(), 0, {paused - 0.0004, 0.0}), 0.05);
    EXPECT_EQ(engine::IsFinished(), 0);

    engine::ContinuePlaying();
    // Playing, or already at its end: the fast output may have written the
    // rest before the status is read.
    const int16_t resumed = ReadStatus().status;
    EXPECT_TRUE(resumed == 1 || resumed == 0) << resumed;
    const WavAudio out = FinishAndRead();
    ASSERT_EQ(out.Frames(), Decoded().Frames());  // nothing lost, nothing repeated
    ASSERT_GT(pauseFrame, kRampMargin);
    EXPECT_EQ(Mismatches(out, 0, pauseFrame - kRampMargin, 0), 0u);
    EXPECT_EQ(Mismatches(out, pauseFrame + kRampMargin, out.Frames(), pauseFrame + kRampMargin), 0u);
}

TEST_F(PlaybackTransportTest, SeekWhilePausedContinuesFromTheClampedTarget) {
    const double length = static_cast<double>(Decoded().Frames()) / kRate;
    for (auto [target, expected] : {std::pair{-3.0, 0.0}, {1.0e9, length}, {std::nan(""), 0.0}}) {
        const double paused = PlayAndPauseAfter(LongSweep(), 0.2);
        engine::SeekPlaying(target);
        EXPECT_NEAR(PositionNow(), expected, 1e-9) << target;
        // Past the end: the track ends where the pause held it, without a sound more.
        if (target > length) { engine::ContinuePlaying(); EXPECT_EQ(FinishAndRead().Frames(), FrameAt(paused)); }
        engine::StopPlaying();
    }
    const size_t pauseFrame = FrameAt(PlayAndPauseAfter(LongSweep(), 0.5)), target = FrameAt(2.0);
    engine::SeekPlaying(2.0);
    const StatusReading reading = ReadStatus();
    EXPECT_EQ(reading.status, 2);
    EXPECT_DOUBLE_EQ(reading.position, 2.0);
    engine::ContinuePlaying();
    const WavAudio out = FinishAndRead();
    ASSERT_EQ(out.Frames(), pauseFrame + Decoded().Frames() - target);
    EXPECT_EQ(Mismatches(out, 0, pauseFrame - kRampMargin, 0), 0u);
    EXPECT_EQ(Mismatches(out, pauseFrame + kRampMargin, out.Frames(), target + kRampMargin), 0u);
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
    const size_t tail = Decoded().Frames() - FrameAt(6.0);
    ASSERT_GT(out.Frames(), tail);
    ASSERT_LT(out.Frames(), Decoded().Frames());
    EXPECT_EQ(Mismatches(out, out.Frames() - tail, out.Frames(), FrameAt(6.0)), 0u);
}

TEST_F(PlaybackTransportTest, StopEndsTheOutputQuietlyWhereItIsHeld) {
    MidTrack(LongSweep(), 0.5, [] {
        engine::StopPlaying();
        return engine::IsFinished() == 0;
    });
    const StatusReading stopped = ReadStatus();
    EXPECT_EQ(stopped.status, 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const WavAudio out = Written();
    EXPECT_EQ(out.Frames(), FrameAt(stopped.position));  // and nothing written since
    ASSERT_GT(out.Frames(), kRampMargin);
    EXPECT_LT(out.Frames(), Decoded().Frames());
    EXPECT_EQ(Mismatches(out, 0, out.Frames() - kRampMargin, 0), 0u);
    EXPECT_LT(std::abs(out.samples.back()), 0.05f);  // it stopped quietly
    // Without a playback the commands do nothing.
    for (int16_t result : {engine::PausePlaying(), engine::ContinuePlaying(), engine::SeekPlaying(3.0),
                           engine::FadeOut(1.0f), engine::StopPlaying()})
        EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadStatus().status, 3);
    EXPECT_EQ(engine::IsFinished(), 0);
}

// Started from a pause, so that the fade begins at a known frame; the 6 s
// tone leaves room for the whole fade after the pause.
TEST_F(PlaybackTransportTest, FadeOutDecaysToSilenceOverItsTimeAndEndsTheTrack) {
    const double paused = PlayAndPauseAfter(ToneTrack(1000, 0.5, 6.0), 1.0, 5.0), end = paused + 0.5;
    engine::FadeOut(0.5f);
    const WavAudio out = FinishAndRead();
    ASSERT_EQ(out.Frames(), FrameAt(paused) + FrameAt(0.5));
    const double full = Rms(out, 0, {0.2, 0.8});
    EXPECT_NEAR(Rms(out, 0, {end - 0.48, end - 0.45}) / full, 0.95, 0.04);
    EXPECT_NEAR(Rms(out, 0, {end - 0.27, end - 0.23}) / full, 0.5, 0.04);  // linear, halfway
    EXPECT_LT(Rms(out, 0, {end - 0.01, 0.0}), 0.02 * full);
    EXPECT_LT(std::abs(out.samples.back()), 1e-3f);
    // A fade-out of no length ends the track where the pause held it, without a sound more.
    const double held = PlayAndPauseAfter(ToneTrack(1000, 0.5, 6.0), 1.0, 5.0);
    engine::FadeOut(0.0f);
    EXPECT_EQ(FinishAndRead().Frames(), FrameAt(held));
}

TEST_F(PlaybackTransportTest, PlayWhilePlayingRestartsWithTheNewTrack) {
    const std::string &tone = ToneTrack(440, 0.3, 0.5);  // made before the sweep starts
    PlayAndPauseAfter(LongSweep(), 0.2);
    engine::ContinuePlaying();
    ASSERT_EQ(engine::Play(tone.c_str()), 0);
    const WavAudio out = FinishAndRead();
    EXPECT_EQ(out.Frames(), FrameAt(0.5));
    EXPECT_NEAR(ToneAmplitude(out, 0, 440.0, {0.1, 0.4}), 0.3, 0.02);
}

using PlaybackStatusTest = PlaybackTransportTest;

// get_status gives 0 once, with the position of the last sample and the
// last values heard, then 3; asked first through is_finished, status goes
// straight to 3. is_finished holds from the end until the next start.
TEST_F(PlaybackStatusTest, EachEndIsReportedOnceThroughWhicheverIsAskedFirst) {
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(engine::Play(ToneTrack(500, 0.3, 0.3).c_str()), 0);
        StatusReading reading;
        ASSERT_TRUE(WaitFor([&] { return (reading = ReadStatus()).status != 1; }));
        EXPECT_EQ(reading.status, 0) << round;
        EXPECT_DOUBLE_EQ(reading.position, 0.3);
        EXPECT_NEAR(reading.vu[0], 0.3 * 32767, 0.06 * 32767);
        const StatusReading after = ReadStatus();
        EXPECT_EQ(after.status, 3);
        EXPECT_EQ(after.vu, reading.vu);
        EXPECT_EQ(engine::IsFinished(), 1);
    }
    ASSERT_EQ(engine::Play(ToneTrack(500, 0.3, 0.3).c_str()), 0);
    ASSERT_TRUE(WaitForFinish());
    EXPECT_EQ(ReadStatus().status, 3);
    engine::StopPlaying();
    EXPECT_EQ(engine::IsFinished(), 1);
}

TEST_F(PlaybackStatusTest, NotificationsArriveOncePerIntervalOfHeardAudio) {
    for (auto [asked, kept] : {std::pair<int16_t, int16_t>{5, 10}, {-3, 10}, {1000, 1000}, {5000, 1000}})
        EXPECT_EQ(SetInterval(asked), kept) << asked;
    EXPECT_EQ(engine::SetVuInterval(nullptr), -1);
    for (auto [interval, intervals] : {std::pair<int16_t, int>{100, 10}, {50, 20}, {250, 4}}) {
        CountingTarget target;
        engine::PlayMp3(0, target.Handle());
        SetInterval(interval);
        ASSERT_EQ(engine::Play(ToneTrack(700, 0.3, 1.0).c_str()), 0);
        ASSERT_TRUE(WaitForFinish());
        engine::StopPlaying();
        // One signal per interval of the 1-second track and one for the end.
        EXPECT_EQ(target.Count(), intervals + 1) << interval;
    }
}

double WaveAmplitude(const StatusReading &reading, int channel, double hz) {
    std::vector<float> wave(256);
    for (int k = 0; k < 256; ++k) wave[k] = reading.Wave(channel, k) / 32767.0f;
    return ToneAmplitude(wave.data(), wave.size(), 1, 0, hz, kRate);
}

void ExpectAnalysisOf(const StatusReading &reading, double hz, double left, double right) {
    SCOPED_TRACE(::testing::Message() << "at " << reading.position << " s, " << hz << " Hz");
    EXPECT_NEAR(reading.vu[1], left * 32767, 0.06 * 32767);
    EXPECT_NEAR(reading.vu[2], right * 32767, 0.06 * 32767);
    EXPECT_EQ(reading.vu[0], std::max(reading.vu[1], reading.vu[2]));
    EXPECT_NEAR(WaveAmplitude(reading, 1, hz), left, 0.05);
    EXPECT_NEAR(WaveAmplitude(reading, 2, hz), right, 0.05);
    EXPECT_NEAR(WaveAmplitude(reading, 0, hz), (left + right) / 2, 0.05);
    const int bin = static_cast<int>(std::lround(hz / kBinHz));
    for (auto [channel, level] : {std::pair{0, (left + right) / 2}, {1, left}, {2, right}})
        EXPECT_NEAR(reading.Spectrum(channel, bin), level, 0.1 * level + 0.02) << channel;
}

CorvaneVisInfo VisInfo(int32_t size, int32_t sampleRate = 0) {
    CorvaneVisInfo info{};
    info.struct_size = size;
    info.sample_rate = sampleRate;
    EXPECT_EQ(engine::GetVisInfo(&info), 0);
    return info;
}

// In real time, so that each reading is taken while its part is heard: 0.6 s
// of 1 kHz (left 0.5, right 0.25), then 0.6 s of 5 kHz (left 0.2, right 0.7).
// The scales are those of the track being heard.
TEST_F(PlaybackStatusTest, AnalysisShowsWhatIsBeingHeard) {
    static const std::string track = EncodeMp3(
        "two-part", Concatenate(SynthesizeTones({{1000.0, 0.5, 0.25}}, 0.6), SynthesizeTones({{5000.0, 0.2, 0.7}}, 0.6)));
    ScopedOutput realTime("wav:" + ScratchFile("analysis"));
    SetInterval(20);
    EXPECT_EQ(VisInfo(sizeof(CorvaneVisInfo)).sample_rate, 0);
    EXPECT_EQ(VisInfo(sizeof(CorvaneVisInfo)).interval_ms, 20);
    EXPECT_EQ(engine::GetVisInfo(nullptr), -1);
    ASSERT_EQ(engine::Play(track.c_str()), 0);
    EXPECT_EQ(VisInfo(sizeof(CorvaneVisInfo)).sample_rate, kRate);
    EXPECT_FLOAT_EQ(VisInfo(sizeof(CorvaneVisInfo)).spectrum_bin_hz, kBinHz);
    const CorvaneVisInfo older = VisInfo(8, -7);  // a caller that knows only the first two fields
    EXPECT_EQ(older.wave_samples, 256);
    EXPECT_EQ(older.sample_rate, -7);
    std::vector<StatusReading> first, second;
    ASSERT_TRUE(WaitFor([&] {
        const StatusReading reading = ReadStatus();
        if (reading.status == 1 && reading.position > 0.1 && reading.position < 0.5) first.push_back(reading);
        if (reading.status == 1 && reading.position > 0.75 && reading.position < 1.15) second.push_back(reading);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return reading.status != 1;
    }));
    ASSERT_GE(first.size(), 3u);
    ASSERT_GE(second.size(), 3u);
    for (const StatusReading &reading : first) ExpectAnalysisOf(reading, 1000.0, 0.5, 0.25);
    for (const StatusReading &reading : second) ExpectAnalysisOf(reading, 5000.0, 0.2, 0.7);
}

// In real time, so that the pause comes while the tone is heard.
TEST_F(PlaybackStatusTest, AnalysisHoldsWhilePausedAndAfterStopUntilTheNextTrackDelivers) {
    ScopedOutput realTime("wav:" + ScratchFile("paused-analysis"));
    ASSERT_EQ(engine::Play(ToneTrack(700, 0.3, 6.0).c_str()), 0);
    ASSERT_TRUE(WaitFor([] { return PositionNow() > 0.3; }));
    engine::PausePlaying();
    const StatusReading paused = ReadStatus();
    ASSERT_EQ(paused.status, 2);
    EXPECT_NEAR(paused.vu[0], 0.3 * 32767, 0.06 * 32767);
    for (const StatusReading &later : {ReadStatus(), (engine::StopPlaying(), ReadStatus())}) {
        EXPECT_EQ(later.vu, paused.vu);
        EXPECT_EQ(later.wave, paused.wave);
        EXPECT_EQ(later.spectrum, paused.spectrum);
    }
    // A new track shows nothing until its first interval has been heard.
    SetInterval(1000);
    ASSERT_EQ(engine::Play(ToneTrack(700, 0.3, 6.0).c_str()), 0);
    const StatusReading next = ReadStatus();
    EXPECT_EQ(next.vu[0], 0);
    EXPECT_TRUE(std::all_of(next.wave.begin(), next.wave.end(), [](int16_t v) { return v == 0; }));
    EXPECT_TRUE(std::all_of(next.spectrum.begin(), next.spectrum.end(), [](float v) { return v == 0.0f; }));
}

}  // namespace
}  // namespace corvane::testing
