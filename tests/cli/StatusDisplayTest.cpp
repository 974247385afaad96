// The parts of the terminal status display: times, bars, meter levels, widths.
#include <gtest/gtest.h>

#include <string>

#include "cli/StatusDisplay.h"

namespace corvane::cli {
namespace {

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

}  // namespace
}  // namespace corvane::cli
