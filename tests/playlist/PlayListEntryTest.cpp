// A play-list entry against the recording fake of the decoder library: how it
// reads and writes the 128-character tag block, how it takes the frame
// information, and what it raises.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <tuple>

#include "playlist/PlayListEntry.h"
#include "support/Fixtures.h"
#include "support/Raises.h"
#include "support/RecordingDecoderLibrary.h"

namespace corvane::playlist {
namespace {

using testing::TagBlock;

const std::string kFullFrameInfo =
    "1|3|245000|128000|44100|0|2|Joint Stereo|0|0|1|CBR|4000000|9000|245|417|3999583|10804608|scan";

// Every stream property of an entry, in one text: version, layer, data rate,
// sample rate, CRC, channel mode, copyright, original, size, frames, length.
std::string StreamOf(const PlayListEntry &e) {
    std::ostringstream out;
    out << runtime::ToUtf8(e.MPEGVersion()) << "|" << runtime::ToUtf8(e.Layer()) << "|" << e.DataRate() << "|"
        << e.SampleRate() << "|" << e.CRCExists() << "|" << runtime::ToUtf8(e.ChannelMode()) << "|" << e.Copyrighted()
        << "|" << e.Original() << "|" << e.FileSize() << "|" << e.Frames() << "|" << e.TrackLength();
    return out.str();
}

class PlayListEntryTest : public ::testing::Test {
protected:
    // A file the fake knows, taken by the entry.
    int32_t Take(const std::string &path, const std::string &frameInfo, const std::string &tag = {}) {
        fake->AddFile(path, frameInfo, tag);
        std::u16string name = runtime::FromUtf8(path);
        return entry->SetFileName(name);
    }
    decoder::RecordingDecoderLibrary::File &FileOf(const std::string &path) { return fake->files.at(path); }

    std::shared_ptr<decoder::RecordingDecoderLibrary> fake = std::make_shared<decoder::RecordingDecoderLibrary>();
    std::shared_ptr<PlayListEntry> entry = std::make_shared<PlayListEntry>(fake);
};

TEST_F(PlayListEntryTest, WithoutAFileStreamFieldsAreEmptyAndTagMembersRaiseFileNotFound) {
    EXPECT_EQ(StreamOf(*entry), "0|0|0|0|0||0|0|0|0|0");
    EXPECT_EQ(entry->Key() + entry->Tag(), u"");

    std::u16string none;
    EXPECT_EQ(entry->SetFileName(none), 53);
    EXPECT_EQ(std::tuple(entry->ReadTag(), entry->WriteTag(), entry->ReadFrameInfo()), std::tuple(53, 53, 53));

    std::u16string text = u"x";
    int16_t genre = 3;
    const std::vector<std::function<void()>> members = {
        [&] { entry->ID3Comment(); }, [&] { entry->ID3Genre(); }, [&] { entry->SetID3Album(text); },
        [&] { entry->SetID3Genre(genre); }};
    for (const auto &member : members)
        testing::ExpectError(testing::ErrorOf(member), 53, u"Can't find specified file. (File not found)", u"CVMP3Player");
    EXPECT_TRUE(fake->calls.empty());
}

TEST_F(PlayListEntryTest, SetFileNameReportsEachKindOfRefusal) {
    struct Case { const char *what; int16_t tagResult, frameResult; int32_t expected; size_t frameCalls; };
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
        EXPECT_EQ(fake->CallsNamed("get_id3_tag").size(), 1u);
        EXPECT_EQ(fake->CallsNamed("get_frame_info").size(), c.frameCalls);
        EXPECT_EQ(name, u"/m/a.mp3");
    }
}

// Each row is taken after the full text, so a field that is missing, or
// does not convert, shows the full text's value.
TEST_F(PlayListEntryTest, FrameFieldsAreTakenWhereTheyConvert) {
    struct Case { const char *what; std::string info, expected; };
    const Case cases[] = {
        {"all fields", kFullFrameInfo, "1|3|128000|44100|0|Joint Stereo|0|1|4000000|9000|245"},
        {"only 13 fields", "2.5|2|1000|64000|22050|1|1|Single Channel|0|1|0|CBR|1000",
         "2.5|2|64000|22050|1|Single Channel|1|0|1000|9000|245"},
        // A size beyond 32 bits reads as the largest 32-bit one.
        {"unconvertible and out of range",
         "two|x|0|fast|48000|maybe|2|Stereo|0|True|False|CBR|99999999999|12|70000",
         "1|3|128000|48000|0|Stereo|1|0|2147483647|12|245"},
        {"text after the terminating null", std::string("1.1|3|0|128000|44100|0|2|Stereo|0|0|1|CBR|500|10\0|77", 52),
         "1.1|3|128000|44100|0|Stereo|0|1|500|10|245"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(Take("/m/full.mp3", kFullFrameInfo), 0);
        ASSERT_EQ(Take("/m/a.mp3", c.info), 0);
        fake->ClearCalls();
        EXPECT_EQ(StreamOf(*entry), c.expected);
        EXPECT_TRUE(fake->calls.empty()) << "stream properties never call the library";
    }
}

// Every get reads the file again: nulls become spaces and the texts are
// trimmed, a block without the exact marker leaves the fields alone, and a
// failed read raises its number.
TEST_F(PlayListEntryTest, EveryTagGetReadsTheFileAgain) {
    std::string tag = TagBlock({"Abcd", "  Two Sides ", "Album", "1999", "Good one", 17});
    tag[126] = '\x07';  // a track number after a null in the comment is part of it
    ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo, tag), 0);
    fake->ClearCalls();
    EXPECT_EQ(std::tuple(entry->ID3Title(), entry->ID3Artist(), entry->ID3Album(), entry->ID3Year(), entry->ID3Genre()),
              std::tuple(u"Abcd", u"Two Sides", u"Album", u"1999", 17));
    EXPECT_EQ(entry->ID3Comment(), u"Good one" + std::u16string(21, u' ') + u"\x07");
    EXPECT_EQ(fake->CallsNamed("get_id3_tag").size(), 6u);
    for (const char *marker : {"tag", "TA ", "\0\0\0"}) {
        FileOf("/m/a.mp3").tag = TagBlock({"New", "", "", "", "", 9}, ' ', std::string(marker, 3));
        EXPECT_EQ(entry->ID3Title(), u"Abcd") << marker;
        EXPECT_EQ(entry->ID3Genre(), 17) << marker;
    }
    FileOf("/m/a.mp3").tag = TagBlock({"Second", "", "", "", ""});
    EXPECT_EQ(entry->ID3Title(), u"Second");
    EXPECT_TRUE(fake->CallsNamed("set_id3_tag").empty());
    FileOf("/m/a.mp3").tagResult = 31000;
    EXPECT_EQ(testing::ErrorOf([&] { entry->ID3Year(); }).Number(), 31000);
}

// A write builds the whole block from the stored fields, one byte per
// character ('?' for one without a byte), each cut to its width.
TEST_F(PlayListEntryTest, AWriteSendsTheWholeBlockFromTheStoredFields) {
    ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo, TagBlock({"Title", "Caf\xe9", "Album", "2001", "Comment", 13})), 0);
    EXPECT_EQ(entry->ID3Artist(), u"Caf\u00e9");
    std::u16string title = u"0123456789012345678901234567890123456789", year = u"19999", comment = u"  padded  ";
    entry->SetID3Title(title);
    EXPECT_EQ(title, u"0123456789012345678901234567890123456789");
    entry->SetID3Year(year);
    entry->SetID3Comment(comment);  // stored and written as given
    ASSERT_EQ(fake->writtenTags.size(), 3u);
    EXPECT_EQ(fake->writtenTags[2], TagBlock({"012345678901234567890123456789", "Caf\xe9", "Album", "1999", "  padded  ", 13}, ' '));
    EXPECT_EQ(entry->ID3Comment(), u"padded");
    // Characters beyond 8 bits, a surrogate pair and a combining mark among
    // them, are one '?' each and move no other field.
    std::u16string artist = u"Bj\u00f6rk \u4e00 \U0001F3B5 e\u0301" + std::u16string(30, u'x');
    entry->SetID3Artist(artist);
    EXPECT_EQ(fake->writtenTags.back(), TagBlock({"012345678901234567890123456789", "Bj\xf6rk ? ? e?xxxxxxxxxxxxxxxxxx",
                                                  "Album", "1999", "  padded  ", 13}, ' '));

    // A fresh entry on a file without a tag: spaces, and genre 0, which ends the block early.
    entry = std::make_shared<PlayListEntry>(fake);
    ASSERT_EQ(Take("/m/plain.mp3", kFullFrameInfo), 0);
    year = u"1984";
    entry->SetID3Year(year);
    EXPECT_EQ(fake->writtenTags.back(), "TAG" + std::string(90, ' ') + "1984" + std::string(30, ' '));
    EXPECT_EQ(entry->ID3Genre(), 0);
}

TEST_F(PlayListEntryTest, GenresAbove149ReadAs149AndOnesOutsideAByteAreLeftOut) {
    for (int genre : {148, 149, 150, 255}) {
        ASSERT_EQ(Take("/m/a.mp3", kFullFrameInfo, TagBlock({"T", "", "", "", "", static_cast<unsigned char>(genre)})), 0);
        EXPECT_EQ(entry->ID3Genre(), std::min(genre, 149)) << genre;
        std::u16string title = u"U";
        entry->SetID3Title(title);
        EXPECT_EQ(static_cast<unsigned char>(FileOf("/m/a.mp3").tag.at(127)), std::min(genre, 149)) << genre;
    }
    for (int16_t genre : {300, -1}) {
        entry->SetID3Genre(genre);
        EXPECT_EQ(fake->writtenTags.back(), TagBlock({"U", "", "", "", ""}, ' ').substr(0, 127)) << genre;
        EXPECT_EQ(entry->ID3Genre(), 0);  // the file's byte is zero where no genre character was sent
    }
    int16_t genre = 255;
    entry->SetID3Genre(genre);
    EXPECT_EQ(static_cast<unsigned char>(fake->writtenTags.back().at(127)), 255);
}

}  // namespace
}  // namespace corvane::playlist
