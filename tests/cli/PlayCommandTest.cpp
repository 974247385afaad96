// cvmp3 play with its output going to a pipe: the status lines, WAV
// rendering, and what happens to files it cannot play.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "CliRunner.h"
#include "support/Fixtures.h"
#include "support/Paths.h"
#include "support/WavFile.h"

namespace corvane::testing {
namespace {

const char kShort[] = "l3_mpeg1_cbr128_joint_v1.mp3";  // 3 s, tagged
const char kShorter[] = "l3_mpeg1_crc_flags.mp3";      // 2 s, no tag

class PlayCommand : public ::testing::Test {
protected:
    void SetUp() override { folder_ = MakeScratchDir("cvmp3-play"); }
    void TearDown() override {
        if (!HasFailure()) std::filesystem::remove_all(folder_);
    }
    std::string folder_;
};

TEST_F(PlayCommand, APipeGetsPlainStatusLinesUntilTheEnd) {
    RunResult run = RunCli({"play", FixturePath(kShort)});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out.find("Playing 1/1: Fixture-Artist - Fixture-Title  (MPEG 1 Layer 3, 44100 Hz, Joint Stereo, 0:03)\n"), 0u)
        << run.out;
    EXPECT_NE(run.out.find("\n[Playing] "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" / 0:03  track 1/1  VU L "), std::string::npos) << run.out;
    EXPECT_TRUE(run.out.ends_with("Finished.\n")) << run.out;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(run.err, "");
}

// Lists and files play in the order given; the WAV file holds the last track.
TEST_F(PlayCommand, FilesAndListsPlayOneAfterAnotherIntoTheOutput) {
    const std::string list = folder_ + "/two.m3u";
    WriteFileBytes(list, "#EXTM3U\r\n" + FixturePath(kShorter) + "\r\n" + FixturePath(kShort) + "\r\n");
    const std::string wav = folder_ + "/heard.wav";
    RunResult run = RunCli({"play", "--output", wav, "--fast", list, FixturePath(kShort)},
                           {{{"CORVANEMP3_OUTPUT", std::nullopt}}});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const size_t first = run.out.find("Playing 1/3: l3_mpeg1_crc_flags.mp3");
    const size_t second = run.out.find("Playing 2/3: Fixture-Artist - Fixture-Title");
    const size_t third = run.out.find("Playing 3/3: Fixture-Artist - Fixture-Title");
    EXPECT_TRUE(first < second && second < third && third != std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Finished.\n"), std::string::npos);

    WavAudio audio;
    ASSERT_TRUE(ReadWav(wav, audio));
    const AudioFixture &fixture = AudioFixtureNamed(kShort);
    EXPECT_EQ(audio.sampleRate, fixture.sampleRate);
    EXPECT_EQ(audio.channels, 2);
    EXPECT_NEAR(static_cast<double>(audio.Frames()), static_cast<double>(fixture.SourceSamples()), 2.0 * 1152);
    EXPECT_GT(*std::max_element(audio.samples.begin(), audio.samples.end()), 0.1f);  // a tone, not silence
}

TEST_F(PlayCommand, FilesItCannotPlayAreReportedAndSkipped) {
    const std::string badList = folder_ + "/bad.m3u";
    WriteFileBytes(badList, std::string("ID3\0\0\0", 6) + FixturePath(kShort));
    struct Case {
        std::vector<std::string> inputs;
        std::vector<std::string> messages;
        bool plays;
    } cases[] = {
        {{folder_ + "/missing.mp3"}, {"missing.mp3: error 53: Can't find specified file. (File not found)", "nothing to play"}, false},
        {{FixturePath("bad_random.mp3")}, {"bad_random.mp3: error 30075: File is not a recognized audio file format."}, false},
        {{badList}, {"bad.m3u: is not a play list: it holds binary data"}, false},
        {{folder_ + "/none.m3u"}, {"none.m3u: error 53: Can 't Find Specified File. (File Not Found)"}, false},
        {{folder_ + "/missing.mp3", FixturePath(kShorter)}, {"missing.mp3: error 53"}, true},
    };
    for (const auto &c : cases) {
        std::vector<std::string> arguments = {"play", "--output", folder_ + "/out.wav", "--fast"};
        arguments.insert(arguments.end(), c.inputs.begin(), c.inputs.end());
        RunResult run = RunCli(arguments);
        EXPECT_EQ(run.exitStatus, 1) << c.inputs[0];
        for (const auto &message : c.messages) EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_EQ(run.out.find("Finished.") != std::string::npos, c.plays) << run.out;
    }
}

TEST_F(PlayCommand, WithoutAnAudioDeviceItSaysSoAndPlaysToTheNullOutput) {
    std::ifstream cards("/proc/asound/cards");
    const std::string text((std::istreambuf_iterator<char>(cards)), std::istreambuf_iterator<char>());
    if (cards && text.find("no soundcards") == std::string::npos) GTEST_SKIP() << "this machine has a sound card";
    // Looking for a device loads the sound system's plugins, which keep a few
    // allocations after they are unloaded; leak checking is off for this run.
    const char *asan = std::getenv("ASAN_OPTIONS");
    RunResult run = RunCli({"play", FixturePath(kShorter)}, {{{"CORVANEMP3_OUTPUT", std::nullopt},
                                                              {"ASAN_OPTIONS", std::string(asan ? asan : "") + ":detect_leaks=0"}}});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(run.err.starts_with("cvmp3: no audio device found; playing to the null output")) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.out.find("Finished.\n"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace corvane::testing
