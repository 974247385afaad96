// The player on the real decoder library, writing what would be heard to a
// WAV file: as fast as the machine goes where only the outcome matters, and
// at the pace of a real device where the analysis events are observed (a
// fast output can reach the end before the loop polls even once). Waits are
// for conditions, with generous timeouts; nothing here measures time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "PlayerTestSupport.h"
#include "support/Fixtures.h"
#include "support/Paths.h"
#include "support/WavFile.h"
#include "decoder/DynamicDecoderLibrary.h"
#include "runtime/Text.h"

namespace corvane::player {
namespace {

using namespace std::chrono_literals;
using runtime::Text;

constexpr auto kPatience = 30s;

// Seconds of audio in a WAV file written by the engine; -1 when unreadable.
double WavSeconds(const std::string &path) {
    corvane::testing::WavAudio audio;
    if (!corvane::testing::ReadWav(path, audio) || audio.sampleRate <= 0) return -1;
    return static_cast<double>(audio.Frames()) / audio.sampleRate;
}

// Loaded once and kept for the whole run: an engine unloaded after each test
// takes its long-lived allocations' roots with it, and the leak checker would
// then report them.
decoder::DecoderLibraryRef SharedEngine() {
    static auto *engine =
        new decoder::DecoderLibraryRef(std::make_shared<decoder::DynamicDecoderLibrary>(corvane::testing::EnginePath()));
    return *engine;
}

class PlayerEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        scratch = corvane::testing::MakeScratchDir("player-engine");
        wavPath = scratch + "/out.wav";
        UseOutput("wav-fast:");
        library = SharedEngine();
        player = std::make_unique<CVMP3Player>(site, library);
        site.Connect([this](int32_t, const Text &name) {
            if (name == kVisualizationUpdateName) OnVisualization();
        });
    }
    void TearDown() override {
        player.reset();
        if (!HasFailure()) std::filesystem::remove_all(scratch);
    }

    // The engine reads the output at each start.
    void UseOutput(const std::string &kind) { ::setenv("CORVANEMP3_OUTPUT", (kind + wavPath).c_str(), 1); }

    void OnVisualization() {
        CorvaneMP3Seek beginning = corMP3SeekFromBeginning;
        positions.push_back(player->TrackPosition(beginning));
        CorvaneMP3Channels all = corMP3AllChannels;
        loudestVu = std::max<int>(loudestVu, player->VUMeter(all));
    }

    void Open(const std::string &fixture) {
        player->SetFilename(runtime::FromUtf8(corvane::testing::FixturePath(fixture)));
        ASSERT_FALSE(player->Filename().empty()) << fixture << " was rejected";
    }

    int Finished() const { return site.CountEvents(kFinishedPlayingName); }
    int Updates() const { return site.CountEvents(kVisualizationUpdateName); }

    bool WaitFor(const std::function<bool()> &condition) { return loop.RunUntil(condition, kPatience); }
    // Lets whatever the library still has to say arrive (a second end of the
    // track would show up here).
    void Settle() {
        for (int i = 0; i < 20; ++i) loop.RunUntil([] { return false; }, 10ms);
    }

    runtime::MessageLoop loop;
    testing::PlayerTestSite site{loop};
    std::string scratch, wavPath;
    decoder::DecoderLibraryRef library;
    std::unique_ptr<CVMP3Player> player;
    std::vector<double> positions;
    int loudestVu = 0;
};

TEST_F(PlayerEngineTest, PlaysAFixtureToItsEndWithAnalysisAndOneFinish) {
    const corvane::testing::AudioFixture &fixture = corvane::testing::AudioFixtureNamed("l3_mpeg2_cbr64_joint_v1.mp3");
    UseOutput("wav:");
    Open(fixture.name);
    EXPECT_EQ(player->TrackLength(), static_cast<int16_t>(fixture.sourceSeconds));
    EXPECT_EQ(player->ChannelMode(), runtime::FromUtf8(fixture.channelMode));
    EXPECT_EQ(player->SampleRate(), fixture.sampleRate);
    EXPECT_EQ(player->ID3Title(), runtime::FromUtf8(fixture.tag.title));

    player->PlayStart();
    ASSERT_TRUE(player->IsPlaying());
    ASSERT_TRUE(WaitFor([&] { return Finished() == 1; }));
    Settle();

    EXPECT_EQ(Finished(), 1);
    EXPECT_FALSE(player->IsPlaying());
    EXPECT_GT(Updates(), 0);
    EXPECT_GT(loudestVu, 0);  // a tone was heard
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_NEAR(WavSeconds(wavPath), fixture.sourceSeconds, 0.1);
}

TEST_F(PlayerEngineTest, PauseSeekAndResumeGoOnFromTheNewPosition) {
    UseOutput("wav:");
    Open("demo.mp3");
    const double length = player->TrackLength();
    player->PlayStart();
    player->PlayPause();
    ASSERT_TRUE(player->IsPaused());

    CorvaneMP3Seek beginning = corMP3SeekFromBeginning;
    player->SetTrackPosition(beginning, length - 1.5);
    EXPECT_DOUBLE_EQ(player->TrackPosition(beginning), length - 1.5);
    EXPECT_TRUE(player->IsPaused());  // a seek while paused stays paused

    // While paused, the polls report the paused state and nothing is heard.
    Settle();
    EXPECT_TRUE(player->IsPaused());
    EXPECT_EQ(Finished(), 0);
    positions.clear();

    player->PlayStart();
    EXPECT_FALSE(player->IsPaused());
    ASSERT_TRUE(WaitFor([&] { return Finished() == 1; }));
    Settle();

    EXPECT_EQ(Finished(), 1);
    ASSERT_FALSE(positions.empty());
    EXPECT_GE(positions.front(), length - 1.5 - 0.01);
    // At most a little from before the pause, then the last second and a half.
    double heard = WavSeconds(wavPath);
    EXPECT_GT(heard, 1.4);
    EXPECT_LT(heard, 2.5);
}

TEST_F(PlayerEngineTest, AFinishedPlayingHandlerPlaysThreeFilesInARow) {
    const std::vector<std::string> tracks = {"l3_mpeg1_crc_flags.mp3", "l2_mpeg1_192_stereo_v1.mp3",
                                             "l1_mpeg1_384_stereo.mp3"};
    std::vector<Text> started;
    size_t next = 1;
    site.Connect([&](int32_t, const Text &name) {
        if (name != kFinishedPlayingName || next >= tracks.size()) return;
        EXPECT_FALSE(player->IsPlaying());
        Open(tracks[next++]);
        started.push_back(player->Filename());
        player->PlayStart();
    });
    Open(tracks[0]);
    started.push_back(player->Filename());
    player->PlayStart();

    ASSERT_TRUE(WaitFor([&] { return Finished() == 3; }));
    Settle();
    EXPECT_EQ(Finished(), 3);
    ASSERT_EQ(started.size(), 3u);
    for (size_t i = 0; i < tracks.size(); ++i)
        EXPECT_EQ(started[i], runtime::FromUtf8(corvane::testing::FixturePath(tracks[i])));
    EXPECT_FALSE(player->IsPlaying());
    // Each start writes the output afresh: the file holds the last track.
    EXPECT_NEAR(WavSeconds(wavPath), player->TrackLength(), 1.0);
}

}  // namespace
}  // namespace corvane::player
