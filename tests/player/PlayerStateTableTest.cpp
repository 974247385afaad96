// Every trigger of the playback state machine in each of the three states:
// the library calls it makes, the flags after it, the events it raises and
// whether the finish timer runs afterwards.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "PlayerTestSupport.h"

namespace corvane::player::testing {
namespace {

using runtime::Text;

enum class State { Stopped, Playing, Paused };

const char *StateName(State state) {
    switch (state) {
    case State::Stopped: return "Stopped";
    case State::Playing: return "Playing";
    default: return "Paused";
    }
}

struct Trigger {
    const char *name;
    std::function<void(PlayerTest &, decoder::RecordingDecoderLibrary &, CVMP3Player &)> run;
};

struct Row {
    Trigger trigger;
    State before;
    std::vector<std::string> calls;
    State after;
    std::vector<Text> events;
    bool timerOn;
};

const Trigger kPlayStart{"PlayStart", [](auto &, auto &, CVMP3Player &p) { p.PlayStart(); }};
const Trigger kPlayFadeIn{"PlayFadeIn", [](auto &, auto &, CVMP3Player &p) {
                              double attack = 1.5;
                              p.PlayFadeIn(attack);
                          }};
const Trigger kPlayPause{"PlayPause", [](auto &, auto &, CVMP3Player &p) { p.PlayPause(); }};
const Trigger kPlayStop{"PlayStop", [](auto &, auto &, CVMP3Player &p) { p.PlayStop(); }};
const Trigger kPlayFadeOut{"PlayFadeOut", [](auto &, auto &, CVMP3Player &p) {
                               float decay = 5;
                               p.PlayFadeOut(decay);
                           }};
const Trigger kSeek{"Seek", [](auto &, auto &, CVMP3Player &p) {
                        CorvaneMP3Seek from = corMP3SeekFromBeginning;
                        p.SetTrackPosition(from, 50);
                    }};
const Trigger kNewFile{"NewFile", [](auto &, auto &, CVMP3Player &p) { p.SetFilename(u"/music/b.mp3"); }};
const Trigger kTickFinished{"TickFinished", [](PlayerTest &, decoder::RecordingDecoderLibrary &fake, auto &) {
                                fake.results["is_finished"] = 1;
                            }};
Trigger PollTrigger(const char *name, int16_t status) {
    return {name, [status](PlayerTest &, decoder::RecordingDecoderLibrary &fake, auto &) {
                fake.status.status = status;
            }};
}
const Trigger kPoll0 = PollTrigger("Status0", 0);
const Trigger kPoll1 = PollTrigger("Status1", 1);
const Trigger kPoll2 = PollTrigger("Status2", 2);
const Trigger kPoll3 = PollTrigger("Status3", 3);
const Trigger kPoll7 = PollTrigger("Status7", 7);

const std::string kInterval = "set_vu_interval(100)";
const std::string kHandle = "play_mp3(0,handle)";
const std::string kPlay = "play(/music/a.mp3)";
const std::string kFadeIn = "fade_in(/music/a.mp3,1.5)";
const std::string kStop = "stop_playing()";
const std::string kPause = "pause_playing()";
const std::string kContinue = "continue_playing()";
const std::string kFadeOut = "fade_out(5)";
const std::string kSeekTo50 = "seek_playing(50)";
const std::string kIsFinished = "is_finished()";
const std::string kGetStatus = "get_status";
const Text kFinished = u"FinishedPlaying";
const Text kVisualization = u"VisualizationUpdate";

constexpr State S = State::Stopped, P = State::Playing, Z = State::Paused;

const std::vector<Row> kRows = {
    {kPlayStart, S, {kInterval, kHandle, kPlay}, P, {}, true},
    {kPlayStart, P, {kStop, kInterval, kHandle, kPlay}, P, {}, true},
    {kPlayStart, Z, {kContinue}, P, {}, true},
    {kPlayFadeIn, S, {kInterval, kHandle, kFadeIn}, P, {}, true},
    {kPlayFadeIn, P, {kStop, kInterval, kHandle, kFadeIn}, P, {}, true},
    {kPlayFadeIn, Z, {kContinue}, P, {}, true},
    {kPlayPause, S, {}, S, {}, false},
    {kPlayPause, P, {kPause}, Z, {}, true},
    {kPlayPause, Z, {}, Z, {}, true},
    {kPlayStop, S, {}, S, {}, false},
    {kPlayStop, P, {kStop}, S, {}, false},
    {kPlayStop, Z, {kStop}, S, {}, false},
    {kPlayFadeOut, S, {}, S, {}, false},
    {kPlayFadeOut, P, {kFadeOut}, P, {}, false},
    {kPlayFadeOut, Z, {kContinue, kFadeOut}, Z, {}, false},
    {kSeek, S, {}, S, {}, false},
    {kSeek, P, {kSeekTo50}, P, {}, true},
    {kSeek, Z, {kSeekTo50}, Z, {}, true},
    {kNewFile, S, {}, S, {}, false},
    {kNewFile, P, {kStop}, S, {}, false},
    {kNewFile, Z, {kStop}, S, {}, false},
    // A finish tick after a finish keeps the timer running.
    {kTickFinished, S, {kIsFinished}, S, {}, false},
    {kTickFinished, P, {kIsFinished}, S, {kFinished}, true},
    {kTickFinished, Z, {kIsFinished}, S, {kFinished}, true},
    {kPoll0, S, {kGetStatus}, S, {kFinished}, true},
    {kPoll0, P, {kGetStatus}, S, {kFinished}, true},
    {kPoll0, Z, {kGetStatus}, S, {kFinished}, true},
    {kPoll1, S, {kGetStatus}, P, {kVisualization}, false},
    {kPoll1, P, {kGetStatus}, P, {kVisualization}, true},
    {kPoll1, Z, {kGetStatus}, P, {kVisualization}, true},
    {kPoll2, S, {kGetStatus}, Z, {}, false},
    {kPoll2, P, {kGetStatus}, Z, {}, true},
    {kPoll2, Z, {kGetStatus}, Z, {}, true},
    {kPoll3, S, {kGetStatus}, S, {}, false},
    {kPoll3, P, {kGetStatus}, S, {}, true},
    {kPoll3, Z, {kGetStatus}, S, {}, true},
    {kPoll7, S, {kGetStatus}, S, {}, false},
    {kPoll7, P, {kGetStatus}, P, {}, true},
    {kPoll7, Z, {kGetStatus}, Z, {}, true},
};

class PlayerStateTableTest : public PlayerTest, public ::testing::WithParamInterface<Row> {
protected:
    void Enter(State state) {
        SetFile(kSongA);
        if (state != State::Stopped) player->PlayStart();
        if (state == State::Paused) player->PlayPause();
        ASSERT_EQ(player->IsPlaying(), state != State::Stopped);
        ASSERT_EQ(player->IsPaused(), state == State::Paused);
        fake->ClearCalls();
        site.events.clear();
    }

    // get_status has only output arguments; its record is compared by name.
    std::vector<std::string> CallNames() const {
        std::vector<std::string> names = TransportCalls();
        for (std::string &call : names)
            if (call.rfind(kGetStatus, 0) == 0) call = kGetStatus;
        return names;
    }
};

TEST_P(PlayerStateTableTest, TriggerInState) {
    const Row &row = GetParam();
    Enter(row.before);
    row.trigger.run(*this, *fake, *player);
    const std::string name = row.trigger.name;
    if (name == "TickFinished")
        site.Tick();
    else if (name.rfind("Status", 0) == 0)
        site.Repaint();

    EXPECT_EQ(CallNames(), row.calls);
    EXPECT_EQ(player->IsPlaying(), row.after != State::Stopped);
    EXPECT_EQ(player->IsPaused(), row.after == State::Paused);
    EXPECT_EQ(site.events, row.events);
    EXPECT_EQ(site.TimerEnabled(), row.timerOn);
}

INSTANTIATE_TEST_SUITE_P(AllTriggers, PlayerStateTableTest, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row> &info) {
                             return std::string(info.param.trigger.name) + "_" + StateName(info.param.before);
                         });

// Without a file the start commands do nothing in any state (a player reaches
// Playing and Paused without a file only through the status poll).
TEST_F(PlayerTest, StartCommandsWithoutAFileDoNothingInAnyState) {
    for (int16_t status : {int16_t{3}, int16_t{1}, int16_t{2}}) {
        Poll(status);
        bool playing = player->IsPlaying(), paused = player->IsPaused();
        fake->ClearCalls();
        player->PlayStart();
        double attack = 2;
        player->PlayFadeIn(attack);
        EXPECT_THAT(fake->calls, ::testing::IsEmpty()) << "after status " << status;
        EXPECT_EQ(player->IsPlaying(), playing);
        EXPECT_EQ(player->IsPaused(), paused);
    }
}

}  // namespace
}  // namespace corvane::player::testing
