// A play-list entry against the recording fake of the decoder library: how it
// reads and writes the 128-character tag block, how it takes the frame
// information, and what it raises.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "decoder/RecordingDecoderLibrary.h"
#include "playlist/PlayListEntry.h"
#include "runtime/AutomationError.h"

namespace corvane::playlist {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

std::string Fit(std::string text, size_t length, char fill) {
    text.resize(length, fill);
    return text;
}

struct TagFields {
    std::string title, artist, album, year, comment;
    unsigned char genre = 0;
};

// A tag block as files hold it: every field filled to its width with `fill`.
std::string TagBlock(const TagFields &f, char fill = '\0', const std::string &marker = "TAG") {
    return marker + Fit(f.title, 30, fill) + Fit(f.artist, 30, fill) + Fit(f.album, 30, fill) +
           Fit(f.year, 4, fill) + Fit(f.comment, 30, fill) + std::string(1, static_cast<char>(f.genre));
}

const std::string kFullFrameInfo =
    "1|3|245000|128000|44100|0|2|Joint Stereo|0|0|1|CBR|4000000|9000|245|417|3999583|10804608|scan";

const std::u16string kNotFoundText = u"Can't find specified file. (File not found)";

void ExpectRaise(const std::function<void()> &action, int32_t number, const std::u16string &description) {
    try {
        action();
        ADD_FAILURE() << "expected error " << number;
    } catch (const runtime::AutomationError &error) {
        EXPECT_EQ(error.Number(), number);
        EXPECT_EQ(error.Source(), u"CVMP3Player");
        EXPECT_EQ(error.Description(), description);
    }
}

class PlayListEntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake = std::make_shared<decoder::RecordingDecoderLibrary>();
        entry = std::make_shared<PlayListEntry>(fake);
    }

    // A file the fake knows, taken by the entry.
    int32_t Take(const std::string &path, const std::string &frameInfo, const std::string &tag = {}) {
        fake->AddFile(path, frameInfo, tag);
        std::u16string name = runtime::FromUtf8(path);
        return entry->SetFileName(name);
    }
    std::string FileTag(const std::string &path) { return fake->files.at(path).tag; }

    std::shared_ptr<decoder::RecordingDecoderLibrary> fake;
    std::shared_ptr<PlayListEntry> entry;
};

TEST_F(PlayListEntryTest, AFreshEntryHoldsNothing) {
    EXPECT_EQ(entry->Filename(), u"");
    EXPECT_EQ(entry->ChannelMode(), u"");
    EXPECT_EQ(entry->MPEGVersion(), u"0");
    EXPECT_EQ(entry->Layer(), u"0");
    EXPECT_EQ(entry->FileSize(), 0);
    EXPECT_EQ(entry->TrackLength(), 0);
    EXPECT_EQ(entry->DataRate(), 0);
    EXPECT_EQ(entry->Frames(), 0);
    EXPECT_EQ(entry->SampleRate(), 0);
    EXPECT_FALSE(entry->Copyrighted());
    EXPECT_FALSE(entry->CRCExists());
    EXPECT_FALSE(entry->Original());
    EXPECT_EQ(entry->Key(), u"");
    EXPECT_EQ(entry->Tag(), u"");
    EXPECT_THAT(fake->calls, IsEmpty());
}

TEST_F(PlayListEntryTest, AnEmptyNameIsRefusedWithoutAskingTheLibrary) {
    std::u16string none;
    EXPECT_EQ(entry->SetFileName(none), 53);
    EXPECT_EQ(entry->Filename(), u"");
    EXPECT_THAT(fake->calls, IsEmpty());
    EXPECT_EQ(entry->ReadTag(), 53);
    EXPECT_EQ(entry->WriteTag(), 53);
    EXPECT_EQ(entry->ReadFrameInfo(), 53);
    EXPECT_THAT(fake->calls, IsEmpty());
}

TEST_F(PlayListEntryTest, EveryTagMemberWithoutAFileRaisesFileNotFound) {
    std::u16string text = u"x";
    int16_t genre = 3;
    const std::vector<std::function<void()>> members = {
        [&] { entry->ID3Title(); },         [&] { entry->ID3Artist(); },         [&] { entry->ID3Album(); },
        [&] { entry->ID3Year(); },          [&] { entry->ID3Comment(); },        [&] { entry->ID3Genre(); },
        [&] { entry->SetID3Title(text); },  [&] { entry->SetID3Artist(text); },  [&] { entry->SetID3Album(text); },
        [&] { entry->SetID3Year(text); },   [&] { entry->SetID3Comment(text); }, [&] { entry->SetID3Genre(genre); },
    };
    for (const auto &member : members) ExpectRaise(member, 53, kNotFoundText);
    EXPECT_THAT(fake->calls, IsEmpty());
}

TEST_F(PlayListEntryTest, SetFileNameReportsEachKindOfRefusal) {
    struct Case {
        const char *what;
        int16_t tagResult, frameResult;
        int32_t expected;
        size_t frameCalls;
    };
    for (Case c : {Case{"not audio", 0, 0, 30075, 1}, Case{"frame info: no such file", 0, 53, 53, 1},
                   Case{"tag unreadable", 30074, 1, 30074, 0}, Case{"tag: no such file", 53, 1, 53, 0},
                   Case{"accepted", 0, 7, 0, 1}}) {
        SCOPED_TRACE(c.what);
        fake->ClearCalls();
        auto &file = fake->AddFile("/m/a.mp3", kFullFrameInfo);
        file.tagResult = c.tagResult;
        file.frameResult = c.frameResult;
        std::u16string name = u"/m/a.mp3";
        EXPECT_EQ(entry->SetFileName(name), c.expected);
        EXPECT_EQ(entry->Filename(), c.expected ? u"" : u"/m/a.mp3");
        EXPECT_THAT(fake->CallsNamed("get_id3_tag"), SizeIs(1));
        EXPECT_THAT(fake->CallsNamed("get_frame_info"), SizeIs(c.frameCalls));
        EXPECT_EQ(name, u"/m/a.mp3");
    }
}

TEST_F(PlayListEntryTest, AFileTheLibraryDoesNotKnowIsNotFound) {
    std::u16string name = u"/nowhere.mp3";
    EXPECT_EQ(entry->SetFileName(name), 53);
    EXPECT_EQ(entry->Filename(), u"");
}

TEST_F(PlayListEntryTest, AFailedFrameReadKeepsTheTagJustRead) {
    ASSERT_EQ(Take("/m/good.mp3", kFullFrameInfo), 0);
    auto &bad = fake->AddFile("/m/bad.mp3", "", TagBlock({"New", "", "", "", "", 5}));
    bad.frameResult = 0;
    std::u16string name = u"/m/bad.mp3";
    EXPECT_EQ(entry->SetFileName(name), 30075);
    EXPECT_EQ(entry->Filename(), u"");
    EXPECT_EQ(entry->TrackLength(), 245);  // the stream fields keep the previous file's values

    // The tag fields took the refused file's values: a file without a tag
    // leaves them alone, so writing to it shows what they hold.
    ASSERT_EQ(Take("/m/plain.mp3", kFullFrameInfo), 0);
    std::u16string year = u"2020";
    entry->SetID3Year(year);
    ASSERT_THAT(fake->writtenTags, SizeIs(1));
    EXPECT_EQ(fake->writtenTags[0], TagBlock({"New", "", "", "2020", "", 5}, ' '));
}

TEST_F(PlayListEntryTest, AllFifteenFrameFieldsAreTaken) {
    ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo), 0);
    EXPECT_EQ(entry->MPEGVersion(), u"1");
    EXPECT_EQ(entry->Layer(), u"3");
    EXPECT_EQ(entry->DataRate(), 128000);
    EXPECT_EQ(entry->SampleRate(), 44100);
    EXPECT_FALSE(entry->CRCExists());
    EXPECT_EQ(entry->ChannelMode(), u"Joint Stereo");
    EXPECT_FALSE(entry->Copyrighted());
    EXPECT_TRUE(entry->Original());
    EXPECT_EQ(entry->FileSize(), 4000000);
    EXPECT_EQ(entry->Frames(), 9000);
    EXPECT_EQ(entry->TrackLength(), 245);
    EXPECT_EQ(entry->Filename(), u"/m/a.mp3");
}

TEST_F(PlayListEntryTest, MissingFieldsKeepTheirPreviousValues) {
    ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo), 0);
    ASSERT_EQ(Take("/m/b.mp3", "2.5|2|1000|64000|22050|1|1|Single Channel|0|1|0|CBR|1000"), 0);
    EXPECT_EQ(entry->MPEGVersion(), u"2.5");
    EXPECT_EQ(entry->Layer(), u"2");
    EXPECT_EQ(entry->DataRate(), 64000);
    EXPECT_EQ(entry->SampleRate(), 22050);
    EXPECT_TRUE(entry->CRCExists());
    EXPECT_EQ(entry->ChannelMode(), u"Single Channel");
    EXPECT_TRUE(entry->Copyrighted());
    EXPECT_FALSE(entry->Original());
    EXPECT_EQ(entry->FileSize(), 1000);
    EXPECT_EQ(entry->Frames(), 9000);
    EXPECT_EQ(entry->TrackLength(), 245);
    EXPECT_EQ(entry->Filename(), u"/m/b.mp3");
}

TEST_F(PlayListEntryTest, AFieldThatDoesNotConvertIsLeftAlone) {
    ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo), 0);
    ASSERT_EQ(Take("/m/b.mp3", "two|x|0|fast|48000|maybe|2|Stereo|0|True|False|CBR|99999999999|12|70000"), 0);
    EXPECT_EQ(entry->MPEGVersion(), u"1");  // "two"
    EXPECT_EQ(entry->Layer(), u"3");        // "x"
    EXPECT_EQ(entry->DataRate(), 128000);   // "fast"
    EXPECT_EQ(entry->SampleRate(), 48000);
    EXPECT_FALSE(entry->CRCExists());      // "maybe"
    EXPECT_EQ(entry->ChannelMode(), u"Stereo");
    EXPECT_TRUE(entry->Copyrighted());     // the word True
    EXPECT_FALSE(entry->Original());       // the word False
    EXPECT_EQ(entry->FileSize(), 4000000);  // too large for 32 bits
    EXPECT_EQ(entry->Frames(), 12);
    EXPECT_EQ(entry->TrackLength(), 245);  // too large for 16 bits
}

TEST_F(PlayListEntryTest, TextAfterTheEndOfTheFrameInformationIsIgnored) {
    const std::string info("1|3|0|128000|44100|0|2|Stereo|0|0|1|CBR|500|10\0|77", 50);
    ASSERT_EQ(Take("/m/a.mp3", info), 0);
    EXPECT_EQ(entry->Frames(), 10);
    EXPECT_EQ(entry->TrackLength(), 0);
}

TEST_F(PlayListEntryTest, StreamPropertiesNeverCallTheLibrary) {
    ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo), 0);
    fake->ClearCalls();
    entry->ChannelMode();
    entry->MPEGVersion();
    entry->Layer();
    entry->FileSize();
    entry->TrackLength();
    entry->Frames();
    entry->DataRate();
    entry->SampleRate();
    entry->Copyrighted();
    entry->CRCExists();
    entry->Original();
    entry->Filename();
    EXPECT_THAT(fake->calls, IsEmpty());
}

TEST_F(PlayListEntryTest, NullsInTheTagBecomeSpacesAndGetsTrimThem) {
    ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo, TagBlock({"Abcd", "  Two Sides ", "Album", "1999", "Note", 17})), 0);
    EXPECT_EQ(entry->ID3Title(), u"Abcd");
    EXPECT_EQ(entry->ID3Artist(), u"Two Sides");
    EXPECT_EQ(entry->ID3Album(), u"Album");
    EXPECT_EQ(entry->ID3Year(), u"1999");
    EXPECT_EQ(entry->ID3Comment(), u"Note");
    EXPECT_EQ(entry->ID3Genre(), 17);
}

TEST_F(PlayListEntryTest, ATrackNumberInTheCommentReadsAsPartOfIt) {
    std::string tag = TagBlock({"T", "", "", "", "Good one", 0});
    tag[125] = '\0';
    tag[126] = '\x07';
    ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo, tag), 0);
    std::u16string expected = u"Good one" + std::u16string(21, u' ') + u"\x07";
    EXPECT_EQ(entry->ID3Comment(), expected);
}

TEST_F(PlayListEntryTest, OnlyTheExactMarkerMakesABlockATag) {
    for (const char *marker : {"tag", "TAg", "TA ", "XYZ", "\0\0\0"}) {
        SCOPED_TRACE(marker);
        fake->AddFile("/m/a.mp3", kFullFrameInfo, TagBlock({"Old", "", "", "", "", 3}));
        std::u16string name = u"/m/a.mp3";
        ASSERT_EQ(entry->SetFileName(name), 0);
        fake->files.at("/m/a.mp3").tag = TagBlock({"New", "", "", "", "", 9}, ' ', std::string(marker, 3));
        EXPECT_EQ(entry->ID3Title(), u"Old");
        EXPECT_EQ(entry->ID3Genre(), 3);
    }
}

TEST_F(PlayListEntryTest, EveryTagGetReadsTheFileAgain) {
    ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo, TagBlock({"First", "", "", "", ""})), 0);
    fake->ClearCalls();
    EXPECT_EQ(entry->ID3Title(), u"First");
    fake->files.at("/m/a.mp3").tag = TagBlock({"Second", "", "", "", ""});
    EXPECT_EQ(entry->ID3Title(), u"Second");
    entry->ID3Artist();
    entry->ID3Genre();
    EXPECT_THAT(fake->CallsNamed("get_id3_tag"), SizeIs(4));
    EXPECT_THAT(fake->CallsNamed("set_id3_tag"), IsEmpty());
}

TEST_F(PlayListEntryTest, TagReadErrorsAreRaisedWithTheCatalogueText) {
    ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo, TagBlock({"T", "", "", "", ""})), 0);
    fake->files.at("/m/a.mp3").tagResult = 30074;
    ExpectRaise([&] { entry->ID3Title(); }, 30074, u"Can't access file. File may be locked by another application.");
    ExpectRaise([&] { entry->ID3Genre(); }, 30074, u"Can't access file. File may be locked by another application.");
    fake->files.at("/m/a.mp3").tagResult = 31000;
    ExpectRaise([&] { entry->ID3Year(); }, 31000, u"Unknown error.");
}

TEST_F(PlayListEntryTest, ALongTitleIsStoredWholeButWrittenAsThirty) {
    ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo, TagBlock({"Old", "Artist", "", "", ""})), 0);
    std::u16string title = u"0123456789012345678901234567890123456789";
    entry->SetID3Title(title);
    EXPECT_EQ(title, u"0123456789012345678901234567890123456789");
    ASSERT_THAT(fake->writtenTags, SizeIs(1));
    EXPECT_EQ(fake->writtenTags[0].substr(3, 30), "012345678901234567890123456789");
    EXPECT_EQ(fake->writtenTags[0].substr(33, 30), Fit("Artist", 30, ' '));
    EXPECT_EQ(entry->ID3Title(), u"012345678901234567890123456789");
}

TEST_F(PlayListEntryTest, AWriteBuildsTheWholeBlockFromTheStoredFields) {
    ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo, TagBlock({"Title", "Artist", "Album", "2001", "Comment", 13})), 0);
    std::u16string year = u"19999";
    entry->SetID3Year(year);
    std::u16string comment = u"Hi";
    entry->SetID3Comment(comment);
    ASSERT_THAT(fake->writtenTags, SizeIs(2));
    EXPECT_EQ(fake->writtenTags[1], TagBlock({"Title", "Artist", "Album", "1999", "Hi", 13}, ' '));
    EXPECT_EQ(FileTag("/m/a.mp3"), fake->writtenTags[1]);
}

TEST_F(PlayListEntryTest, AYearOnAFileWithoutATagWritesSpacesAndGenreZero) {
    ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo), 0);
    std::u16string year = u"1984";
    entry->SetID3Year(year);
    ASSERT_THAT(fake->writtenTags, SizeIs(1));
    // Genre 0 is a NUL byte, so the fake sees the block end before it.
    EXPECT_EQ(fake->writtenTags[0], "TAG" + std::string(90, ' ') + "1984" + std::string(30, ' '));
    EXPECT_EQ(FileTag("/m/a.mp3"), "TAG" + std::string(90, ' ') + "1984" + std::string(30, ' ') + '\0');
    EXPECT_EQ(entry->ID3Year(), u"1984");
    EXPECT_EQ(entry->ID3Genre(), 0);
}

TEST_F(PlayListEntryTest, TagTextCrossesAsOneBytePerCharacter) {
    ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo, TagBlock({"Caf\xe9", "", "", "", "", 8})), 0);
    EXPECT_EQ(entry->ID3Title(), u"Caf\u00e9");
    std::u16string artist = u"Bj\u00f6rk \u4e00";  // a character without a byte becomes '?'
    entry->SetID3Artist(artist);
    ASSERT_THAT(fake->writtenTags, SizeIs(1));
    EXPECT_THAT(fake->writtenTags[0], SizeIs(128));
    EXPECT_EQ(fake->writtenTags[0].substr(3, 5), "Caf\xe9 ");
    EXPECT_EQ(fake->writtenTags[0].substr(33, 8), "Bj\xf6rk ? ");
}

TEST_F(PlayListEntryTest, AGenreAbove149ReadsAs149AndIsWrittenSo) {
    ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo, TagBlock({"T", "", "", "", "", 255})), 0);
    EXPECT_EQ(entry->ID3Genre(), 149);
    std::u16string title = u"U";
    entry->SetID3Title(title);
    ASSERT_THAT(fake->writtenTags, SizeIs(1));
    EXPECT_EQ(static_cast<unsigned char>(fake->writtenTags[0][127]), 149);
}

TEST_F(PlayListEntryTest, OnlyGenresAbove149AreLowered) {
    for (int genre : {0, 148, 149, 150}) {
        fake->AddFile("/m/a.mp3", kFullFrameInfo, TagBlock({"T", "", "", "", "", static_cast<unsigned char>(genre)}));
        std::u16string name = u"/m/a.mp3";
        ASSERT_EQ(entry->SetFileName(name), 0);
        EXPECT_EQ(entry->ID3Genre(), genre > 149 ? 149 : genre);
    }
}

TEST_F(PlayListEntryTest, AGenreOutsideAByteWritesABlockWithoutIt) {
    ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo, TagBlock({"T", "", "", "", "", 7})), 0);
    int16_t genre = 300;
    entry->SetID3Genre(genre);
    EXPECT_EQ(genre, 300);
    ASSERT_THAT(fake->writtenTags, SizeIs(1));
    EXPECT_EQ(fake->writtenTags[0], TagBlock({"T", "", "", "", ""}, ' ').substr(0, 127));
    // The file's genre byte is zero where no genre character was sent.
    EXPECT_EQ(entry->ID3Genre(), 0);

    genre = -1;
    entry->SetID3Genre(genre);
    EXPECT_THAT(fake->writtenTags.back(), SizeIs(127));
    genre = 255;
    entry->SetID3Genre(genre);
    EXPECT_EQ(static_cast<unsigned char>(fake->writtenTags.back().at(127)), 255);
}

TEST_F(PlayListEntryTest, AFailedWriteRaisesAndKeepsTheNewValue) {
    ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo), 0);  // no tag: a get leaves the fields alone
    fake->files.at("/m/a.mp3").writeResult = 75;
    std::u16string album = u"Kept";
    ExpectRaise([&] { entry->SetID3Album(album); }, 75, u"Path/File access error.");
    EXPECT_EQ(entry->ID3Album(), u"Kept");
    int16_t genre = 12;
    ExpectRaise([&] { entry->SetID3Genre(genre); }, 75, u"Path/File access error.");
    EXPECT_EQ(entry->ID3Genre(), 12);
}

TEST_F(PlayListEntryTest, ALetStoresTheHostsTextAsGiven) {
    ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo), 0);
    std::u16string comment = u"  padded  ";
    entry->SetID3Comment(comment);
    EXPECT_EQ(fake->writtenTags.back().substr(97, 30), Fit("  padded  ", 30, ' '));
    EXPECT_EQ(entry->ID3Comment(), u"padded");
}

TEST_F(PlayListEntryTest, GenreListNamesTheGenreAndLeavesTheArgument) {
    struct Case {
        int16_t genre;
        const char16_t *name;
    };
    for (Case c : {Case{14, u"R&B"}, Case{148, u"Unknown"}, Case{200, u""}, Case{-1, u""}}) {
        int16_t genre = c.genre;
        EXPECT_EQ(entry->GenreList(genre), c.name);
        EXPECT_EQ(genre, c.genre);
    }
    EXPECT_THAT(fake->calls, IsEmpty());
}

TEST_F(PlayListEntryTest, KeyAndTagTextAreKeptAsGiven) {
    std::u16string key = u"First Key";
    entry->SetKey(key);
    entry->SetTag(u"anything at all");
    EXPECT_EQ(entry->Key(), u"First Key");
    EXPECT_EQ(entry->Tag(), u"anything at all");
    EXPECT_THAT(fake->calls, IsEmpty());
}

TEST_F(PlayListEntryTest, MPEGVersionIsTheShortestText) {
    struct Case {
        const char *field;
        const char16_t *text;
    };
    for (Case c : {Case{"1", u"1"}, Case{"2", u"2"}, Case{"2.5", u"2.5"}, Case{"1.1", u"1.1"}}) {
        ASSERT_EQ(Take("/m/a.mp3", std::string(c.field) + "|3"), 0);
        EXPECT_EQ(entry->MPEGVersion(), c.text);
    }
}

}  // namespace
}  // namespace corvane::playlist
