// Loading and saving extended M3U play-list files. The play-list files are
// real files in a scratch folder; the audio files they name are made-up files
// of the recording decoder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "decoder/RecordingDecoderLibrary.h"
#include "playlist/CVMP3PlayList.h"
#include "runtime/AutomationError.h"
#include "runtime/ControlSite.h"
#include "runtime/MessageLoop.h"
#include "support/Paths.h"

namespace {

using corvane::playlist::CVMP3PlayList;
using corvane::runtime::Text;
using corvane::runtime::Variant;
using namespace corvane;
namespace fs = std::filesystem;

const char16_t kNoNameText[] = u"A valid PlayList file name must be selected in order to load or save it.";
const char16_t kBadHeaderText[] = u"A valid playlist file name must be selected in order to load or save it.";
const char16_t kFileSource[] = u"CVMP3PlayList.LoadPlayList";

std::string FrameInfo(int seconds) {
    return "1|3|0|128000|44100|0|2|Stereo|0|0|1|CBR|4000000|9000|" + std::to_string(seconds);
}

std::string TagBlock(const std::string &title, const std::string &artist) {
    std::string block = "TAG";
    for (auto [text, width] : {std::pair{title, 30}, {artist, 30}, {std::string(), 30}, {std::string(), 4}, {std::string(), 30}}) {
        text.resize(static_cast<size_t>(width), '\0');
        block += text;
    }
    return block + '\0';
}

template <class Call>
runtime::AutomationError ErrorOf(Call &&call) {
    try {
        call();
    } catch (const runtime::AutomationError &error) {
        return error;
    }
    ADD_FAILURE() << "no error was raised";
    return runtime::AutomationError(0, u"");
}

class PlayListFileTest : public ::testing::Test {
protected:
    PlayListFileTest() {
        library->AddFile("C:\\Music\\first.mp3", FrameInfo(245), TagBlock("Blue", "Ann"));
        library->AddFile("D:\\Other\\second.mp3", FrameInfo(95));
        library->AddFile("artist-only.mp3", FrameInfo(1), TagBlock("", "Ann"));
        library->AddFile("title-only.mp3", FrameInfo(2), TagBlock("Blue", ""));
        library->AddFile("c:\\music\\a.mp3", FrameInfo(10));
        library->AddFile("\\\\server\\a.mp3", FrameInfo(20));
        library->AddFile("music\\a.mp3", FrameInfo(30));
        library->AddFile("#odd.mp3", FrameInfo(40));
    }
    ~PlayListFileTest() override { fs::remove_all(scratch); }

    void Add(const std::string &name, const Variant &key = Variant::Missing()) {
        Text filename = runtime::FromUtf8(name);
        ASSERT_TRUE(list.AddEntry(filename, Variant::Missing(), Variant::Missing(), key));
    }
    std::string PathIn(const std::string &name) const { return scratch + "/" + name; }
    std::string Write(const std::string &name, const std::string &bytes) const {
        std::ofstream(PathIn(name), std::ios::binary) << bytes;
        return PathIn(name);
    }
    static std::string Read(const std::string &path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static std::vector<std::string> Names(const CVMP3PlayList &from) {
        std::vector<std::string> names;
        for (const auto &entry : from.NewEnum()) names.push_back(runtime::ToUtf8(entry->Filename()));
        return names;
    }
    void Load(const std::string &path) {
        Variant name(runtime::FromUtf8(path));
        list.LoadPlayList(name);
    }
    void Save(const std::string &path) {
        Variant name(runtime::FromUtf8(path));
        list.SavePlayList(name);
    }

    std::string scratch = corvane::testing::MakeScratchDir("playlist-file");
    runtime::MessageLoop loop;
    runtime::RecordingControlSite site{loop};
    std::shared_ptr<decoder::RecordingDecoderLibrary> library = std::make_shared<decoder::RecordingDecoderLibrary>();
    CVMP3PlayList list{site, library};
};

TEST_F(PlayListFileTest, SavesATwoEntryListByteForByte) {
    Add("C:\\Music\\first.mp3");
    Add("D:\\Other\\second.mp3");
    Save(PathIn("two.m3u"));
    EXPECT_EQ(Read(PathIn("two.m3u")),
              "#EXTM3U\r\n#EXTINF:245,Ann - Blue\r\nC:\\Music\\first.mp3\r\nD:\\Other\\second.mp3\r\n");
}

TEST_F(PlayListFileTest, SavesAnInformationLineOnlyWithBothArtistAndTitle) {
    Save(PathIn("empty.m3u"));
    EXPECT_EQ(Read(PathIn("empty.m3u")), "#EXTM3U\r\n");
    Add("artist-only.mp3");
    Add("title-only.mp3");
    Save(PathIn("half.m3u"));
    EXPECT_EQ(Read(PathIn("half.m3u")), "#EXTM3U\r\nartist-only.mp3\r\ntitle-only.mp3\r\n");
}

TEST_F(PlayListFileTest, ARoundTripKeepsNamesAndOrderAndDropsKeys) {
    Add("D:\\Other\\second.mp3", Text(u"mine"));
    Add("C:\\Music\\first.mp3");
    Add("D:\\Other\\second.mp3");
    Text name = runtime::FromUtf8(PathIn("round.m3u"));
    list.SetFilename(name);
    list.SavePlayList();

    CVMP3PlayList reloaded(site, library);
    reloaded.SetFilename(name);
    reloaded.LoadPlayList();
    EXPECT_EQ(Names(reloaded), Names(list));
    EXPECT_EQ(reloaded.PlayListEntries(Text(u"mine")), nullptr);
    EXPECT_EQ(reloaded.PlayListEntries(int32_t{1})->Key(), u"");
    EXPECT_EQ(reloaded.TotalPlayListTime(), 95 + 245 + 95);
}

TEST_F(PlayListFileTest, ABadHeaderLeavesTheCurrentListUntouched) {
    Add("C:\\Music\\first.mp3");
    const std::vector<std::string> contents = {
        "#extm3u\r\nC:\\Music\\first.mp3\r\n", "#EXTM3U \r\nC:\\Music\\first.mp3\r\n",
        "#EXTM3U\nC:\\Music\\first.mp3\n",      "\xEF\xBB\xBF#EXTM3U\r\nC:\\Music\\first.mp3\r\n",
        "",                                     " #EXTM3U\r\n",
        "\r\n#EXTM3U\r\n",
    };
    for (const std::string &content : contents) {
        auto error = ErrorOf([&] { Load(Write("bad.m3u", content)); });
        EXPECT_EQ(error.Number(), 30077) << content;
        EXPECT_EQ(error.Description(), kBadHeaderText);
        EXPECT_EQ(error.Source(), kFileSource);
        EXPECT_EQ(list.Count(), 1);
        EXPECT_EQ(list.TotalPlayListTime(), 245);
    }
}

TEST_F(PlayListFileTest, LoadingUsesOnlyThePathLines) {
    Add("D:\\Other\\second.mp3");
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
    EXPECT_EQ(Names(list), (std::vector<std::string>{"C:\\Music\\first.mp3", "c:\\music\\a.mp3", "\\\\server\\a.mp3",
                                                     "music\\a.mp3", "#odd.mp3", "C:\\Music\\first.mp3"}));
    EXPECT_EQ(list.TotalPlayListTime(), 245 + 10 + 20 + 30 + 40 + 245);
    EXPECT_EQ(list.PlayListEntries(int32_t{1})->TrackLength(), 245);
}

TEST_F(PlayListFileTest, NameChecksComeBeforeAnyChange) {
    Add("C:\\Music\\first.mp3");
    fs::create_directory(PathIn("folder.m3u"));
    struct Case {
        std::string name;
        int32_t number;
        Text description;
    };
    const std::vector<Case> cases = {
        {"   ", 30077, kNoNameText},
        {PathIn("missing.m3u"), 53, u"Can 't Find Specified File. (File Not Found)"},
        {PathIn("folder.m3u"), 53, u"Can 't Find Specified File. (File Not Found)"},
    };
    for (const Case &c : cases) {
        auto error = ErrorOf([&] { Load(c.name); });
        EXPECT_EQ(error.Number(), c.number) << c.name;
        EXPECT_EQ(error.Description(), c.description);
        EXPECT_EQ(error.Source(), kFileSource);
        EXPECT_EQ(list.Filename(), runtime::FromUtf8(c.name));  // the new name stands
        EXPECT_EQ(list.Count(), 1);
    }
    EXPECT_TRUE(site.changedProperties.empty());
    Text empty;
    list.SetFilename(empty);
    EXPECT_EQ(ErrorOf([&] { list.LoadPlayList(); }).Number(), 30077);
}

TEST_F(PlayListFileTest, SavingChecksTheNameAndTheFolder) {
    Add("C:\\Music\\first.mp3");
    fs::create_directory(PathIn("taken"));
    auto blank = ErrorOf([&] { Save("  "); });
    EXPECT_EQ(blank.Number(), 30077);
    EXPECT_EQ(blank.Description(), kNoNameText);
    EXPECT_EQ(blank.Source(), kFileSource);
    for (const std::string &name : {PathIn("nowhere/list.m3u"), std::string("bare-name.m3u")}) {
        auto error = ErrorOf([&] { Save(name); });
        EXPECT_EQ(error.Number(), 76) << name;
        EXPECT_EQ(error.Description(), u"Path not found.");
        EXPECT_EQ(error.Source(), kFileSource);
        EXPECT_FALSE(fs::exists(name));
    }
    auto folder = ErrorOf([&] { Save(PathIn("taken")); });
    EXPECT_EQ(folder.Number(), 75);
    EXPECT_EQ(folder.Description(), u"Path/File access error.");
    EXPECT_EQ(folder.Source(), u"");
    EXPECT_TRUE(fs::is_directory(PathIn("taken")));
}

TEST_F(PlayListFileTest, TheFilenamePropertyTellsTheContainerOnlyWhenSetDirectly) {
    Text name = u"lists/mine.m3u";
    list.SetFilename(name);
    EXPECT_EQ(list.Filename(), u"lists/mine.m3u");
    ASSERT_EQ(site.changedProperties, std::vector<Text>{u"FileName"});
    Save(PathIn("other.m3u"));
    EXPECT_EQ(list.Filename(), runtime::FromUtf8(PathIn("other.m3u")));
    EXPECT_EQ(site.changedProperties.size(), 1u);
}

TEST_F(PlayListFileTest, NonAsciiNamesTravelAsSystemText) {
    library->AddFile("/musik/Grüße – ünïcode.mp3", FrameInfo(12), TagBlock("Blau", "Anne"));
    Add("/musik/Grüße – ünïcode.mp3");
    fs::create_directory(PathIn("Müsik"));
    Save(PathIn("Müsik/liste ü.m3u"));
    EXPECT_EQ(Read(PathIn("Müsik/liste ü.m3u")), "#EXTM3U\r\n#EXTINF:12,Anne - Blau\r\n/musik/Grüße – ünïcode.mp3\r\n");
    list.Clear();
    list.LoadPlayList();
    EXPECT_EQ(Names(list), std::vector<std::string>{"/musik/Grüße – ünïcode.mp3"});
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
