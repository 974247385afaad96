// Playback behaviour beyond the state table: file names, start failures,
// fades, seeking, event handlers and the finish timer on the message loop.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "PlayerTestSupport.h"
#include "support/Raises.h"

namespace corvane::player::testing {
namespace {

using corvane::testing::ErrorOf;
using corvane::testing::ExpectError;

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using runtime::Text;

TEST_F(PlayerTest, FailedStartRaisesTheLibraryNumberAndStaysStopped) {
    struct Case {
        const char *call;
        int32_t number;
        const char16_t *description;
        bool playingBefore;
    };
    for (const Case &c : {Case{"play", 30101, u"No audio devices present.", false},
                          Case{"play", 30076, u"Audio device is already open.", true},
                          Case{"fade_in", 12345, u"Unknown error.", false}}) {
        SetFile(kSongA);
        fake->results.clear();
        if (c.playingBefore) player->PlayStart();
        fake->results[c.call] = c.number;
        fake->ClearCalls();
        double attack = 3;
        ExpectError(ErrorOf([&] { std::string(c.call) == "play" ? player->PlayStart() : player->PlayFadeIn(attack); }),
                    c.number, c.description, u"CVMP3Player");
        EXPECT_FALSE(player->IsPlaying());
        EXPECT_FALSE(site.TimerEnabled());
        EXPECT_EQ(attack, 3);  // not written back
        // The interval and the handle went out before the start failed.
        EXPECT_THAT(fake->calls, Contains("set_vu_interval(100)"));
        EXPECT_THAT(fake->calls, Contains("play_mp3(0,handle)"));
    }
}

TEST_F(PlayerTest, FadeOutTimeIsClampedAndWrittenBack) {
    struct Case {
        bool playing;
        float given, writtenBack;
        std::vector<std::string> calls;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const Case &c : {Case{true, 25, 20, {"fade_out(20)"}}, Case{true, 20, 20, {"fade_out(20)"}},
                          Case{true, 0.5f, 0.5f, {"fade_out(0.5)"}}, Case{true, 0, 0, {}}, Case{true, -3, -3, {}},
                          Case{true, nan, nan, {}}, Case{false, 25, 20, {}}}) {
        SetFile(kSongA);
        if (c.playing) player->PlayStart();
        fake->ClearCalls();
        float decay = c.given;
        player->PlayFadeOut(decay);
        if (std::isnan(c.given))
            EXPECT_TRUE(std::isnan(decay));
        else
            EXPECT_EQ(decay, c.writtenBack) << c.given;
        EXPECT_EQ(TransportCalls(), c.calls) << c.given << " playing " << c.playing;
        player->PlayStop();
    }
}

// The fake's track is 200 seconds long.
TEST_F(PlayerTest, SeekTargetsAreWorkedOutFromTheOriginAndClamped) {
    struct Case {
        int32_t from;
        double value, target;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const Case &c : {Case{corMP3SeekFromEnd, -10, 190}, Case{corMP3SeekFromBeginning, 500, 200},
                          Case{corMP3SeekFromBeginning, -3, 0}, Case{corMP3SeekFromBeginning, 42.5, 42.5},
                          Case{corMP3SeekFromCurrent, 15, 45}, Case{corMP3SeekFromCurrent, -100, 0},
                          Case{corMP3SeekFromEnd, 5, 200}, Case{7, 50, 0}, Case{-1, 50, 0},
                          Case{corMP3SeekFromBeginning, nan, 0}}) {
        StartPlaying();
        fake->status.position = 30;
        Poll(1);
        fake->ClearCalls();
        CorvaneMP3Seek from = static_cast<CorvaneMP3Seek>(c.from);
        player->SetTrackPosition(from, c.value);
        EXPECT_EQ(from, c.from);  // not written back
        ASSERT_EQ(fake->CallsNamed("seek_playing").size(), 1u) << c.from << " " << c.value;
        CorvaneMP3Seek beginning = corMP3SeekFromBeginning;
        EXPECT_DOUBLE_EQ(player->TrackPosition(beginning), c.target) << c.from << " " << c.value;
        player->PlayStop();
    }
}

TEST_F(PlayerTest, TrackPositionReadsFromEachOrigin) {
    StartPlaying();
    fake->status.position = 12.25;
    Poll(1);
    player->PlayStop();  // a stop keeps the position
    struct Case {
        int32_t from;
        double expected;
    };
    for (const Case &c : {Case{corMP3SeekFromBeginning, 12.25}, Case{corMP3SeekFromCurrent, 0},
                          Case{corMP3SeekFromEnd, 187.75}, Case{3, 0}, Case{-2, 0}}) {
        CorvaneMP3Seek from = static_cast<CorvaneMP3Seek>(c.from);
        EXPECT_DOUBLE_EQ(player->TrackPosition(from), c.expected) << c.from;
    }
    // A seek while stopped is not kept for the next start.
    CorvaneMP3Seek from = corMP3SeekFromBeginning;
    player->SetTrackPosition(from, 50);
    fake->ClearCalls();
    player->PlayStart();
    EXPECT_TRUE(fake->CallsNamed("seek_playing").empty());
}

TEST_F(PlayerTest, AHandlerThatPumpsMessagesDoesNotReenterTheTick) {
    StartPlaying();
    fake->results["is_finished"] = 1;
    size_t checksInsideHandler = 0;
    bool inHandler = false;
    site.Connect([&](int32_t, const Text &name) {
        if (name != u"FinishedPlaying" || inHandler) return;
        inHandler = true;
        size_t before = fake->CallsNamed("is_finished").size();
        player->PlayStart();  // playing again, so a nested tick would finish it
        site.Tick();
        site.Tick();
        checksInsideHandler = fake->CallsNamed("is_finished").size() - before;
        inHandler = false;
    });
    site.Tick();
    EXPECT_EQ(checksInsideHandler, 0u);
    EXPECT_EQ(site.CountEvents(u"FinishedPlaying"), 1);
    EXPECT_TRUE(player->IsPlaying());
    site.Tick();  // the guard is released after the tick
    EXPECT_EQ(site.CountEvents(u"FinishedPlaying"), 2);
}

TEST_F(PlayerTest, AFailingHandlerDoesNotBreakTheTick) {
    StartPlaying();
    fake->results["is_finished"] = 1;
    fake->results["play"] = 30101;
    site.Connect([&](int32_t, const Text &) { player->PlayStart(); });  // raises 30101
    EXPECT_NO_THROW(site.Tick());
    fake->results.erase("play");
    player->PlayStart();
    EXPECT_NO_THROW(site.Tick());
    EXPECT_EQ(site.CountEvents(u"FinishedPlaying"), 2);  // the guard was released
}

}  // namespace
}  // namespace corvane::player::testing
