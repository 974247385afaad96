// Every trigger of the playback state machine in each of the three states:
// the library calls it makes, the flags after it, the events it raises and
// whether the finish timer runs afterwards.
#include "PlayerTestSupport.h"

namespace corvane::player::testing {
namespace {

enum State { S, P, Z };  // stopped, playing, paused

struct Trigger {
    const char *name;
    void (*run)(decoder::RecordingDecoderLibrary &, CVMP3Player &, PlayerTestSite &);
};
#define TRIGGER(name, body) \
    const Trigger name{#name, [](decoder::RecordingDecoderLibrary &fake, CVMP3Player &p, PlayerTestSite &site) body}
TRIGGER(PlayStart, { p.PlayStart(); });
TRIGGER(PlayFadeIn, { double attack = 1.5; p.PlayFadeIn(attack); });
TRIGGER(PlayPause, { p.PlayPause(); });
TRIGGER(PlayStop, { p.PlayStop(); });
TRIGGER(PlayFadeOut, { float decay = 5; p.PlayFadeOut(decay); });
TRIGGER(Seek, { CorvaneMP3Seek from = corMP3SeekFromBeginning; p.SetTrackPosition(from, 50); });
TRIGGER(NewFile, { p.SetFilename(u"/music/b.mp3"); });
TRIGGER(TickFinished, { fake.results["is_finished"] = 1; site.Tick(); });
TRIGGER(Ended, { fake.status.status = 0; site.Repaint(); });
TRIGGER(Playing, { fake.status.status = 1; site.Repaint(); });
TRIGGER(Paused, { fake.status.status = 2; site.Repaint(); });
TRIGGER(Stopped, { fake.status.status = 3; site.Repaint(); });
TRIGGER(UnknownStatus, { fake.status.status = 7; site.Repaint(); });
#undef TRIGGER

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

const Row kRows[] = {
    {PlayStart, S, {kInterval, kHandle, kPlay}, P, {}, true},
    {PlayStart, P, {kStop, kInterval, kHandle, kPlay}, P, {}, true},
    {PlayStart, Z, {kContinue}, P, {}, true},  // resumes, without a new start
    {PlayFadeIn, S, {kInterval, kHandle, kFadeIn}, P, {}, true},
    {PlayFadeIn, P, {kStop, kInterval, kHandle, kFadeIn}, P, {}, true},
    {PlayFadeIn, Z, {kContinue}, P, {}, true},
    {PlayPause, S, {}, S, {}, false},
    {PlayPause, P, {kPause}, Z, {}, true},
    {PlayPause, Z, {}, Z, {}, true},
    {PlayStop, S, {}, S, {}, false},
    {PlayStop, P, {kStop}, S, {}, false},
    {PlayStop, Z, {kStop}, S, {}, false},
    {PlayFadeOut, S, {}, S, {}, false},
    {PlayFadeOut, P, {kFadeOut}, P, {}, false},  // the end of the fade comes through the poll
    {PlayFadeOut, Z, {kContinue, kFadeOut}, Z, {}, false},
    {Seek, S, {}, S, {}, false},
    {Seek, P, {kSeekTo50}, P, {}, true},
    {Seek, Z, {kSeekTo50}, Z, {}, true},  // a seek while paused stays paused
    {NewFile, S, {}, S, {}, false},
    {NewFile, P, {kStop}, S, {}, false},
    {NewFile, Z, {kStop}, S, {}, false},
    {TickFinished, S, {kIsFinished}, S, {}, false},
    {TickFinished, P, {kIsFinished}, S, {kFinished}, true},  // the timer keeps running
    {TickFinished, Z, {kIsFinished}, S, {kFinished}, true},
    {Ended, S, {kGetStatus}, S, {kFinished}, true},
    {Ended, P, {kGetStatus}, S, {kFinished}, true},
    {Ended, Z, {kGetStatus}, S, {kFinished}, true},
    {Playing, S, {kGetStatus}, P, {kVisualization}, false},
    {Playing, P, {kGetStatus}, P, {kVisualization}, true},
    {Playing, Z, {kGetStatus}, P, {kVisualization}, true},
    {Paused, S, {kGetStatus}, Z, {}, false},
    {Paused, P, {kGetStatus}, Z, {}, true},
    {Paused, Z, {kGetStatus}, Z, {}, true},
    {Stopped, S, {kGetStatus}, S, {}, false},
    {Stopped, P, {kGetStatus}, S, {}, true},
    {Stopped, Z, {kGetStatus}, S, {}, true},
    {UnknownStatus, S, {kGetStatus}, S, {}, false},
    {UnknownStatus, P, {kGetStatus}, P, {}, true},
    {UnknownStatus, Z, {kGetStatus}, Z, {}, true},
};

class PlayerStateTableTest : public PlayerTest, public ::testing::WithParamInterface<Row> {};

TEST_P(PlayerStateTableTest, TriggerInState) {
    const Row &row = GetParam();
    SetFile(kSongA);
    if (row.before != S) player->PlayStart();
    if (row.before == Z) player->PlayPause();
    fake->ClearCalls();
    site.events.clear();

    row.trigger.run(*fake, *player, site);

    EXPECT_EQ(TransportCalls(), row.calls);
    EXPECT_EQ(player->IsPlaying(), row.after != S);
    EXPECT_EQ(player->IsPaused(), row.after == Z);
    EXPECT_EQ(site.events, row.events);
    EXPECT_EQ(site.timerEnabled, row.timerOn);
}

INSTANTIATE_TEST_SUITE_P(AllTriggers, PlayerStateTableTest, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row> &info) {
                             return std::string(info.param.trigger.name) + "_" + "SPZ"[info.param.before];
                         });

}  // namespace
}  // namespace corvane::player::testing
