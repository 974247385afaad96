// Playback: every trigger of the state machine in each of the three states,
// then start failures, fade-out times, seeking, FinishedPlaying handlers, the
// analysis interval and the analysis data.
#include <cmath>
#include <limits>

#include "PlayerTestSupport.h"
#include "runtime/AutomationError.h"
#include "runtime/PropertyBag.h"
#include "support/Raises.h"

namespace corvane::player::testing {
namespace {

// The state table: the library calls each trigger makes, the flags after it,
// the events it raises and whether the finish timer runs afterwards.
enum State { S, P, Z };  // stopped, playing, paused

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
using Fake = decoder::RecordingDecoderLibrary;
struct Row {
    const char *trigger;
    void (*run)(Fake &, CVMP3Player &, PlayerTestSite &);
    Outcome from[3];  // stopped, playing, paused
};
#define RUN(body) [](Fake &fake, CVMP3Player &p, PlayerTestSite &site) body
template <int Status>  // a status poll that finds the library in the given status
void Poll(Fake &fake, CVMP3Player &, PlayerTestSite &site) { fake.status.status = Status; site.Repaint(); }

const Row kRows[] = {
    {"PlayStart", RUN({ p.PlayStart(); }), {{{kInterval, kHandle, kPlay}, P, {}, 1},
        {{kStop, kInterval, kHandle, kPlay}, P, {}, 1}, {{kContinue}, P, {}, 1}}},  // a paused track just resumes
    {"PlayFadeIn", RUN({ double attack = 1.5; p.PlayFadeIn(attack); }), {{{kInterval, kHandle, kFadeIn}, P, {}, 1},
        {{kStop, kInterval, kHandle, kFadeIn}, P, {}, 1}, {{kContinue}, P, {}, 1}}},
    {"PlayPause", RUN({ p.PlayPause(); }), {{{}, S, {}, 0}, {{kPause}, Z, {}, 1}, {{}, Z, {}, 1}}},
    {"PlayStop", RUN({ p.PlayStop(); }), {{{}, S, {}, 0}, {{kStop}, S, {}, 0}, {{kStop}, S, {}, 0}}},
    // The end of a fade comes through the status poll.
    {"PlayFadeOut", RUN({ float decay = 5; p.PlayFadeOut(decay); }),
     {{{}, S, {}, 0}, {{kFadeOut}, P, {}, 0}, {{kContinue, kFadeOut}, Z, {}, 0}}},
    {"Seek", RUN({ CorvaneMP3Seek from = corMP3SeekFromBeginning; p.SetTrackPosition(from, 50); }),
     {{{}, S, {}, 0}, {{kSeekTo50}, P, {}, 1}, {{kSeekTo50}, Z, {}, 1}}},  // a seek while paused stays paused
    {"NewFile", RUN({ p.SetFilename(u"/music/b.mp3"); }), {{{}, S, {}, 0}, {{kStop}, S, {}, 0}, {{kStop}, S, {}, 0}}},
    // After a finish the timer keeps running.
    {"TickFinished", RUN({ fake.results["is_finished"] = 1; site.Tick(); }),
     {{{kIsFinished}, S, {}, 0}, {{kIsFinished}, S, {kFinished}, 1}, {{kIsFinished}, S, {kFinished}, 1}}},
    {"Ended", Poll<0>, {{{kGetStatus}, S, {kFinished}, 1}, {{kGetStatus}, S, {kFinished}, 1},
                        {{kGetStatus}, S, {kFinished}, 1}}},
    {"Playing", Poll<1>, {{{kGetStatus}, P, {kVisualization}, 0}, {{kGetStatus}, P, {kVisualization}, 1},
                          {{kGetStatus}, P, {kVisualization}, 1}}},
    {"Paused", Poll<2>, {{{kGetStatus}, Z, {}, 0}, {{kGetStatus}, Z, {}, 1}, {{kGetStatus}, Z, {}, 1}}},
    {"Stopped", Poll<3>, {{{kGetStatus}, S, {}, 0}, {{kGetStatus}, S, {}, 1}, {{kGetStatus}, S, {}, 1}}},
    {"UnknownStatus", Poll<7>, {{{kGetStatus}, S, {}, 0}, {{kGetStatus}, P, {}, 1}, {{kGetStatus}, Z, {}, 1}}},
};
#undef RUN

TEST_F(PlayerTest, EveryTriggerInEveryState) {
    for (const Row &row : kRows) {
        for (State before : {S, P, Z}) {
            SCOPED_TRACE(std::string(row.trigger) + " from state " + "SPZ"[before]);
            player.reset();  // a fresh player: the old one lets go of the timer and window first
            player = std::make_unique<CVMP3Player>(site, fake);
            SetFile(kSongA);
            if (before != S) player->PlayStart();
            if (before == Z) player->PlayPause();
            fake->ClearCalls();
            site.events.clear();
            row.run(*fake, *player, site);
            const Outcome &want = row.from[before];
            auto got = std::tuple(TransportCalls(), player->IsPlaying(), player->IsPaused(), site.events);
            EXPECT_EQ(std::tuple_cat(got, std::tuple(site.timerEnabled)),
                      std::tuple(want.calls, want.after != S, want.after == Z, want.events, want.timerOn));
        }
    }
}

TEST_F(PlayerTest, AFailedStartRaisesTheLibraryNumberAndLeavesThePlayerStopped) {
    for (bool fade : {false, true}) {
        StartPlaying();  // a start while playing stops first
        fake->results[fade ? "fade_in" : "play"] = 30101;
        double attack = 3;
        auto error = corvane::testing::ErrorOf([&] { fade ? player->PlayFadeIn(attack) : player->PlayStart(); });
        EXPECT_EQ(std::pair(error.Number(), error.Source()), std::pair(30101, Text(u"CVMP3Player")));
        EXPECT_FALSE(player->IsPlaying() || player->IsPaused() || site.timerEnabled) << fade;
        fake->results.clear();
    }
}

TEST_F(PlayerTest, FadeOutTimeIsCutToTwentyAndWrittenBack) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (auto [playing, given, writtenBack, call] :
         {std::tuple{true, 25.f, 20.f, "fade_out(20)"}, std::tuple{true, 20.f, 20.f, "fade_out(20)"},
          std::tuple{true, 0.5f, 0.5f, "fade_out(0.5)"}, std::tuple{true, 0.f, 0.f, ""},
          std::tuple{true, -3.f, -3.f, ""}, std::tuple{true, nan, nan, ""}, std::tuple{false, 25.f, 20.f, ""}}) {
        StartPlaying();
        if (!playing) player->PlayStop();
        fake->ClearCalls();
        float decay = given;
        player->PlayFadeOut(decay);
        EXPECT_TRUE(decay == writtenBack || (std::isnan(decay) && std::isnan(given))) << given;
        EXPECT_EQ(TransportCalls(), *call ? std::vector<std::string>{call} : std::vector<std::string>{}) << given;
    }
}

// The fake's track is 200 seconds long and the last poll put the player at
// 30. A position reads from the beginning or the end; from anywhere else, 0.
TEST_F(PlayerTest, SeekTargetsAreWorkedOutFromTheOriginAndClampedToTheTrack) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (auto [origin, value, target] : {std::tuple{2, -10.0, "190"}, std::tuple{0, 500.0, "200"},
                                         std::tuple{0, -3.0, "0"}, std::tuple{0, 42.5, "42.5"},
                                         std::tuple{1, 15.0, "45"}, std::tuple{1, -100.0, "0"},
                                         std::tuple{2, 5.0, "200"}, std::tuple{7, 50.0, "0"},
                                         std::tuple{-1, 50.0, "0"}, std::tuple{0, nan, "0"}}) {
        StartPlaying();
        fake->status.position = 30;
        fake->status.status = CORVANE_STATUS_PLAYING;
        site.Repaint();
        fake->ClearCalls();
        CorvaneMP3Seek from = static_cast<CorvaneMP3Seek>(origin), origins[4];
        player->SetTrackPosition(from, value);
        EXPECT_THAT(fake->calls, ElementsAre(std::string("seek_playing(") + target + ")")) << origin << " " << value;
        for (int i = 0; i < 4; ++i) origins[i] = static_cast<CorvaneMP3Seek>(i);  // beginning, current, end, other
        const double at = std::stod(target);
        EXPECT_EQ(std::tuple(player->TrackPosition(origins[0]), player->TrackPosition(origins[1]),
                             player->TrackPosition(origins[2]), player->TrackPosition(origins[3])),
                  std::tuple(at, 0.0, 200 - at, 0.0)) << origin << " " << value;
    }
}

// A handler that plays again and pumps messages gets no nested tick, and its
// failure stays with it: the next tick runs as usual.
TEST_F(PlayerTest, AFinishedPlayingHandlerNeitherReentersNorBreaksTheTick) {
    StartPlaying();
    fake->results["is_finished"] = 1;
    int nestedChecks = -1;
    site.Connect([&](int32_t, const Text &) {
        if (nestedChecks >= 0) return;
        size_t before = fake->CallsNamed("is_finished").size();
        player->PlayStart();
        site.Tick();
        nestedChecks = static_cast<int>(fake->CallsNamed("is_finished").size() - before);
        throw runtime::AutomationError(5, u"handler failed");
    });
    EXPECT_NO_THROW(site.Tick());
    EXPECT_EQ(std::pair(nestedChecks, player->IsPlaying()), std::pair(0, true));
    site.Tick();
    EXPECT_THAT(site.events, ElementsAre(u"FinishedPlaying", u"FinishedPlaying"));
}

TEST_F(PlayerTest, ChangeIntervalIsClampedWrittenBackAndSentAtOnce) {
    for (auto [given, stored] : {std::pair<int16_t, int16_t>{5, 10}, {1000, 250}, {10, 10}, {250, 250}, {-32768, 10}}) {
        fake->ClearCalls();
        site.changedProperties.clear();
        int16_t value = given;
        player->SetChangeInterval(value);
        EXPECT_EQ(std::pair(value, player->ChangeInterval()), std::pair(stored, stored)) << given;
        EXPECT_THAT(fake->calls, ElementsAre("set_vu_interval(" + std::to_string(stored) + ")"));
        EXPECT_THAT(site.changedProperties, ElementsAre(u"ChangeInterval"));
    }
}

// Zero before the first poll; afterwards the last delivered data, also after
// a stop. An index outside an array gives 0; the channel is pulled into 0..2,
// or 0 on a one-channel device, and written back.
TEST_F(PlayerTest, AnalysisDataIsReadByChannelAndIndexFromTheLastPoll) {
    CorvaneMP3Channels right = corMP3RightChannel;
    int16_t index = 200;
    EXPECT_EQ(std::tuple(player->VUMeter(right), player->GfxWaveFormSample(right, index),
                         player->SpectrumAnalysis(right, index)), std::tuple(0, 0, 0.0f));
    StartPlaying();
    // No value is 0, so a read past an array shows: VU n is 11 * (n + 1),
    // wave (n, k) 1000 * n + k + 1 and spectrum (n, k) n + 1 + k / 1000.
    for (size_t n = 0; n < 3; ++n) {
        fake->status.vu[n] = static_cast<int16_t>(11 * (n + 1));
        for (size_t k = 0; k < 256; ++k) fake->status.wave[n + 3 * k] = static_cast<int16_t>(1000 * n + k + 1);
        for (size_t k = 0; k < 128; ++k) fake->status.spectrum[n + 3 * k] = static_cast<float>(n + 1) + k / 1000.0f;
    }
    fake->status.status = CORVANE_STATUS_PLAYING;
    site.Repaint();
    player->PlayStop();
    EXPECT_EQ(player->WaveFormData()[2 + 3 * 200], 2201);
    for (auto [at, wave, spectrum] : {std::tuple{0, 2001, 3.0f}, std::tuple{127, 2128, 3.127f},
                                      std::tuple{128, 2129, 0.f}, std::tuple{255, 2256, 0.f},
                                      std::tuple{256, 0, 0.f}, std::tuple{-1, 0, 0.f}}) {
        index = static_cast<int16_t>(at);
        EXPECT_EQ(player->GfxWaveFormSample(right, index), wave) << at;
        EXPECT_FLOAT_EQ(player->SpectrumAnalysis(right, index), spectrum) << at;
    }
    for (auto [channelCount, given, used] : {std::tuple{2, -5, 0}, std::tuple{2, 7, 2}, std::tuple{2, 0, 0},
                                             std::tuple{2, 1, 1}, std::tuple{2, 2, 2}, std::tuple{1, 2, 0},
                                             std::tuple{0, 2, 0}, std::tuple{3, 9, 2}}) {
        runtime::MemoryPropertyBag bag;
        bag.WriteProperty(u"Channels", int16_t(channelCount), int16_t{2});
        player->ReadProperties(bag);
        index = 7;
        CorvaneMP3Channels vu = static_cast<CorvaneMP3Channels>(given), wave = vu, spectrum = vu;
        EXPECT_EQ(std::tuple(player->VUMeter(vu), player->GfxWaveFormSample(wave, index),
                             player->SpectrumAnalysis(spectrum, index)),
                  std::tuple(11 * (used + 1), 1000 * used + 8, static_cast<float>(used + 1) + 0.007f))
            << channelCount << "/" << given;
        EXPECT_EQ(std::tuple(vu, wave, spectrum), std::tuple(used, used, used)) << channelCount << "/" << given;
    }
}

}  // namespace
}  // namespace corvane::player::testing
