// The status codes, the one-time report of each end of a track through
// get_status and is_finished, the notifications, and the analysis data that
// get_status hands out while a track is heard.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

#include "engine/PlaybackEntryPoints.h"
#include "support/ToneAnalysis.h"
#include "support/ToneFiles.h"
#include "support/TonePlayback.h"

namespace corvane::testing {
namespace {

constexpr int kRate = 44100;
constexpr double kBinHz = kRate / 256.0;

// 0.6 s of 1 kHz (left 0.5, right 0.25), then 0.6 s of 5 kHz (left 0.2,
// right 0.7): what the analysis shows must change with what is heard.
const std::string &TwoPartTrack() {
    static const std::string path = EncodeMp3(
        "two-part", Concatenate(SynthesizeTones({{1000.0, 0.5, 0.25}}, 0.6), SynthesizeTones({{5000.0, 0.2, 0.7}}, 0.6)));
    return path;
}

int16_t SetInterval(int16_t milliseconds) {
    engine::SetVuInterval(&milliseconds);
    return milliseconds;
}

class PlaybackStatusTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEqualizerAndGains();
        output_.emplace("wav-fast:" + ScratchFile("status"));
        SetInterval(100);
    }
    void TearDown() override {
        engine::StopPlaying();
        engine::PlayMp3(0, nullptr);
        SetInterval(100);
    }
    std::optional<ScopedOutput> output_;
};

// Every track's end is reported once: get_status gives 0 once, with the
// position of the last sample and the last values heard, then 3; asked first
// through is_finished, status goes straight to 3. is_finished holds from the
// end until the next start.
TEST_F(PlaybackStatusTest, EachEndIsReportedOnceThroughWhicheverIsAskedFirst) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(engine::Play(ToneTrack(500, 0.3, 0.3).c_str()), 0);
        StatusReading reading;
        ASSERT_TRUE(WaitFor([&] { return (reading = ReadStatus()).status != 1; }));
        EXPECT_EQ(reading.status, 0);
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
    ScopedOutput realTime("null");
    ASSERT_EQ(engine::Play(ToneTrack(700, 0.3, 6.0).c_str()), 0);
    EXPECT_EQ(engine::IsFinished(), 0);
    engine::StopPlaying();
    EXPECT_EQ(engine::IsFinished(), 0);  // stopped before its end
}

TEST_F(PlaybackStatusTest, StatusFollowsPlayPauseContinueAndStop) {
    ScopedOutput realTime("null");
    ASSERT_EQ(engine::Play(ToneTrack(700, 0.3, 6.0).c_str()), 0);
    EXPECT_EQ(ReadStatus().status, 1);
    EXPECT_EQ(ReadStatus().status, 1);  // again, whether or not new data came
    int16_t status = -1;
    EXPECT_EQ(engine::GetStatus(&status, nullptr, nullptr, nullptr, nullptr), 0);  // null arguments are skipped
    EXPECT_EQ(status, 1);
    engine::PausePlaying();
    EXPECT_EQ(ReadStatus().status, 2);
    engine::PausePlaying();
    EXPECT_EQ(ReadStatus().status, 2);
    engine::ContinuePlaying();
    EXPECT_EQ(ReadStatus().status, 1);
    ASSERT_TRUE(WaitFor([] { return PositionNow() > 0.0; }));
    engine::StopPlaying();
    const StatusReading stopped = ReadStatus();
    EXPECT_EQ(stopped.status, 3);
    EXPECT_GT(stopped.position, 0.0);  // where it stopped
}

TEST_F(PlaybackStatusTest, NotificationsArriveOncePerIntervalOfHeardAudio) {
    for (auto [asked, kept] : {std::pair<int16_t, int16_t>{5, 10}, {-3, 10}, {1000, 1000}, {5000, 1000}})
        EXPECT_EQ(SetInterval(asked), kept) << asked;
    EXPECT_EQ(engine::SetVuInterval(nullptr), -1);
    struct Case {
        int16_t interval;
        int intervals;  // in the 1-second track
    };
    for (const Case c : {Case{100, 10}, Case{50, 20}, Case{250, 4}}) {
        CountingTarget target;
        engine::PlayMp3(0, target.Handle());
        SetInterval(c.interval);
        ASSERT_EQ(engine::Play(ToneTrack(700, 0.3, 1.0).c_str()), 0);
        ASSERT_TRUE(WaitForFinish());
        engine::StopPlaying();
        // One signal per interval and one for the end.
        EXPECT_EQ(target.Count(), c.intervals + 1) << c.interval;
    }
}

TEST_F(PlaybackStatusTest, VisInfoDescribesTheScales) {
    SetInterval(40);
    CorvaneVisInfo idle{};
    idle.struct_size = sizeof(idle);
    ASSERT_EQ(engine::GetVisInfo(&idle), 0);
    EXPECT_EQ(idle.sample_rate, 0);
    EXPECT_EQ(idle.interval_ms, 40);

    ScopedOutput realTime("null");
    ASSERT_EQ(engine::Play(ToneTrack(700, 0.3, 6.0).c_str()), 0);
    CorvaneVisInfo info{};
    info.struct_size = sizeof(info);
    ASSERT_EQ(engine::GetVisInfo(&info), 0);
    EXPECT_EQ(info.wave_samples, 256);
    EXPECT_EQ(info.spectrum_bins, 128);
    EXPECT_EQ(info.sample_rate, kRate);
    EXPECT_FLOAT_EQ(info.spectrum_bin_hz, kBinHz);
    EXPECT_EQ(info.vu_max, 32767);
    EXPECT_FLOAT_EQ(info.spectrum_full_scale, 1.0f);

    CorvaneVisInfo older{};
    older.struct_size = 8;  // a caller that knows only the first two fields
    older.sample_rate = -7;
    ASSERT_EQ(engine::GetVisInfo(&older), 0);
    EXPECT_EQ(older.wave_samples, 256);
    EXPECT_EQ(older.sample_rate, -7);
    EXPECT_EQ(engine::GetVisInfo(nullptr), -1);
}

// Peak bin of one channel of the spectrum, DC left out.
int PeakBin(const StatusReading &reading, int channel) {
    int best = 1;
    for (int k = 1; k < 128; ++k) {
        if (reading.Spectrum(channel, k) > reading.Spectrum(channel, best)) best = k;
    }
    return best;
}

double WaveAmplitude(const StatusReading &reading, int channel, double hz) {
    std::vector<float> wave(256);
    for (int k = 0; k < 256; ++k) wave[k] = reading.Wave(channel, k) / 32767.0f;
    return ToneAmplitude(wave.data(), wave.size(), 1, 0, hz, kRate);
}

struct Heard {
    double hz;
    double left, right;
};

void ExpectAnalysisOf(const StatusReading &reading, const Heard &heard) {
    SCOPED_TRACE(::testing::Message() << "at " << reading.position << " s, " << heard.hz << " Hz");
    EXPECT_NEAR(reading.vu[1], heard.left * 32767, 0.06 * 32767);
    EXPECT_NEAR(reading.vu[2], heard.right * 32767, 0.06 * 32767);
    EXPECT_EQ(reading.vu[0], std::max(reading.vu[1], reading.vu[2]));
    EXPECT_NEAR(WaveAmplitude(reading, 1, heard.hz), heard.left, 0.05);
    EXPECT_NEAR(WaveAmplitude(reading, 2, heard.hz), heard.right, 0.05);
    EXPECT_NEAR(WaveAmplitude(reading, 0, heard.hz), (heard.left + heard.right) / 2, 0.05);
    const int bin = static_cast<int>(std::lround(heard.hz / kBinHz));
    for (int channel : {0, 1, 2}) EXPECT_EQ(PeakBin(reading, channel), bin) << channel;
    EXPECT_NEAR(reading.Spectrum(1, bin), heard.left, 0.1 * heard.left + 0.02);
    EXPECT_NEAR(reading.Spectrum(2, bin), heard.right, 0.1 * heard.right + 0.02);
}

// In real time, so that each reading is taken while its part is heard.
TEST_F(PlaybackStatusTest, AnalysisShowsWhatIsBeingHeard) {
    ScopedOutput realTime("wav:" + ScratchFile("analysis"));
    SetInterval(20);
    ASSERT_EQ(engine::Play(TwoPartTrack().c_str()), 0);
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
    for (const StatusReading &reading : first) ExpectAnalysisOf(reading, {1000.0, 0.5, 0.25});
    for (const StatusReading &reading : second) ExpectAnalysisOf(reading, {5000.0, 0.2, 0.7});
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
    EXPECT_EQ(ReadStatus().vu, paused.vu);
    EXPECT_EQ(ReadStatus().wave, paused.wave);
    engine::StopPlaying();
    const StatusReading stopped = ReadStatus();
    EXPECT_EQ(stopped.vu, paused.vu);
    EXPECT_EQ(stopped.wave, paused.wave);
    EXPECT_EQ(stopped.spectrum, paused.spectrum);

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
