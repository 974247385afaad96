// cvmp3 info, cvmp3 tag and the help texts, run as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "CliRunner.h"
#include "CorvaneVersion.h"
#include "support/Paths.h"

namespace corvane::testing {
namespace {

const char kTagged[] = "l3_mpeg1_cbr128_joint_v1.mp3";

bool Has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

// The raw JSON value of the first member named `key` at or after `from`
// (text of a string without its quotes); empty when there is none.
std::string JsonField(const std::string &json, const std::string &key, size_t from = 0) {
    std::regex member("\"" + key + "\": (\"((?:[^\"\\\\]|\\\\.)*)\"|[^,\\n]+)");
    std::smatch match;
    std::string rest = json.substr(from);
    if (!std::regex_search(rest, match, member)) return "";
    return match[2].matched ? match[2].str() : match[1].str();
}

TEST(InfoCommand, JsonOfStreamsAndTagsTextFormAndFailures) {
    struct Case {
        const char *file, *version, *layer, *bitrate, *rate, *mode, *channels, *title, *genre, *genreName;
    } cases[] = {
        {kTagged, "1", "3", "128000", "44100", "Joint Stereo", "2", "Fixture-Title", "8", "Jazz"},
        {"l1_mpeg1_320_dual_v1.mp3", "1", "1", "320000", "44100", "Dual Channel", "2", "Layer One", "52", "Electronic"},
        {"l3_mpeg25_cbr32_mono.mp3", "2.5", "3", "32000", "11025", "Single Channel", "1", "", "0", "Blues"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = FixturePath(c.file);
        RunResult run = RunCli({"info", "--json", path});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.out.front(), '{');
        const std::pair<const char *, std::string> fields[] = {
            {"file", path},          {"mpeg_version", c.version}, {"layer", c.layer},   {"bitrate", c.bitrate},
            {"sample_rate", c.rate}, {"channel_mode", c.mode},    {"channels", c.channels},
            {"size", std::to_string(std::filesystem::file_size(path))},
            {"title", c.title},      {"genre", c.genre},          {"genre_name", c.genreName}};
        for (const auto &[key, value] : fields) EXPECT_EQ(JsonField(run.out, key), value) << key;
        EXPECT_GT(std::stoi(JsonField(run.out, "frames")), 0);
        EXPECT_NEAR(std::stoi(JsonField(run.out, "length")), 3, 1);
    }

    RunResult text = RunCli({"info", FixturePath(kTagged)});
    for (const char *line : {"Stream:       MPEG 1 Layer 3\n", "Bitrate:      128 kbit/s\n",
                             "Channel mode: Joint Stereo (2 channels)\n", "Artist:       Fixture-Artist\n",
                             "Comment:      Fixture-Comment\n", "Genre:        8 (Jazz)\n"})
        EXPECT_TRUE(Has(text.out, line)) << line << text.out;

    RunResult several = RunCli({"info", "--json", FixturePath(kTagged), FixtureDir() + "/no-such-file.mp3",
                                FixturePath("bad_random.mp3"), FixturePath("l2_mpeg1_192_stereo_v1.mp3")});
    EXPECT_EQ(several.exitStatus, 1);
    EXPECT_EQ(several.out.front(), '[');
    EXPECT_EQ(JsonField(several.out, "layer", several.out.find("},")), "2");
    EXPECT_TRUE(Has(several.err, "no-such-file.mp3: error 53: Can't find specified file. (File not found)\n"));
    EXPECT_TRUE(Has(several.err, "bad_random.mp3: error 30075: File is not a recognized audio file format.\n"));

    // A sparse 3 GiB file, the audio at its start and zeros after: told whole, at once.
    const std::string folder = MakeScratchDir("cvmp3-big"), big = folder + "/big.mp3";
    CopyFile(FixturePath(kTagged), big);
    std::filesystem::resize_file(big, int64_t{3} << 30);
    RunResult large = RunCli({"info", "--json", big}, {.timeoutSeconds = 10});
    EXPECT_EQ(JsonField(large.out, "size"), "3221225472") << large.err;
    EXPECT_EQ(JsonField(large.out, "frames"), "116");
    std::filesystem::remove_all(folder);
}

class TagCommand : public ::testing::Test {
protected:
    void SetUp() override { folder_ = MakeScratchDir("cvmp3-tag"); }
    void TearDown() override {
        if (!HasFailure()) std::filesystem::remove_all(folder_);
    }
    std::string folder_;
};

// The tag block is replaced in place, or appended to a file without one;
// fields not named keep their values and the audio bytes stay as they were.
TEST_F(TagCommand, WritesTheNamedFieldsAndNothingElse) {
    struct Case {
        const char *fixture;
        std::vector<std::string> options;
        std::string output, warning;
        std::vector<std::pair<const char *, std::string>> fields;
        size_t grows;
    } cases[] = {
        {kTagged, {"--title", "New Title", "--year", "1987", "--genre", "rock"}, "Genre:   17 (Rock)\n", "",
         {{"title", "New Title"}, {"year", "1987"}, {"genre", "17"}, {"artist", "Fixture-Artist"}}, 0},
        {"l3_mpeg1_cbr192_stereo.mp3", {"--artist", std::string(40, 'a'), "--genre", "52"}, "", "artist cut to 30 characters",
         {{"artist", std::string(30, 'a')}, {"genre_name", "Electronic"}, {"title", ""}}, 128},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fixture);
        const std::string file = folder_ + "/" + c.fixture;
        CopyFile(FixturePath(c.fixture), file);
        const std::string before = ReadFileBytes(file);
        std::vector<std::string> arguments = {"tag", file};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        RunResult run = RunCli(arguments);
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_TRUE(Has(run.out, c.output)) << run.out;
        EXPECT_TRUE(Has(run.err, c.warning)) << run.err;
        RunResult info = RunCli({"info", "--json", file});
        for (const auto &[key, value] : c.fields) EXPECT_EQ(JsonField(info.out, key), value) << key;
        const std::string after = ReadFileBytes(file);
        ASSERT_EQ(after.size(), before.size() + c.grows);
        const size_t audio = before.size() - (c.grows ? 0 : 128);
        EXPECT_EQ(after.substr(0, audio), before.substr(0, audio));
    }
}

TEST_F(TagCommand, ErrorsAreOneLineWithNumberAndDescription) {
    const std::string file = folder_ + "/song.mp3";
    CopyFile(FixturePath(kTagged), file);
    const std::string before = ReadFileBytes(file);
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    } cases[] = {
        {{"tag", folder_ + "/missing.mp3", "--title", "x"}, 1, "missing.mp3: error 53: Can't find specified file."},
        {{"tag", file, "--genre", "No Such Genre"}, 1, "song.mp3: error 30103: Unknown genre."},
        {{"tag", file, "--genre", "300"}, 1, "error 30103: Unknown genre."},
        {{"tag", file, "--tilte", "x"}, 2, "unknown option '--tilte'"},
        {{"tag"}, 2, "give exactly one FILE"},
    };
    for (const auto &c : cases) {
        RunResult run = RunCli(c.arguments);
        EXPECT_EQ(run.exitStatus, c.status) << c.message;
        EXPECT_TRUE(Has(run.err, c.message)) << run.err;
    }
    EXPECT_EQ(ReadFileBytes(file), before);
}

// Help goes to standard output with status 0; a command line that cannot be
// used gives status 2 and points at the help.
TEST(Help, EveryCommandDescribesItselfAndUsageErrorsPointToIt) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::vector<std::string> mentions;
    } cases[] = {
        {{"--help"}, 0, {"play [--output FILE.wav]", "info [--json] FILE...", "tag FILE", "CORVANEMP3_OUTPUT"}},
        {{"help", "list"}, 0, {"cvmp3 list sort LIST file|title|artist|time", "--before N", "absolute paths"}},
        {{"play", "--help"}, 0, {"space", "fade out", "equalizer", "null output"}},
        {{"info", "-h"}, 0, {"--json", "genre_name"}},
        {{"tag", "--help"}, 0, {"--title T", "--genre N"}},
        {{"list", "--help"}, 0, {"move LIST FROM up|down|top|bottom|before N|after N", "shuffle"}},
        {{"--version"}, 0, {"CorvaneMP3 Version " CORVANE_VERSION_TEXT "\n"}},
        {{"about"}, 0, {"CorvaneMP3\nVersion " CORVANE_VERSION_TEXT "\n", "MPEG audio files"}},
        {{}, 2, {"Usage: cvmp3 COMMAND"}},
        {{"dance"}, 2, {"no command 'dance'\nTry 'cvmp3 --help'."}},
        {{"info"}, 2, {"no FILE given\nTry 'cvmp3 info --help'."}},
        {{"list", "show"}, 2, {"give an action and LIST\nTry 'cvmp3 list --help'."}},
        {{"play", "--fast", "x.mp3"}, 2, {"--fast needs --output FILE.wav\nTry 'cvmp3 play --help'."}},
        {{"play", "--output"}, 2, {"Try 'cvmp3 play --help'."}},
    };
    for (const auto &c : cases) {
        RunResult run = RunCli(c.arguments);
        EXPECT_EQ(run.exitStatus, c.status) << c.mentions[0];
        for (const auto &text : c.mentions) EXPECT_TRUE(Has(c.status ? run.err : run.out, text)) << text;
    }
}

}  // namespace
}  // namespace corvane::testing
