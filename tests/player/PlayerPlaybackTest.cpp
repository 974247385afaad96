// Playback behaviour beyond the state table: file names, start failures,
// fades, seeking, event handlers and the finish timer on the message loop.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "PlayerTestSupport.h"
#include "runtime/AutomationError.h"

namespace corvane::player::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using runtime::Text;
using namespace std::chrono_literals;

TEST_F(PlayerTest, FinishTimerTicksEveryTenMillisecondsAndStartsDisabled) {
    EXPECT_EQ(site.TimerInterval(), 10);
    EXPECT_FALSE(site.TimerEnabled());
}

TEST_F(PlayerTest, SettingTheSameNameAgainChangesNothing) {
    StartPlaying();
    fake->ClearCalls();
    site.changedProperties.clear();
    SetFile(kSongA);
    EXPECT_THAT(fake->calls, IsEmpty());  // not stopped, not read again
    EXPECT_TRUE(player->IsPlaying());
    EXPECT_THAT(site.changedProperties, IsEmpty());
}

TEST_F(PlayerTest, TheSameNameInOtherLetterCaseCountsAsNew) {
    fake->AddFile("/music/A.mp3", kStereoInfo, TagBlock("Upper"));
    StartPlaying();
    fake->ClearCalls();
    SetFile("/music/A.mp3");
    EXPECT_EQ(player->Filename(), u"/music/A.mp3");
    EXPECT_FALSE(player->IsPlaying());
    EXPECT_THAT(fake->calls, Contains("stop_playing()"));
    EXPECT_FALSE(fake->CallsNamed("get_frame_info").empty());
    EXPECT_EQ(player->ID3Title(), u"Upper");
}

TEST_F(PlayerTest, AcceptedFileIsReportedAsAChangedProperty) {
    SetFile(kSongA);
    EXPECT_EQ(player->Filename(), u"/music/a.mp3");
    EXPECT_THAT(site.changedProperties, ElementsAre(u"FileName"));
}

TEST_F(PlayerTest, RejectedFilesEmptyFilenameQuietly) {
    fake->AddFile("/music/noise.bin", "", "").frameResult = 0;  // not audio
    for (const char *path : {"/music/missing.mp3", "/music/noise.bin", ""}) {
        SetFile(kSongA);
        player->PlayStart();
        site.changedProperties.clear();
        EXPECT_NO_THROW(SetFile(path)) << path;
        EXPECT_EQ(player->Filename(), u"") << path;
        EXPECT_FALSE(player->IsPlaying()) << path;
        EXPECT_THAT(site.changedProperties, IsEmpty()) << path;
    }
}

TEST_F(PlayerTest, FailedStartRaisesTheLibraryNumberAndStaysStopped) {
    struct Case {
        int32_t number;
        const char16_t *description;
        bool playingBefore;
    };
    for (const Case &c : {Case{30101, u"No audio devices present.", false},
                          Case{30076, u"Audio device is already open.", true}, Case{12345, u"Unknown error.", false}}) {
        SetFile(kSongA);
        fake->results.erase("play");
        if (c.playingBefore) player->PlayStart();
        fake->results["play"] = c.number;
        fake->ClearCalls();
        try {
            player->PlayStart();
            ADD_FAILURE() << "no error for " << c.number;
        } catch (const runtime::AutomationError &error) {
            EXPECT_EQ(error.Number(), c.number);
            EXPECT_EQ(error.Source(), u"CVMP3Player");
            EXPECT_EQ(error.Description(), c.description);
        }
        EXPECT_FALSE(player->IsPlaying());
        EXPECT_FALSE(site.TimerEnabled());
        // The interval and the handle went out before the start failed.
        EXPECT_THAT(fake->calls, Contains("set_vu_interval(100)"));
        EXPECT_THAT(fake->calls, Contains("play_mp3(0,handle)"));
    }
}

TEST_F(PlayerTest, FailedFadeInRaisesLikeAFailedStart) {
    SetFile(kSongA);
    fake->results["fade_in"] = 53;
    double attack = 3;
    EXPECT_THROW(player->PlayFadeIn(attack), runtime::AutomationError);
    EXPECT_FALSE(player->IsPlaying());
    EXPECT_EQ(attack, 3);  // not written back
}

TEST_F(PlayerTest, TheNotificationWindowHandleGoesToTheLibrary) {
    StartPlaying();
    ASSERT_NE(fake->lastHandle, nullptr);
    fake->status.status = 1;
    // The library signals the handle from its own thread; the repaint runs on
    // the loop.
    fake->lastHandle->invalidate(fake->lastHandle);
    EXPECT_TRUE(loop.RunUntil([&] { return site.CountEvents(u"VisualizationUpdate") == 1; }, 30s));
}

TEST_F(PlayerTest, FadeOutTimeIsClampedAndWrittenBack) {
    struct Case {
        float given;
        float writtenBack;
        std::vector<std::string> calls;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const Case &c : {Case{25, 20, {"fade_out(20)"}}, Case{20, 20, {"fade_out(20)"}},
                          Case{0.5f, 0.5f, {"fade_out(0.5)"}}, Case{0, 0, {}}, Case{-3, -3, {}}}) {
        StartPlaying();
        fake->ClearCalls();
        float decay = c.given;
        player->PlayFadeOut(decay);
        EXPECT_EQ(decay, c.writtenBack) << c.given;
        EXPECT_EQ(TransportCalls(), c.calls) << c.given;
        player->PlayStop();
    }
    StartPlaying();
    fake->ClearCalls();
    float decay = nan;
    player->PlayFadeOut(decay);
    EXPECT_THAT(fake->calls, IsEmpty());
    EXPECT_TRUE(std::isnan(decay));
}

TEST_F(PlayerTest, FadeOutWhileStoppedCallsNothingButStillClamps) {
    SetFile(kSongA);
    fake->ClearCalls();
    float decay = 25;
    player->PlayFadeOut(decay);
    EXPECT_EQ(decay, 20);
    EXPECT_THAT(fake->calls, IsEmpty());
}

TEST_F(PlayerTest, AfterAFadeOutThePlayerPlaysUntilTheLibraryReportsTheEnd) {
    StartPlaying();
    float decay = 2;
    player->PlayFadeOut(decay);
    EXPECT_FALSE(site.TimerEnabled());  // the finish timer no longer decides
    Poll(1);
    EXPECT_TRUE(player->IsPlaying());
    EXPECT_EQ(site.CountEvents(u"FinishedPlaying"), 0);
    Poll(0);
    EXPECT_FALSE(player->IsPlaying());
    EXPECT_EQ(site.CountEvents(u"FinishedPlaying"), 1);
}

// The fake's track is 200 seconds long.
TEST_F(PlayerTest, SeekTargetsAreWorkedOutFromTheOriginAndClamped) {
    struct Case {
        int32_t from;
        double value;
        double target;
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

TEST_F(PlayerTest, SeekWhileStoppedIsDiscarded) {
    SetFile(kSongA);
    CorvaneMP3Seek from = corMP3SeekFromBeginning;
    player->SetTrackPosition(from, 50);
    EXPECT_TRUE(fake->CallsNamed("seek_playing").empty());
    EXPECT_EQ(player->TrackPosition(from), 0);
    player->PlayStart();
    EXPECT_TRUE(fake->CallsNamed("seek_playing").empty());  // not kept for the start
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
}

TEST_F(PlayerTest, FinishedPlayingHandlerCanStartTheNextTrack) {
    for (bool fromTimer : {true, false}) {
        StartPlaying();
        int cookie = site.Connect([&](int32_t id, const Text &name) {
            if (name != u"FinishedPlaying") return;
            EXPECT_EQ(id, 1);
            EXPECT_FALSE(player->IsPlaying());  // the flags are set before the event
            SetFile(kSongB);
            player->PlayStart();
        });
        fake->ClearCalls();
        if (fromTimer) {
            fake->results["is_finished"] = 1;
            site.Tick();
            fake->results.erase("is_finished");
        } else {
            Poll(0);
        }
        site.Disconnect(cookie);
        EXPECT_TRUE(player->IsPlaying()) << fromTimer;
        EXPECT_EQ(player->Filename(), u"/music/b.mp3");
        EXPECT_THAT(fake->calls, Contains("play(/music/b.mp3)"));
        EXPECT_TRUE(site.TimerEnabled());
        player->PlayStop();
    }
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
    EXPECT_EQ(site.CountEvents(u"FinishedPlaying"), 1);
    fake->results.erase("play");
    player->PlayStart();
    EXPECT_NO_THROW(site.Tick());
    EXPECT_EQ(site.CountEvents(u"FinishedPlaying"), 2);  // the guard was released
}

TEST_F(PlayerTest, OnTheLoopTheTimerFinishesOnceAndKeepsTicking) {
    StartPlaying();
    fake->results["is_finished"] = 1;
    ASSERT_TRUE(loop.RunUntil([&] { return site.CountEvents(u"FinishedPlaying") == 1; }, 30s));
    size_t checks = fake->CallsNamed("is_finished").size();
    ASSERT_TRUE(loop.RunUntil([&] { return fake->CallsNamed("is_finished").size() >= checks + 3; }, 30s));
    EXPECT_EQ(site.CountEvents(u"FinishedPlaying"), 1);
    EXPECT_FALSE(player->IsPlaying());
}

}  // namespace
}  // namespace corvane::player::testing
