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

size_t CountLinesStartingWith(const std::string &text, const std::string &start) {
    size_t count = 0;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (text.compare(at, start.size(), start) == 0) ++count;
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return count;
}

TEST_F(PlayCommand, APipeGetsPlainStatusLinesUntilTheEnd) {
    RunResult run = RunCli({"play", FixturePath(kShort)});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.out.find("Playing 1/1: Fixture-Artist - Fixture-Title  (MPEG 1 Layer 3, 44100 Hz, Joint Stereo, 0:03)\n"),
              std::string::npos)
        << run.out;
    EXPECT_GE(CountLinesStartingWith(run.out, "[Playing] "), 1u) << run.out;
    EXPECT_NE(run.out.find(" / 0:03  track 1/1  VU L "), std::string::npos) << run.out;
    EXPECT_TRUE(run.out.size() >= 10 && run.out.compare(run.out.size() - 10, 10, "Finished.\n") == 0) << run.out;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(run.err, "");
}

TEST_F(PlayCommand, OutputRendersWhatWouldBeHeardToAWavFile) {
    std::string wav = folder_ + "/heard.wav";
    RunResult run = RunCli({"play", "--output", wav, "--fast", FixturePath(kShort)}, {{{"CORVANEMP3_OUTPUT", std::nullopt}}});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    WavAudio audio;
    ASSERT_TRUE(ReadWav(wav, audio));
    const AudioFixture &fixture = AudioFixtureNamed(kShort);
    EXPECT_EQ(audio.sampleRate, fixture.sampleRate);
    EXPECT_EQ(audio.channels, 2);
    EXPECT_NEAR(static_cast<double>(audio.Frames()), static_cast<double>(fixture.SourceSamples()), 2.0 * 1152);
    float peak = 0;
    for (float sample : audio.samples) peak = std::max(peak, std::abs(sample));
    EXPECT_GT(peak, 0.1f);  // a tone, not silence
}

TEST_F(PlayCommand, FilesAndListsPlayOneAfterAnother) {
    std::string list = folder_ + "/two.m3u";
    WriteFileBytes(list, "#EXTM3U\r\n" + FixturePath(kShorter) + "\r\n" + FixturePath(kShort) + "\r\n");
    std::string wav = folder_ + "/heard.wav";
    RunResult run = RunCli({"play", "--output", wav, "--fast", list, FixturePath(kShorter)});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    size_t first = run.out.find("Playing 1/3: l3_mpeg1_crc_flags.mp3");
    size_t second = run.out.find("Playing 2/3: Fixture-Artist - Fixture-Title");
    size_t third = run.out.find("Playing 3/3: l3_mpeg1_crc_flags.mp3");
    ASSERT_NE(first, std::string::npos) << run.out;
    ASSERT_NE(second, std::string::npos) << run.out;
    ASSERT_NE(third, std::string::npos) << run.out;
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);
    EXPECT_NE(run.out.find("Finished.\n"), std::string::npos);
}

TEST_F(PlayCommand, FilesItCannotPlayAreReportedAndSkipped) {
    std::string badList = folder_ + "/bad.m3u";
    WriteFileBytes(badList, "#EXTM3U\n" + FixturePath(kShort) + "\n");  // line feeds only: no header line
    struct Case {
        std::vector<std::string> inputs;
        std::vector<std::string> messages;
        bool plays;
    } cases[] = {
        {{folder_ + "/missing.mp3"}, {"missing.mp3: error 53: Can't find specified file. (File not found)", "nothing to play"}, false},
        {{FixturePath("bad_random.mp3")}, {"bad_random.mp3: error 30075: File is not a recognized audio file format."}, false},
        {{badList}, {"bad.m3u: error 30077: A valid playlist file name must be selected in order to load or save it."}, false},
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

// Only where the machine has no sound card, so that no real device is used.
bool MachineHasNoSoundCard() {
    std::ifstream cards("/proc/asound/cards");
    std::string text((std::istreambuf_iterator<char>(cards)), std::istreambuf_iterator<char>());
    return !cards || text.find("no soundcards") != std::string::npos;
}

TEST_F(PlayCommand, WithoutAnAudioDeviceItSaysSoAndPlaysToTheNullOutput) {
    if (!MachineHasNoSoundCard()) GTEST_SKIP() << "this machine has a sound card";
    // Looking for a device loads the sound system's plugins, which keep a few
    // allocations after they are unloaded; leak checking would report them
    // against an unnamed module, so it is off for this one run.
    const char *asan = std::getenv("ASAN_OPTIONS");
    std::string asanOptions = std::string(asan ? asan : "") + ":detect_leaks=0";
    RunResult run = RunCli({"play", FixturePath(kShorter)},
                           {{{"CORVANEMP3_OUTPUT", std::nullopt}, {"ASAN_OPTIONS", asanOptions}}});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find("no audio device found; playing to the null output"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("Finished.\n"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace corvane::testing
