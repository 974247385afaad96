// The terminal status display of cvmp3 play, drawn from a snapshot.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "cli/StatusDisplay.h"

namespace corvane::cli {
namespace {

constexpr double kSilent = -std::numeric_limits<double>::infinity();

StatusSnapshot PlayingSnapshot() {
    StatusSnapshot s;
    s.file = "/music/folder/song.mp3";
    s.title = "Blue", s.artist = "Ann", s.album = "Colours";
    s.state = PlaybackState::Playing;
    s.position = 83, s.length = 225, s.trackNumber = 2, s.trackCount = 5;
    s.vuLeft = 0.5, s.vuRight = 1.0;
    s.spectrum = {1.0, 0.5, 0.0, 0.25};
    s.mpegVersion = "1", s.layer = "3", s.sampleRate = 44100, s.bitrate = 128000, s.channelMode = "Joint Stereo";
    s.gainDb = 4, s.equalizerOn = true, s.output = "null output", s.message = "Seek forward 0:05";
    return s;
}

std::string LineWith(const std::vector<std::string> &lines, const std::string &text) {
    for (const auto &line : lines)
        if (line.find(text) != std::string::npos) return line;
    return "";
}

TEST(StatusParts, TimeBarsAndLevels) {
    for (auto [seconds, text] : {std::pair{0.0, "0:00"}, {5.9, "0:05"}, {599, "9:59"}, {3599, "59:59"},
                                 {3725, "1:02:05"}, {-4, "0:00"}, {1.0 / 0.0, "0:00"}})
        EXPECT_EQ(FormatTime(seconds), text) << seconds;
    for (auto [share, text] : {std::pair{0.5, "##--"}, {1.0, "####"}, {7.0, "####"}, {-1.0, "----"}, {0.0 / 0.0, "----"}})
        EXPECT_EQ(ProgressBar(share, 4), text) << share;
    EXPECT_EQ(ProgressBar(0.5, 0), "");
    EXPECT_DOUBLE_EQ(LevelFromPeak(65534, 32767), 1.0);  // above full scale is full
    EXPECT_NEAR(LevelFromPeak(32767 / 2.0, 32767, 48), 1 - 6.0206 / 48, 1e-3);
    for (auto [peak, scale] : {std::pair{1.0, 32767.0}, {-5.0, 32767.0}, {100.0, 0.0}})
        EXPECT_DOUBLE_EQ(LevelFromPeak(peak, scale, 48), 0.0) << peak;
    EXPECT_EQ(FitToWidth("Zo\xc3\xab \xc3\x98rsted", 3), "Zo\xc3\xab");  // cuts whole characters
    EXPECT_EQ(FitToWidth("abc", 10), "abc");
}

TEST(StatusParts, SpectrumBandsAreLogSpacedFrom40HzTo16kHzOnATiltedDecibelScale) {
    const double binHz = 44100 / 256.0;
    // A tone in one bin lights the band over its frequency and no band far away.
    for (size_t tone : {3u, 20u, 90u}) {
        std::vector<float> bins(128, 0.0f);
        bins[tone] = 1;
        std::vector<double> db = SpectrumBandsDb(bins, 40, binHz);
        ASSERT_EQ(db.size(), 40u);
        const auto loudest = static_cast<double>(std::max_element(db.begin(), db.end()) - db.begin());
        EXPECT_NEAR(loudest, 40 * std::log2(tone * binHz / 40) / std::log2(16000 / 40.0), 1.5) << tone;
        EXPECT_EQ(db.front(), kSilent) << tone;
    }
    // Flat magnitudes: every band reads, the highest 4 octaves (12 dB) above 1 kHz.
    std::vector<float> flat(128, 0.1f);
    std::vector<double> db = SpectrumBandsDb(flat, 60, binHz);
    EXPECT_TRUE(std::is_sorted(db.begin(), db.end()) && std::isfinite(db.front()));
    EXPECT_NEAR(db.back(), -20 + 3 * std::log2(16000 / 1000.0), 0.5);
    // Bands narrower than a bin still differ: they interpolate between bins.
    flat[0] = 0, flat[1] = 1;
    db = SpectrumBandsDb(flat, 60, binHz);
    EXPECT_GT(db[4] - db[0], 3);
    EXPECT_TRUE(SpectrumBandsDb(flat, 0, binHz).empty() && SpectrumBandsDb({}, 8, binHz).empty() &&
                SpectrumBandsDb(flat, 8, 0).empty());
    EXPECT_EQ(SpectrumBandsDb(flat, 30, 8000 / 256.0).size(), 30u);  // ends at the highest bin, never past it
    EXPECT_EQ(SpectrumBars({0, -10, -25, -50, -80, kSilent, 6}, 0, 50), (std::vector<double>{1, 0.8, 0.5, 0, 0, 0, 1}));
}

TEST(RenderScreen, ShowsTagTimeMetersSpectrumAndStreamWithinTheTerminal) {
    auto lines = RenderScreen(PlayingSnapshot(), 80, 40);
    for (const char *text : {"[Playing]", "track 2/5", "MPEG 1 Layer 3 | 44100 Hz | 128 kbit/s | Joint Stereo",
                             "Gain +4 dB | Equalizer on | Output: null output", "Seek forward 0:05"})
        EXPECT_NE(LineWith(lines, text), "") << text;
    EXPECT_EQ(LineWith(lines, "Title"), "Title : Blue");
    EXPECT_EQ(LineWith(lines, "Album"), "Album : Colours");

    const std::string time = LineWith(lines, "1:23 [");
    ASSERT_TRUE(time.ends_with(" 3:45")) << time;
    const auto filled = static_cast<double>(std::count(time.begin(), time.end(), '#'));
    EXPECT_NEAR(filled / (filled + static_cast<double>(std::count(time.begin(), time.end(), '-'))), 83.0 / 225.0, 0.02);

    auto bars = [](const std::string &line) { return static_cast<double>(std::count(line.begin(), line.end(), '|')); };
    const std::string right = LineWith(lines, "R [");
    EXPECT_EQ(bars(right), static_cast<double>(right.size()) - 4);  // full scale fills the meter
    EXPECT_NEAR(bars(LineWith(lines, "L [")), bars(right) / 2, 1);
    // The first spectrum bar is full: its column holds '#' in every row.
    EXPECT_GE(std::count_if(lines.begin(), lines.end(), [](const std::string &l) { return l.starts_with(" #"); }), 3);

    StatusSnapshot s = PlayingSnapshot();
    s.title = std::string(200, 'x');
    for (int columns : {20, 132}) {
        for (int rows : {10, 60}) {
            auto fitted = RenderScreen(s, columns, rows);
            EXPECT_LE(static_cast<int>(fitted.size()), rows) << columns << "x" << rows;
            for (const auto &line : fitted) EXPECT_LE(static_cast<int>(line.size()), columns) << line;
        }
    }

    StatusSnapshot stopped;
    stopped.file = "/x/plain.mp3";
    lines = RenderScreen(stopped, 80, 30);
    EXPECT_EQ(LineWith(lines, "Title"), "Title : plain.mp3");
    for (const char *text : {"[Stopped]", "0:00 [---", "Output: audio device"}) EXPECT_NE(LineWith(lines, text), "") << text;
    EXPECT_EQ(LineWith(lines, "MPEG"), "");
}

TEST(RenderStatusLine, OneLineWithoutEscapeCodesNamingTheTrackByItsTagOrFile) {
    StatusSnapshot s = PlayingSnapshot();
    s.state = PlaybackState::Paused;
    EXPECT_EQ(RenderStatusLine(s), "[Paused] 1:23 / 3:45  track 2/5  VU L  50% R 100%  Ann - Blue");
    s.artist = "";
    EXPECT_EQ(DisplayName(s), "Blue");
    s.title = "";
    EXPECT_EQ(DisplayName(s), "song.mp3");
}

}  // namespace
}  // namespace corvane::cli
