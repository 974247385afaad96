// Every trigger of the playback state machine in each of the three states:
// the library calls it makes, the flags after it, the events it raises and
// whether the finish timer runs afterwards.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PlayerTestSupport.h"

namespace corvane::player::testing {
namespace {

using runtime::Text;

enum class State { Stopped, Playing, Paused };
constexpr State S = State::Stopped, P = State::Playing, Z = State::Paused;

using Fake = decoder::RecordingDecoderLibrary;
struct Trigger {
    const char *name;
    void (*run)(Fake &, CVMP3Player &, PlayerTestSite &);
};
using F = Fake &;
using C = CVMP3Player &;
using W = PlayerTestSite &;

const Trigger kPlayStart{"PlayStart", [](F, C p, W) { p.PlayStart(); }},
    kPlayFadeIn{"PlayFadeIn", [](F, C p, W) { double attack = 1.5; p.PlayFadeIn(attack); }},
    kPlayPause{"PlayPause", [](F, C p, W) { p.PlayPause(); }}, kPlayStop{"PlayStop", [](F, C p, W) { p.PlayStop(); }},
    kPlayFadeOut{"PlayFadeOut", [](F, C p, W) { float decay = 5; p.PlayFadeOut(decay); }},
    kSeek{"Seek", [](F, C p, W) { CorvaneMP3Seek from = corMP3SeekFromBeginning; p.SetTrackPosition(from, 50); }},
    kNewFile{"NewFile", [](F, C p, W) { p.SetFilename(u"/music/b.mp3"); }},
    kTickFinished{"TickFinished", [](F fake, C, W site) { fake.results["is_finished"] = 1; site.Tick(); }};
template <int16_t Status>
void PollStatus(F fake, C, W site) {
    fake.status.status = Status;
    site.Repaint();
}
const Trigger kPoll0{"Status0", PollStatus<0>}, kPoll1{"Status1", PollStatus<1>}, kPoll2{"Status2", PollStatus<2>},
    kPoll3{"Status3", PollStatus<3>}, kPoll7{"Status7", PollStatus<7>};

const std::string kInterval = "set_vu_interval(100)", kHandle = "play_mp3(0,handle)", kPlay = "play(/music/a.mp3)",
                  kFadeIn = "fade_in(/music/a.mp3,1.5)", kStop = "stop_playing()", kPause = "pause_playing()",
                  kContinue = "continue_playing()", kFadeOut = "fade_out(5)", kSeekTo50 = "seek_playing(50)",
                  kIsFinished = "is_finished()", kGetStatus = "get_status";
const Text kFinished = u"FinishedPlaying", kVisualization = u"VisualizationUpdate";

struct Row {
    Trigger trigger;
    State before;
    std::vector<std::string> calls;
    State after;
    std::vector<Text> events;
    bool timerOn;
};

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

std::string RowName(const Row &row) {
    const char *const states[] = {"Stopped", "Playing", "Paused"};
    return std::string(row.trigger.name) + "_" + states[static_cast<int>(row.before)];
}

class PlayerStateTableTest : public PlayerTest, public ::testing::WithParamInterface<Row> {};

TEST_P(PlayerStateTableTest, TriggerInState) {
    const Row &row = GetParam();
    SetFile(kSongA);
    if (row.before != S) player->PlayStart();
    if (row.before == Z) player->PlayPause();
    fake->ClearCalls();
    site.events.clear();

    row.trigger.run(*fake, *player, site);

    std::vector<std::string> calls = TransportCalls();
    for (std::string &call : calls)  // get_status has only output arguments
        if (call.rfind(kGetStatus, 0) == 0) call = kGetStatus;
    EXPECT_EQ(calls, row.calls);
    EXPECT_EQ(player->IsPlaying(), row.after != S);
    EXPECT_EQ(player->IsPaused(), row.after == Z);
    EXPECT_EQ(site.events, row.events);
    EXPECT_EQ(site.TimerEnabled(), row.timerOn);
}

INSTANTIATE_TEST_SUITE_P(AllTriggers, PlayerStateTableTest, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row> &info) { return RowName(info.param); });

}  // namespace
}  // namespace corvane::player::testing
