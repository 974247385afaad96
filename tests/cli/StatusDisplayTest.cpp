// The pure parts of the terminal display: times, bars, meter levels, widths,
// and the keys decoded from what the terminal sends.
#include <gtest/gtest.h>

#include <string>

#include "cli/StatusDisplay.h"
#include "cli/Terminal.h"

namespace corvane::cli {
namespace {

TEST(StatusParts, TimeBarsAndLevels) {
    for (auto [seconds, text] : {std::pair{0.0, "0:00"}, {5.9, "0:05"}, {599, "9:59"}, {3599, "59:59"}, {3600, "1:00:00"},
                                 {3725, "1:02:05"}, {-4, "0:00"}, {1.0 / 0.0, "0:00"}})
        EXPECT_EQ(FormatTime(seconds), text) << seconds;
    for (auto [share, text] : {std::pair{0.5, "##--"}, {1.0, "####"}, {7.0, "####"}, {-1.0, "----"}, {0.0 / 0.0, "----"}})
        EXPECT_EQ(ProgressBar(share, 4), text) << share;
    EXPECT_DOUBLE_EQ(LevelFromPeak(65534, 32767), 1.0);  // above full scale is full
    EXPECT_NEAR(LevelFromPeak(32767 / 2.0, 32767, 48), 1 - 6.0206 / 48, 1e-3);
    for (auto [peak, scale] : {std::pair{1.0, 32767.0}, {-5.0, 32767.0}, {100.0, 0.0}})
        EXPECT_DOUBLE_EQ(LevelFromPeak(peak, scale, 48), 0.0) << peak;
    EXPECT_EQ(FitToWidth("Zo\xc3\xab \xc3\x98rsted", 3), "Zo\xc3\xab");  // cuts whole characters
}

// Arrows in either cursor mode, sequences split over reads, function keys
// skipped, and a lone escape as the Escape key once nothing follows.
TEST(StatusParts, KeysFromTerminalBytes) {
    KeyDecoder decoder;
    EXPECT_EQ(decoder.Feed("q\x1b[A\x1b[B\x1bOD\x1b[15~\x1b[1;5C\x03\x1b["),
              (std::vector<Key>{{KeyCode::Character, 'q'}, {KeyCode::Up, 0}, {KeyCode::Down, 0}, {KeyCode::Left, 0},
                                {KeyCode::Right, 0}, {KeyCode::Interrupt, 0}}));
    EXPECT_EQ(decoder.Feed("D\x1b"), (std::vector<Key>{{KeyCode::Left, 0}}));
    EXPECT_EQ(decoder.Flush(), (std::vector<Key>{{KeyCode::Escape, 0}}));
    EXPECT_EQ(decoder.Feed("\x1bq"), (std::vector<Key>{{KeyCode::Escape, 0}, {KeyCode::Character, 'q'}}));
}

}  // namespace
}  // namespace corvane::cli
