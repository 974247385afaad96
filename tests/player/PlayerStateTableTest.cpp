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

struct Outcome {
    std::vector<std::string> calls;
    State after;
    std::vector<Text> events;
    bool timerOn;
};
struct Row {
    Trigger trigger;
    Outcome from[3];  // stopped, playing, paused
};

const Row kRows[] = {
    {PlayStart, {{{kInterval, kHandle, kPlay}, P, {}, 1}, {{kStop, kInterval, kHandle, kPlay}, P, {}, 1},
                 {{kContinue}, P, {}, 1}}},  // a paused track resumes without a new start
    {PlayFadeIn, {{{kInterval, kHandle, kFadeIn}, P, {}, 1}, {{kStop, kInterval, kHandle, kFadeIn}, P, {}, 1},
                  {{kContinue}, P, {}, 1}}},
    {PlayPause, {{{}, S, {}, 0}, {{kPause}, Z, {}, 1}, {{}, Z, {}, 1}}},
    {PlayStop, {{{}, S, {}, 0}, {{kStop}, S, {}, 0}, {{kStop}, S, {}, 0}}},
    // The end of a fade comes through the status poll.
    {PlayFadeOut, {{{}, S, {}, 0}, {{kFadeOut}, P, {}, 0}, {{kContinue, kFadeOut}, Z, {}, 0}}},
    {Seek, {{{}, S, {}, 0}, {{kSeekTo50}, P, {}, 1}, {{kSeekTo50}, Z, {}, 1}}},  // a seek while paused stays paused
    {NewFile, {{{}, S, {}, 0}, {{kStop}, S, {}, 0}, {{kStop}, S, {}, 0}}},
    // After a finish the timer keeps running.
    {TickFinished, {{{kIsFinished}, S, {}, 0}, {{kIsFinished}, S, {kFinished}, 1}, {{kIsFinished}, S, {kFinished}, 1}}},
    {Ended, {{{kGetStatus}, S, {kFinished}, 1}, {{kGetStatus}, S, {kFinished}, 1}, {{kGetStatus}, S, {kFinished}, 1}}},
    {Playing, {{{kGetStatus}, P, {kVisualization}, 0}, {{kGetStatus}, P, {kVisualization}, 1},
               {{kGetStatus}, P, {kVisualization}, 1}}},
    {Paused, {{{kGetStatus}, Z, {}, 0}, {{kGetStatus}, Z, {}, 1}, {{kGetStatus}, Z, {}, 1}}},
    {Stopped, {{{kGetStatus}, S, {}, 0}, {{kGetStatus}, S, {}, 1}, {{kGetStatus}, S, {}, 1}}},
    {UnknownStatus, {{{kGetStatus}, S, {}, 0}, {{kGetStatus}, P, {}, 1}, {{kGetStatus}, Z, {}, 1}}},
};

class PlayerStateTableTest : public PlayerTest, public ::testing::WithParamInterface<Row> {};

TEST_P(PlayerStateTableTest, TriggerInEachState) {
    for (State before : {S, P, Z}) {
        SCOPED_TRACE(before == S ? "from stopped" : before == P ? "from playing" : "from paused");
        player.reset();  // a fresh player: the old one lets go of the timer and window first
        player = std::make_unique<CVMP3Player>(site, fake);
        SetFile(kSongA);
        if (before != S) player->PlayStart();
        if (before == Z) player->PlayPause();
        fake->ClearCalls();
        site.events.clear();

        GetParam().trigger.run(*fake, *player, site);

        const Outcome &expected = GetParam().from[before];
        EXPECT_EQ(TransportCalls(), expected.calls);
        EXPECT_EQ(player->IsPlaying(), expected.after != S);
        EXPECT_EQ(player->IsPaused(), expected.after == Z);
        EXPECT_EQ(site.events, expected.events);
        EXPECT_EQ(site.timerEnabled, expected.timerOn);
    }
}

INSTANTIATE_TEST_SUITE_P(AllTriggers, PlayerStateTableTest, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row> &info) { return info.param.trigger.name; });

}  // namespace
}  // namespace corvane::player::testing
