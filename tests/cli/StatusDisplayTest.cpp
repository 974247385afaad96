#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "cli/StatusDisplay.h"

namespace corvane::cli {
namespace {

StatusSnapshot PlayingSnapshot() {
    StatusSnapshot s;
    s.file = "/music/folder/song.mp3";
    s.title = "Blue";
    s.artist = "Ann";
    s.album = "Colours";
    s.state = PlaybackState::Playing;
    s.position = 83;
    s.length = 225;
    s.trackNumber = 2;
    s.trackCount = 5;
    s.vuLeft = 0.5;
    s.vuRight = 1.0;
    s.spectrum = {1.0, 0.5, 0.0, 0.25};
    s.mpegVersion = "1";
    s.layer = "3";
    s.sampleRate = 44100;
    s.bitrate = 128000;
    s.channelMode = "Joint Stereo";
    s.gainDb = 4;
    s.equalizerOn = true;
    s.output = "null output";
    s.message = "Seek forward 0:05";
    return s;
}

bool Contains(const std::vector<std::string> &lines, const std::string &text) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string &line) { return line.find(text) != std::string::npos; });
}

std::string LineWith(const std::vector<std::string> &lines, const std::string &start) {
    for (const auto &line : lines)
        if (line.rfind(start, 0) == 0) return line;
    return "";
}

TEST(FormatTime, MinutesSecondsAndHours) {
    struct Case {
        double seconds;
        const char *text;
    } cases[] = {{0, "0:00"}, {5.9, "0:05"}, {65, "1:05"}, {599, "9:59"}, {3599, "59:59"},
                 {3600, "1:00:00"}, {3725, "1:02:05"}, {-4, "0:00"}, {1.0 / 0.0, "0:00"}};
    for (const auto &c : cases) EXPECT_EQ(FormatTime(c.seconds), c.text) << c.seconds;
}

TEST(ProgressBar, FillsItsShareAndKeepsItsWidth) {
    EXPECT_EQ(ProgressBar(0, 4), "----");
    EXPECT_EQ(ProgressBar(0.5, 4), "##--");
    EXPECT_EQ(ProgressBar(1, 4), "####");
    EXPECT_EQ(ProgressBar(7, 4), "####");
    EXPECT_EQ(ProgressBar(-1, 4), "----");
    EXPECT_EQ(ProgressBar(0.0 / 0.0, 3), "---");
    EXPECT_EQ(ProgressBar(0.5, 0), "");
}

TEST(LevelFromPeak, DecibelScaleFromFloorToFullScale) {
    EXPECT_DOUBLE_EQ(LevelFromPeak(32767, 32767), 1.0);
    EXPECT_DOUBLE_EQ(LevelFromPeak(65534, 32767), 1.0);  // above full scale is full
    EXPECT_NEAR(LevelFromPeak(32767 / 2.0, 32767, 48), 1 - 6.0206 / 48, 1e-3);
    EXPECT_DOUBLE_EQ(LevelFromPeak(1, 32767, 48), 0.0);  // -90 dB is below the floor
    EXPECT_DOUBLE_EQ(LevelFromPeak(0, 32767), 0.0);
    EXPECT_DOUBLE_EQ(LevelFromPeak(-5, 32767), 0.0);
    EXPECT_DOUBLE_EQ(LevelFromPeak(100, 0), 0.0);
}

TEST(Spectrum, LogSpacedBandsFrom40HzTo16kHzOnATiltedDecibelScale) {
    const double binHz = 44100 / 256.0;
    // A tone in one bin lights the band over its frequency and no band away from it.
    for (size_t tone : {3u, 20u, 90u}) {
        std::vector<float> bins(128, 0.0f);
        bins[tone] = 1;
        std::vector<double> db = SpectrumBandsDb(bins, 40, binHz);
        ASSERT_EQ(db.size(), 40u);
        size_t loudest = static_cast<size_t>(std::max_element(db.begin(), db.end()) - db.begin());
        double expected = 40 * std::log2(tone * binHz / 40) / std::log2(16000 / 40.0);
        EXPECT_NEAR(static_cast<double>(loudest), expected, 1.5) << tone;
        EXPECT_EQ(db.front(), -std::numeric_limits<double>::infinity()) << tone;
        if (tone != 90u) EXPECT_EQ(db.back(), -std::numeric_limits<double>::infinity()) << tone;
    }
    // Flat magnitudes: every band reads, the highest 4 octaves (12 dB) above 1 kHz.
    std::vector<float> flat(128, 0.1f);
    std::vector<double> db = SpectrumBandsDb(flat, 60, binHz);
    for (double band : db) EXPECT_TRUE(std::isfinite(band));
    EXPECT_TRUE(std::is_sorted(db.begin(), db.end()));
    EXPECT_NEAR(db.back(), -20 + 3 * std::log2(16000 / 1000.0), 0.5);
    // Bands narrower than a bin still differ: they interpolate between bins.
    flat[0] = 0, flat[1] = 1;
    db = SpectrumBandsDb(flat, 60, binHz);
    EXPECT_TRUE(std::isfinite(db[0]));
    EXPECT_GT(db[4] - db[0], 3);

    EXPECT_TRUE(SpectrumBandsDb(flat, 0, binHz).empty());
    EXPECT_TRUE(SpectrumBandsDb({}, 8, binHz).empty());
    EXPECT_TRUE(SpectrumBandsDb(flat, 8, 0).empty());
    // A low sample rate ends the bands at the highest bin, never past it.
    EXPECT_EQ(SpectrumBandsDb(flat, 30, 8000 / 256.0).size(), 30u);

    EXPECT_EQ(SpectrumBars({0, -10, -25, -50, -80, -std::numeric_limits<double>::infinity(), 6}, 0, 50),
              (std::vector<double>{1, 0.8, 0.5, 0, 0, 0, 1}));
}

TEST(FitToWidth, CutsWholeCharacters) {
    EXPECT_EQ(FitToWidth("abcdef", 3), "abc");
    EXPECT_EQ(FitToWidth("abc", 10), "abc");
    EXPECT_EQ(FitToWidth("Zo\xc3\xab \xc3\x98rsted", 3), "Zo\xc3\xab");  // "Zoë" keeps its two-byte ë
    EXPECT_EQ(FitToWidth("abc", 0), "");
}

TEST(RenderScreen, ShowsTagTimeMetersSpectrumAndStream) {
    auto lines = RenderScreen(PlayingSnapshot(), 80, 40);
    EXPECT_TRUE(Contains(lines, "[Playing]"));
    EXPECT_TRUE(Contains(lines, "track 2/5"));
    EXPECT_EQ(LineWith(lines, "Title"), "Title : Blue");
    EXPECT_EQ(LineWith(lines, "Artist"), "Artist: Ann");
    EXPECT_EQ(LineWith(lines, "Album"), "Album : Colours");
    EXPECT_TRUE(Contains(lines, "MPEG 1 Layer 3 | 44100 Hz | 128 kbit/s | Joint Stereo"));
    EXPECT_TRUE(Contains(lines, "Gain +4 dB | Equalizer on | Output: null output"));
    EXPECT_TRUE(Contains(lines, "Seek forward 0:05"));

    std::string time = LineWith(lines, "1:23 [");
    ASSERT_FALSE(time.empty());
    EXPECT_EQ(time.substr(time.size() - 5), " 3:45");
    size_t filled = static_cast<size_t>(std::count(time.begin(), time.end(), '#'));
    size_t width = filled + static_cast<size_t>(std::count(time.begin(), time.end(), '-'));
    EXPECT_NEAR(static_cast<double>(filled) / static_cast<double>(width), 83.0 / 225.0, 0.02);

    std::string left = LineWith(lines, "L [");
    std::string right = LineWith(lines, "R [");
    auto bars = [](const std::string &line) { return std::count(line.begin(), line.end(), '|'); };
    EXPECT_EQ(bars(right), static_cast<long>(right.size()) - 4);  // full scale fills the meter
    EXPECT_NEAR(static_cast<double>(bars(left)), static_cast<double>(bars(right)) / 2, 1);

    // The first spectrum bar is full: its column holds '#' in every row.
    size_t spectrumRows = 0;
    for (const auto &line : lines)
        if (line.size() > 1 && line[0] == ' ' && line[1] == '#') ++spectrumRows;
    EXPECT_GE(spectrumRows, 3u);
}

TEST(RenderScreen, FitsTheTerminal) {
    StatusSnapshot s = PlayingSnapshot();
    s.title = std::string(200, 'x');
    for (int columns : {20, 40, 132}) {
        for (int rows : {10, 24, 60}) {
            auto lines = RenderScreen(s, columns, rows);
            EXPECT_LE(static_cast<int>(lines.size()), rows) << columns << "x" << rows;
            for (const auto &line : lines) EXPECT_LE(static_cast<int>(line.size()), columns) << line;
        }
    }
}

TEST(RenderScreen, StoppedWithoutStreamOrTag) {
    StatusSnapshot s;
    s.file = "/x/plain.mp3";
    auto lines = RenderScreen(s, 80, 30);
    EXPECT_TRUE(Contains(lines, "[Stopped]"));
    EXPECT_EQ(LineWith(lines, "Title"), "Title : plain.mp3");
    EXPECT_TRUE(Contains(lines, "0:00 [---"));
    EXPECT_FALSE(Contains(lines, "MPEG"));
    EXPECT_TRUE(Contains(lines, "Output: audio device"));
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
