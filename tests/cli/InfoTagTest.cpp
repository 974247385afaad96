// cvmp3 info, cvmp3 tag and the help texts, run as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "CliRunner.h"
#include "support/Paths.h"

namespace corvane::testing {
namespace {

const char kTagged[] = "l3_mpeg1_cbr128_joint_v1.mp3";

// The raw JSON value of the first member named `key` (text of a string
// without its quotes); empty when there is none.
std::string JsonField(const std::string &json, const std::string &key, size_t from = 0) {
    std::regex member("\"" + key + "\": (\"((?:[^\"\\\\]|\\\\.)*)\"|[^,\\n]+)");
    std::smatch match;
    std::string rest = json.substr(from);
    if (!std::regex_search(rest, match, member)) return "";
    return match[2].matched ? match[2].str() : match[1].str();
}

TEST(InfoCommand, JsonOfTheFixturesStreamsAndTags) {
    struct Case {
        const char *file;
        const char *version, *layer, *bitrate, *rate, *mode, *channels;
        const char *title, *year, *genre, *genreName;
    } cases[] = {
        {kTagged, "1", "3", "128000", "44100", "Joint Stereo", "2", "Fixture-Title", "2024", "8", "Jazz"},
        {"l2_mpeg1_192_stereo_v1.mp3", "1", "2", "192000", "44100", "Stereo", "2", "Layer Two", "1999", "17", "Rock"},
        {"l1_mpeg1_320_dual_v1.mp3", "1", "1", "320000", "44100", "Dual Channel", "2", "Layer One", "2001", "52",
         "Electronic"},
        {"l3_mpeg2_cbr64_joint_v1.mp3", "2", "3", "64000", "22050", "Joint Stereo", "2", "Fixture-Title", "2024", "8",
         "Jazz"},
        {"l3_mpeg25_cbr32_mono.mp3", "2.5", "3", "32000", "11025", "Single Channel", "1", "", "", "0", "Blues"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        std::string path = FixturePath(c.file);
        RunResult run = RunCli({"info", "--json", path});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.out.front(), '{');
        const std::pair<const char *, std::string> fields[] = {
            {"file", path},          {"mpeg_version", c.version}, {"layer", c.layer},
            {"bitrate", c.bitrate},  {"sample_rate", c.rate},     {"channel_mode", c.mode},
            {"channels", c.channels}, {"size", std::to_string(std::filesystem::file_size(path))},
            {"title", c.title},      {"year", c.year},            {"genre", c.genre},
            {"genre_name", c.genreName}};
        for (const auto &[key, value] : fields) EXPECT_EQ(JsonField(run.out, key), value) << key;
        EXPECT_GT(std::stoi(JsonField(run.out, "frames")), 0);
        EXPECT_GE(std::stoi(JsonField(run.out, "length")), 2);
        EXPECT_LE(std::stoi(JsonField(run.out, "length")), 4);
        for (const char *key : {"artist", "album", "comment"}) EXPECT_NE(run.out.find(std::string("\"") + key + "\": "), std::string::npos);
    }
}

TEST(InfoCommand, SeveralFilesGiveAnArrayAndFailuresGoToStandardError) {
    std::string missing = FixtureDir() + "/no-such-file.mp3";
    RunResult run = RunCli({"info", "--json", FixturePath(kTagged), missing, FixturePath("bad_random.mp3"),
                            FixturePath("l2_mpeg1_192_stereo_v1.mp3")});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out.front(), '[');
    EXPECT_EQ(JsonField(run.out, "layer"), "3");
    EXPECT_EQ(JsonField(run.out, "layer", run.out.find("},")), "2");
    EXPECT_NE(run.err.find("no-such-file.mp3: error 53: Can't find specified file. (File not found)"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("bad_random.mp3: error 30075: File is not a recognized audio file format."),
              std::string::npos)
        << run.err;
}

TEST(InfoCommand, TextOutput) {
    RunResult run = RunCli({"info", FixturePath(kTagged)});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    for (const char *line : {"Stream:       MPEG 1 Layer 3\n", "Bitrate:      128 kbit/s\n", "Sample rate:  44100 Hz\n",
                             "Channel mode: Joint Stereo (2 channels)\n", "Title:        Fixture-Title\n",
                             "Artist:       Fixture-Artist\n", "Album:        Fixture-Album\n",
                             "Comment:      Fixture-Comment\n", "Genre:        8 (Jazz)\n"})
        EXPECT_NE(run.out.find(line), std::string::npos) << line << run.out;
}

class TagCommand : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = MakeScratchDir("cvmp3-tag");
        file_ = folder_ + "/song.mp3";
    }
    void TearDown() override {
        if (!HasFailure()) std::filesystem::remove_all(folder_);
    }
    std::string folder_, file_;
};

TEST_F(TagCommand, WritesFieldsAndKeepsTheOthersAndTheAudio) {
    CopyFile(FixturePath(kTagged), file_);
    std::string before = ReadFileBytes(file_);
    RunResult run = RunCli({"tag", file_, "--title", "New Title", "--year", "1987", "--genre", "rock"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.out.find("Title:   New Title\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Genre:   17 (Rock)\n"), std::string::npos) << run.out;

    RunResult info = RunCli({"info", "--json", file_});
    EXPECT_EQ(JsonField(info.out, "title"), "New Title");
    EXPECT_EQ(JsonField(info.out, "year"), "1987");
    EXPECT_EQ(JsonField(info.out, "genre"), "17");
    EXPECT_EQ(JsonField(info.out, "artist"), "Fixture-Artist");
    EXPECT_EQ(JsonField(info.out, "album"), "Fixture-Album");

    std::string after = ReadFileBytes(file_);
    ASSERT_EQ(after.size(), before.size());  // the tag block is replaced in place
    EXPECT_EQ(after.substr(0, after.size() - 128), before.substr(0, before.size() - 128));
}

TEST_F(TagCommand, AddsATagToAFileWithoutOneAndCutsLongText) {
    CopyFile(FixturePath("l3_mpeg1_cbr192_stereo.mp3"), file_);
    std::string before = ReadFileBytes(file_);
    RunResult run = RunCli({"tag", file_, "--artist", std::string(40, 'a'), "--genre", "52"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.err.find("artist cut to 30 characters"), std::string::npos);
    std::string after = ReadFileBytes(file_);
    ASSERT_EQ(after.size(), before.size() + 128);
    EXPECT_EQ(after.substr(0, before.size()), before);
    EXPECT_EQ(after.substr(before.size(), 3), "TAG");
    RunResult info = RunCli({"info", "--json", file_});
    EXPECT_EQ(JsonField(info.out, "artist"), std::string(30, 'a'));
    EXPECT_EQ(JsonField(info.out, "genre_name"), "Electronic");
}

TEST_F(TagCommand, ErrorsAreOneLineWithNumberAndDescription) {
    CopyFile(FixturePath(kTagged), file_);
    std::string before = ReadFileBytes(file_);
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    } cases[] = {
        {{"tag", folder_ + "/missing.mp3", "--title", "x"}, 1, "missing.mp3: error 53: Can't find specified file."},
        {{"tag", file_, "--genre", "No Such Genre"}, 1, "song.mp3: error 30103: Unknown genre."},
        {{"tag", file_, "--genre", "300"}, 1, "error 30103: Unknown genre."},
        {{"tag", file_, "--tilte", "x"}, 2, "unknown option '--tilte'"},
        {{"tag"}, 2, "give exactly one FILE"},
    };
    for (const auto &c : cases) {
        RunResult run = RunCli(c.arguments);
        EXPECT_EQ(run.exitStatus, c.status) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_EQ(ReadFileBytes(file_), before);
}

TEST(Help, EveryCommandDescribesItself) {
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> mentions;
    } cases[] = {
        {{"--help"}, {"play [--output FILE.wav]", "info [--json] FILE...", "tag FILE", "list show", "CORVANEMP3_OUTPUT"}},
        {{"help", "list"}, {"cvmp3 list sort LIST file|title|artist|time", "--before N", "absolute paths"}},
        {{"play", "--help"}, {"space", "fade out", "equalizer", "--output FILE.wav", "null output"}},
        {{"info", "-h"}, {"--json", "genre_name"}},
        {{"tag", "--help"}, {"--title T", "--genre N"}},
        {{"list", "--help"}, {"move LIST FROM up|down|top|bottom|before N|after N", "shuffle"}},
    };
    for (const auto &c : cases) {
        RunResult run = RunCli(c.arguments);
        EXPECT_EQ(run.exitStatus, 0) << c.arguments[0];
        for (const auto &text : c.mentions) EXPECT_NE(run.out.find(text), std::string::npos) << text;
    }
}

TEST(Help, CommandLinesItCannotUseExitWithStatus2AndAPointerToHelp) {
    struct Case {
        std::vector<std::string> arguments;
        const char *message;
    } cases[] = {
        {{}, "Usage: cvmp3 COMMAND"},
        {{"dance"}, "no command 'dance'\nTry 'cvmp3 --help'."},
        {{"info"}, "no FILE given\nTry 'cvmp3 info --help'."},
        {{"list", "show"}, "give an action and LIST\nTry 'cvmp3 list --help'."},
        {{"play", "--fast", "x.mp3"}, "--fast needs --output FILE.wav\nTry 'cvmp3 play --help'."},
        {{"play", "--output"}, "Try 'cvmp3 play --help'."},
        {{"play", "--loud"}, "Try 'cvmp3 play --help'."},
    };
    for (const auto &c : cases) {
        RunResult run = RunCli(c.arguments);
        EXPECT_EQ(run.exitStatus, 2) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace corvane::testing
