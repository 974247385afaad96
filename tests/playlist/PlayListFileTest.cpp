// Loading and saving extended M3U play-list files. The play-list files are
// real files in a scratch folder; the audio files they name are made-up files
// of the recording decoder.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

#include "common/ErrorCatalogue.h"
#include "support/Paths.h"
#include "tests/playlist/PlayListTestSupport.h"

namespace corvane::testing {
namespace {

namespace fs = std::filesystem;

const Text kNoNameText = u"A valid PlayList file name must be selected in order to load or save it.";
const Text kBadHeaderText = u"A valid playlist file name must be selected in order to load or save it.";
const Text kNotFoundText = u"Can 't Find Specified File. (File Not Found)";
const Text kFileSource = u"CVMP3PlayList.LoadPlayList";

// A line "\\music\\a.mp3" names a file on drive c: on Windows; elsewhere no
// drive letter is invented.
#ifdef _WIN32
const char kRootedLine[] = "c:\\music\\a.mp3";
#else
const char kRootedLine[] = "\\music\\a.mp3";
#endif

class PlayListFileTest : public PlayListTest {
protected:
    PlayListFileTest() {
        for (auto [name, seconds] : {std::pair<const char *, int>{kRootedLine, 10}, {"\\\\server\\a.mp3", 20},
                                     {"music\\a.mp3", 30}, {"#odd.mp3", 40}, {"D:\\Other\\second.mp3", 95}})
            AddFile(name, seconds);
        AddFile("C:\\Music\\first.mp3", 245, "Blue", "Ann");
        AddFile("artist-only.mp3", 1, "", "Ann");
        AddFile("title-only.mp3", 2, "Blue", "");
    }
    ~PlayListFileTest() override { fs::remove_all(scratch); }

    std::string PathIn(const std::string &name) const { return scratch + "/" + name; }
    // The file system's own name of a UTF-8 one, on every platform.
    fs::path Native(const std::string &name) const { return fs::path(runtime::FromUtf8(PathIn(name))); }
    std::string Write(const std::string &name, const std::string &bytes) const {
        std::ofstream(Native(name), std::ios::binary) << bytes;
        return PathIn(name);
    }
    std::string Read(const std::string &name) const {
        std::ifstream in(Native(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void Load(const std::string &path) { Variant name(runtime::FromUtf8(path)); list.LoadPlayList(name); }
    bool Save(const std::string &path) { Variant name(runtime::FromUtf8(path)); return list.SavePlayList(name); }

    std::string scratch = MakeScratchDir("playlist-file");
};

// An information line only with both artist and title; keys are not saved;
// names travel as system text.
TEST_F(PlayListFileTest, ARoundTripKeepsNamesAndOrderAndDropsKeys) {
    AddFile("/musik/Grüße – ünïcode.mp3", 12, "Blau", "Anne");
    ASSERT_TRUE(Add("D:\\Other\\second.mp3", Variant::Missing(), Variant::Missing(), Text(u"mine")));
    AddAll({"C:\\Music\\first.mp3", "artist-only.mp3", "title-only.mp3", "/musik/Grüße – ünïcode.mp3"});
    fs::create_directory(Native("Müsik"));
    EXPECT_TRUE(Save(PathIn("Müsik/liste ü.m3u")));
    EXPECT_EQ(Read("Müsik/liste ü.m3u"),
              runtime::ToSystemText(u"#EXTM3U\r\nD:\\Other\\second.mp3\r\n#EXTINF:245,Ann - Blue\r\nC:\\Music\\first.mp3\r\n"
                                    u"artist-only.mp3\r\ntitle-only.mp3\r\n#EXTINF:12,Anne - Blau\r\n/musik/Grüße – ünïcode.mp3\r\n"));
    const Names saved = Listed();
    list.LoadPlayList();  // the name given to the save stands
    EXPECT_EQ(Listed(), saved);
    EXPECT_EQ(list.PlayListEntries(Text(u"mine")), nullptr);
    EXPECT_EQ(list.TotalPlayListTime(), 95 + 245 + 1 + 2 + 12);
}

TEST_F(PlayListFileTest, LoadingUsesOnlyThePathLines) {
    AddAll({"D:\\Other\\second.mp3"});
    const std::string content =
        "#EXTM3U\r\n"
        "#EXTINF:9999,Someone - Something\r\nC:\\Music\\first.mp3\r\n"  // the true length counts
        "\r\n#a comment\r\n#EXTINF\r\n"                                   // skipped
        " C:\\Music\\first.mp3\r\n"                                       // spaces make another name
        "\\music\\a.mp3\r"                                                // CR alone ends a line
        "\\\\server\\a.mp3\r\nmusic\\a.mp3\r\n"
        "#EXTINF:1,x - y\r\n#odd.mp3\r\n"                                 // the line after is the path
        "C:\\Music\\first.mp3\nD:\\Other\\second.mp3\r\n"                 // LF alone does not end a line
        "C:\\Music\\first.mp3\r\n"
        "#EXTINF:5,no path follows";
    Load(Write("mixed.m3u", content));
    EXPECT_EQ(Listed(), (Names{"C:\\Music\\first.mp3", kRootedLine, "\\\\server\\a.mp3", "music\\a.mp3",
                              "#odd.mp3", "C:\\Music\\first.mp3"}));
    EXPECT_EQ(list.TotalPlayListTime(), 245 + 10 + 20 + 30 + 40 + 245);
}

TEST_F(PlayListFileTest, LoadChecksComeBeforeAnyChange) {
    AddAll({"C:\\Music\\first.mp3"});
    fs::create_directory(PathIn("folder.m3u"));
    struct Case { std::string name; int32_t number; Text description; };
    std::vector<Case> cases = {
        {"   ", 30077, kNoNameText}, {PathIn("missing.m3u"), 53, kNotFoundText}, {PathIn("folder.m3u"), 53, kNotFoundText}};
    for (const std::string &header : {"#extm3u\r\n", "#EXTM3U \r\n", "#EXTM3U\n", "\xEF\xBB\xBF#EXTM3U\r\n", "",
                                      " #EXTM3U\r\n", "\r\n#EXTM3U\r\n"})
        cases.push_back({Write("bad" + std::to_string(cases.size()) + ".m3u", header.empty() ? header : header + "C:\\Music\\first.mp3\r\n"),
                         30077, kBadHeaderText});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ExpectError(ErrorOf([&] { Load(c.name); }), c.number, c.description, kFileSource);
        EXPECT_EQ(list.Filename(), runtime::FromUtf8(c.name));  // the new name stands
        EXPECT_EQ(list.Count(), 1);
        EXPECT_EQ(list.TotalPlayListTime(), 245);
    }
    EXPECT_TRUE(site.changedProperties.empty());  // a name given to a load is not a property change
}

TEST_F(PlayListFileTest, SavingChecksTheNameAndTheFolder) {
    AddAll({"C:\\Music\\first.mp3"});
    fs::create_directory(PathIn("taken"));
    ExpectError(ErrorOf([&] { Save("  "); }), 30077, kNoNameText, kFileSource);
    for (const std::string &name : {PathIn("nowhere/list.m3u"), std::string("bare-name.m3u")}) {
        ExpectError(ErrorOf([&] { Save(name); }), 76, u"Path not found.", kFileSource);
        EXPECT_FALSE(fs::exists(name));
    }
    ExpectError(ErrorOf([&] { Save(PathIn("taken")); }), 75, u"Path/File access error.", u"");
    EXPECT_TRUE(fs::is_directory(PathIn("taken")));
    // A name too long for the file system: "bad file name" (Wine says "not found").
    const auto tooLong = ErrorOf([&] { Save(PathIn(std::string(300, 'n'))); });
    EXPECT_TRUE(tooLong.Number() == 52 || tooLong.Number() == 53) << tooLong.Number();
    EXPECT_EQ(tooLong.Description(), common::GetErrorDescription(tooLong.Number()));
}

// A new file takes the name in one step: a second name of the old file keeps
// the old text, and a write that fails leaves the old file whole.
TEST_F(PlayListFileTest, ASaveReplacesTheFileWholeOrNotAtAll) {
    AddAll({"C:\\Music\\first.mp3"});
    const std::string old = "#EXTM3U\r\nold.mp3\r\n", saved = "#EXTM3U\r\n#EXTINF:245,Ann - Blue\r\nC:\\Music\\first.mp3\r\n";
    const std::string name = Write("list.m3u", old);
    std::error_code linked;
    fs::create_hard_link(Native("list.m3u"), Native("link.m3u"), linked);
    EXPECT_TRUE(Save(name));
    EXPECT_EQ(Read("list.m3u"), saved);
    if (!linked) EXPECT_EQ(Read("link.m3u"), old);
#ifndef _WIN32
    AddAll({"D:\\Other\\second.mp3"});
    rlimit limit{}, small{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    small = limit;
    small.rlim_cur = 20;  // a file cannot grow past 20 bytes: the write fails part of the way
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = Save(name);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_EQ(Read("list.m3u"), saved);
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch), fs::directory_iterator()), linked ? 1 : 2);
#endif
}

TEST_F(PlayListFileTest, ProgressIsReportedForEveryLine) {
    std::vector<std::pair<int32_t, int32_t>> reports;
    list.SetProgressCallback([&](int32_t done, int32_t total) {
        reports.emplace_back(done, total);
        throw std::runtime_error("a failing host callback does not stop the load");
    });
    Load(Write("progress.m3u", "#EXTM3U\r\nC:\\Music\\first.mp3\r\n#EXTINF:1,a - b\r\nmissing.mp3\r\nD:\\Other\\second.mp3\r\n"));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(reports, (std::vector<std::pair<int32_t, int32_t>>{{0, 4}, {1, 4}, {3, 4}, {4, 4}}));
}

}  // namespace
}  // namespace corvane::testing
