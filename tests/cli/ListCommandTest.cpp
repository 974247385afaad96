// cvmp3 list on a scratch M3U file: what each command writes, byte for byte,
// and how it reports the play list's errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>

#include "CliRunner.h"
#include "support/Paths.h"

namespace corvane::testing {
namespace {

class ListCommand : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = MakeScratchDir("cvmp3-list");
        // a: artist and title; b: no tag; c: another title; d: shorter, no tag.
        for (const auto &[name, fixture] : std::map<std::string, std::string>{
                 {"a.mp3", "l3_mpeg1_cbr128_joint_v1.mp3"}, {"b.mp3", "l3_mpeg1_cbr192_stereo.mp3"},
                 {"c.mp3", "l2_mpeg1_192_stereo_v1.mp3"}, {"d.mp3", "l3_mpeg1_crc_flags.mp3"}})
            CopyFile(FixturePath(fixture), Path(name));
    }
    void TearDown() override {
        if (!HasFailure()) std::filesystem::remove_all(folder_);
    }

    std::string Path(const std::string &name) const { return folder_ + "/" + name; }

    // cvmp3 list ... run in the scratch folder.
    RunResult List(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "list");
        RunOptions options;
        options.folder = folder_;
        return RunCli(arguments, options);
    }

    int Length(const std::string &name) {
        RunResult run = RunCli({"info", "--json", Path(name)});
        auto at = run.out.find("\"length\": ");
        return at == std::string::npos ? -1 : std::stoi(run.out.substr(at + 10));
    }

    // The list file SavePlayList writes for these files.
    std::string ListOf(std::initializer_list<const char *> names) {
        std::string text = "#EXTM3U\r\n";
        for (std::string name : names) {
            const char *title = name == "a.mp3" ? "Fixture-Title" : name == "c.mp3" ? "Layer Two" : nullptr;
            if (title) text += "#EXTINF:" + std::to_string(Length(name)) + ",Fixture-Artist - " + title + "\r\n";
            text += Path(name) + "\r\n";
        }
        return text;
    }

    std::string folder_;
};

TEST_F(ListCommand, EachCommandSavesTheNewOrderAndShowListsIt) {
    struct Step {
        std::vector<std::string> arguments;
        std::initializer_list<const char *> expected;
    } steps[] = {
        {{"add", "my.m3u", "a.mp3", "b.mp3"}, {"a.mp3", "b.mp3"}},
        {{"add", "my.m3u", "c.mp3", "d.mp3", "--before", "2"}, {"a.mp3", "c.mp3", "d.mp3", "b.mp3"}},
        {{"add", "my.m3u", "b.mp3", "--after", "1"}, {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "b.mp3"}},
        {{"remove", "my.m3u", "5"}, {"a.mp3", "b.mp3", "c.mp3", "d.mp3"}},
        {{"move", "my.m3u", "1", "bottom"}, {"b.mp3", "c.mp3", "d.mp3", "a.mp3"}},
        {{"move", "my.m3u", "4", "top"}, {"a.mp3", "b.mp3", "c.mp3", "d.mp3"}},
        {{"move", "my.m3u", "2", "down"}, {"a.mp3", "c.mp3", "b.mp3", "d.mp3"}},
        {{"move", "my.m3u", "2", "up"}, {"c.mp3", "a.mp3", "b.mp3", "d.mp3"}},
        {{"move", "my.m3u", "1", "after", "3"}, {"a.mp3", "b.mp3", "c.mp3", "d.mp3"}},
        {{"move", "my.m3u", "4", "before", "2"}, {"a.mp3", "d.mp3", "b.mp3", "c.mp3"}},
        {{"sort", "my.m3u", "file", "descending"}, {"d.mp3", "c.mp3", "b.mp3", "a.mp3"}},
        // Untagged entries sort under their file names, which come first.
        {{"sort", "my.m3u", "artist"}, {"b.mp3", "d.mp3", "a.mp3", "c.mp3"}},
        {{"sort", "my.m3u", "title", "descending"}, {"c.mp3", "a.mp3", "d.mp3", "b.mp3"}},
        {{"sort", "my.m3u", "time"}, {"d.mp3", "c.mp3", "a.mp3", "b.mp3"}},
        {{"remove", "my.m3u", "2"}, {"d.mp3", "a.mp3", "b.mp3"}},
    };
    ASSERT_LT(Length("d.mp3"), Length("a.mp3"));
    for (const auto &step : steps) {
        RunResult run = List(step.arguments);
        ASSERT_EQ(run.exitStatus, 0) << step.arguments[0] << ": " << run.err;
        EXPECT_EQ(ReadFileBytes(Path("my.m3u")), ListOf(step.expected)) << step.arguments[0] << " " << step.arguments[2];
    }

    RunResult show = List({"show", "my.m3u"});
    ASSERT_EQ(show.exitStatus, 0) << show.err;
    auto time = [](int s) { return std::to_string(s / 60) + ":" + (s % 60 < 10 ? "0" : "") + std::to_string(s % 60); };
    const int d = Length("d.mp3"), a = Length("a.mp3"), b = Length("b.mp3");
    EXPECT_NE(show.out.find("   2.     " + time(a) + "  Fixture-Artist - Fixture-Title\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("   3.     " + time(b) + "  " + Path("b.mp3") + "\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("Total: 3 entries, " + time(d + a + b) + "\n"), std::string::npos) << show.out;
}

TEST_F(ListCommand, ErrorsAreClearOneLineMessagesAndChangeNothing) {
    ASSERT_EQ(List({"add", "my.m3u", "a.mp3", "b.mp3"}).exitStatus, 0);
    const std::string saved = ReadFileBytes(Path("my.m3u"));
    WriteFileBytes(Path("binary.m3u"), std::string("\0\x01\x02#EXTM3U", 10));
    WriteFileBytes(Path("plain.txt"), "x");
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    } cases[] = {
        {{"show", "missing.m3u"}, 1, "missing.m3u: error 53: Can 't Find Specified File. (File Not Found)"},
        {{"show", "binary.m3u"}, 1, "binary.m3u: is not a play list: it holds binary data"},
        {{"add", "nowhere/new.m3u", "a.mp3"}, 1, "nowhere/new.m3u: error 76: Path not found."},
        {{"add", "my.m3u", "missing.mp3"}, 1, "missing.mp3: error 53: Can't find specified file. (File not found)"},
        {{"add", "my.m3u", "plain.txt"}, 1, "plain.txt: error 30075: File is not a recognized audio file format."},
        {{"add", "my.m3u", "c.mp3", "--before", "7"}, 1, "there is no entry 7"},
        {{"add", "my.m3u", "line\nbreak.mp3"}, 1, "line\\nbreak.mp3: a name with a line break cannot be stored in a play list"},
        {{"remove", "my.m3u", "9"}, 1, "my.m3u: error 30078: There is no PlayList entry 9."},
        {{"move", "my.m3u", "1", "after", "9"}, 1, "my.m3u: error 30078: There is no PlayList entry '9'."},
        {{"move", "my.m3u", "5", "up"}, 1, "there is no entry 5 (the list has 2)"},
        {{"move", "my.m3u", "1", "sideways"}, 2, "unknown movement 'sideways'"},
        {{"sort", "my.m3u", "colour"}, 2, "unknown sort key 'colour'"},
        {{"sort", "my.m3u", "file", "upwards"}, 2, "unknown sort order 'upwards'"},
        {{"remove", "my.m3u", "two"}, 2, "INDEX must be a whole number"},
        {{"jump", "my.m3u"}, 2, "unknown action 'jump'"},
    };
    for (const auto &c : cases) {
        RunResult run = List(c.arguments);
        EXPECT_EQ(run.exitStatus, c.status) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        // One line for the control's errors; a usage error adds a pointer to --help.
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), c.status == 2 ? 2 : 1) << run.err;
        EXPECT_EQ(ReadFileBytes(Path("my.m3u")), saved) << c.message;
    }
    EXPECT_FALSE(std::filesystem::exists(Path("nowhere")));
}

// The list as people write it, with a byte-order mark and line feeds, is read
// (and said so); saved, it takes the extended M3U form.
TEST_F(ListCommand, AListWithUnreadableEntriesIsNotChangedUnlessPruned) {
    const std::string text = "\xEF\xBB\xBF#EXTM3U\n" + Path("a.mp3") + "\n" + Path("gone.mp3") + "\n";
    WriteFileBytes(Path("old.m3u"), text);
    RunResult show = List({"show", "old.m3u"});
    EXPECT_EQ(show.exitStatus, 0);
    EXPECT_NE(show.err.find("old.m3u: read although it has a byte-order mark and line feeds for line ends"),
              std::string::npos) << show.err;
    EXPECT_NE(show.out.find("Total: 1 entry"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("(1 line of the file names no readable audio file; it is left out)"), std::string::npos);

    RunResult refused = List({"add", "old.m3u", "b.mp3"});
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_NE(refused.err.find("--prune"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(Path("old.m3u")), text);

    ASSERT_EQ(List({"add", "old.m3u", "b.mp3", "--prune"}).exitStatus, 0);
    EXPECT_EQ(ReadFileBytes(Path("old.m3u")), ListOf({"a.mp3", "b.mp3"}));
}

TEST_F(ListCommand, WritersSideBySideLoseNoEntry) {
    std::string script = "for i in $(seq 1 16); do cp b.mp3 f$i.mp3; \"$0\" list add my.m3u f$i.mp3 >/dev/null & done; wait";
    RunResult run = RunProgram("/bin/sh", {"-c", script, CliPath()}, {.environment = {{"CORVANEMP3_OUTPUT", "null"}},
                                                                     .folder = folder_});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::string list = ReadFileBytes(Path("my.m3u"));
    for (int i = 1; i <= 16; ++i)
        EXPECT_NE(list.find(Path("f" + std::to_string(i) + ".mp3") + "\r\n"), std::string::npos) << i << "\n" << list;
}

// A save goes to a new file that replaces the list in one step: a file size
// limit or a kill at any moment leaves the old list or the new one, whole.
TEST_F(ListCommand, AnInterruptedOrFailedSaveLeavesTheOldListOrTheNew) {
    ASSERT_EQ(List({"add", "my.m3u", "b.mp3"}).exitStatus, 0);
    const std::string old = ReadFileBytes(Path("my.m3u"));
    std::vector<std::string> add = {"add", Path("my.m3u")};
    for (int i = 0; i < 60; ++i) add.push_back(Path(i % 2 ? "a.mp3" : "c.mp3"));
    auto shell = [&](const std::string &before, const std::string &after) {
        std::vector<std::string> arguments = {"-c", before + " \"$0\" list \"$@\"" + after, CliPath()};
        arguments.insert(arguments.end(), add.begin(), add.end());
        return RunProgram("/bin/sh", arguments, {.environment = {{"CORVANEMP3_OUTPUT", "null"}}});
    };
    RunResult limited = shell("ulimit -f 2;", "");
    EXPECT_EQ(limited.exitStatus, 1);
    EXPECT_NE(limited.err.find("my.m3u: the list could not be saved; the file is as it was"), std::string::npos) << limited.err;
    EXPECT_EQ(ReadFileBytes(Path("my.m3u")), old);
    for (const auto &entry : std::filesystem::directory_iterator(folder_))
        EXPECT_FALSE(entry.path().filename().string().ends_with(".tmp")) << "left behind: " << entry.path();

    ASSERT_EQ(shell("", "").exitStatus, 0);
    const std::string whole = ReadFileBytes(Path("my.m3u"));
    for (int attempt = 0; attempt < 12; ++attempt) {
        WriteFileBytes(Path("my.m3u"), old);
        shell("", " & sleep 0.0" + std::to_string(attempt % 10) + "; kill -9 $! 2>/dev/null; wait");
        const std::string now = ReadFileBytes(Path("my.m3u"));
        EXPECT_TRUE(now == old || now == whole) << "attempt " << attempt << ":\n" << now;
    }
}

}  // namespace
}  // namespace corvane::testing
