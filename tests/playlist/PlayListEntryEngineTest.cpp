// A play-list entry over the real decoder library and the generated audio
// files: it reports what each encoder was told, and a tag written through one
// entry reads back through a fresh one without touching the audio data.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "decoder/DynamicDecoderLibrary.h"
#include "playlist/PlayListEntry.h"
#include "runtime/Text.h"
#include "support/Fixtures.h"
#include "support/Paths.h"

namespace corvane::playlist {
namespace {

namespace fs = std::filesystem;
using corvane::testing::AudioFixture;
using corvane::testing::FixturePath;
using runtime::Text;

std::string ReadBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class PlayListEntryEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        engine = std::make_shared<decoder::DynamicDecoderLibrary>(corvane::testing::EnginePath());
    }
    static void TearDownTestSuite() { engine.reset(); }

    // A fresh entry that has taken the file, or null with a failure.
    static std::unique_ptr<PlayListEntry> EntryOver(const std::string &path) {
        auto entry = std::make_unique<PlayListEntry>(engine);
        Text name = runtime::FromSystemText(path);
        const int32_t result = entry->SetFileName(name);
        EXPECT_EQ(result, 0) << path;
        return result == 0 ? std::move(entry) : nullptr;
    }

    static inline std::shared_ptr<decoder::DynamicDecoderLibrary> engine;
};

void ExpectStreamFields(PlayListEntry &entry, const AudioFixture &f, const std::string &path) {
    EXPECT_EQ(entry.MPEGVersion(), runtime::FromAscii(f.version));
    EXPECT_EQ(entry.Layer(), runtime::ToText(static_cast<int64_t>(f.layer)));
    EXPECT_EQ(entry.SampleRate(), f.sampleRate);
    EXPECT_EQ(entry.ChannelMode(), runtime::FromAscii(f.channelMode));
    EXPECT_EQ(entry.CRCExists(), f.crc);
    EXPECT_EQ(entry.Copyrighted(), f.copyright);
    EXPECT_EQ(entry.Original(), f.original);
    if (f.bitrate != 0) {
        EXPECT_EQ(entry.DataRate(), f.bitrate);
    } else {
        EXPECT_GT(entry.DataRate(), 0);
    }
    EXPECT_EQ(entry.FileSize(), static_cast<int32_t>(fs::file_size(path)));
    if (f.exactFrames != 0) {
        EXPECT_EQ(entry.Frames(), f.exactFrames);
    } else {
        // Each frame holds SamplesPerFrame samples; the encoder adds at most
        // a few frames of delay and padding.
        const double sourceFrames = static_cast<double>(f.SourceSamples()) / f.SamplesPerFrame();
        EXPECT_GE(entry.Frames(), static_cast<int32_t>(sourceFrames));
        EXPECT_LE(entry.Frames(), static_cast<int32_t>(sourceFrames) + 4);
    }
    EXPECT_NEAR(entry.TrackLength(), f.sourceSeconds, 1.0);
}

void ExpectTagFields(PlayListEntry &entry, const AudioFixture &f) {
    const bool tagged = f.tags != corvane::testing::FixtureTags::None;
    EXPECT_EQ(entry.ID3Title(), tagged ? runtime::FromLatin1(f.tag.title) : Text());
    EXPECT_EQ(entry.ID3Artist(), tagged ? runtime::FromLatin1(f.tag.artist) : Text());
    EXPECT_EQ(entry.ID3Album(), tagged ? runtime::FromLatin1(f.tag.album) : Text());
    EXPECT_EQ(entry.ID3Year(), tagged ? runtime::FromLatin1(f.tag.year) : Text());
    // A tag's comment holds at most 30 characters.
    EXPECT_EQ(entry.ID3Comment(), tagged ? runtime::FromLatin1(std::string(f.tag.comment).substr(0, 30)) : Text());
    EXPECT_EQ(entry.ID3Genre(), tagged ? f.tag.genre : 0);
}

TEST_F(PlayListEntryEngineTest, EachFixtureReportsWhatItsEncoderWasTold) {
    ASSERT_FALSE(corvane::testing::AudioFixtures().empty());
    for (const AudioFixture &f : corvane::testing::AudioFixtures()) {
        SCOPED_TRACE(f.name);
        const std::string path = FixturePath(f.name);
        auto entry = EntryOver(path);
        if (!entry) continue;
        EXPECT_EQ(entry->Filename(), runtime::FromSystemText(path));
        ExpectStreamFields(*entry, f, path);
        ExpectTagFields(*entry, f);
    }
}

TEST_F(PlayListEntryEngineTest, FilesThatAreNotAudioAreRefused) {
    for (const auto &bad : corvane::testing::BadFixtures()) {
        SCOPED_TRACE(bad.name);
        PlayListEntry entry(engine);
        Text name = runtime::FromSystemText(FixturePath(bad.name));
        const int32_t expected = bad.tagResult != 0 ? bad.tagResult : bad.frameInfoResult == 0 ? 30075 : bad.frameInfoResult;
        EXPECT_EQ(entry.SetFileName(name), expected);
        EXPECT_EQ(entry.Filename(), Text());
    }
}

TEST_F(PlayListEntryEngineTest, AWrittenTagReadsBackAndLeavesTheAudioAlone) {
    struct Case {
        const char *fixture;
        bool hadTag;
    };
    const std::string scratch = corvane::testing::MakeScratchDir("entry-tag");
    for (Case c : {Case{"l3_mpeg1_cbr128_joint_v1.mp3", true}, Case{"l3_mpeg1_cbr192_stereo.mp3", false},
                   Case{"l3_mpeg1_vbr_xing_v2.mp3", false}}) {
        SCOPED_TRACE(c.fixture);
        const std::string original = FixturePath(c.fixture);
        const std::string copy = scratch + "/" + c.fixture;
        fs::copy_file(original, copy, fs::copy_options::overwrite_existing);
        const std::string before = ReadBytes(copy);
        const size_t audioBytes = before.size() - (c.hadTag ? 128 : 0);

        auto writer = EntryOver(copy);
        ASSERT_NE(writer, nullptr);
        const int32_t framesBefore = writer->Frames();
        Text title = u"Written Through An Entry, Cut Here";
        Text artist = u"Bj\u00f6rk";
        Text year = u"1987";
        int16_t genre = 17;
        writer->SetID3Title(title);
        writer->SetID3Artist(artist);
        writer->SetID3Year(year);
        writer->SetID3Genre(genre);

        auto reader = EntryOver(copy);
        ASSERT_NE(reader, nullptr);
        EXPECT_EQ(reader->ID3Title(), u"Written Through An Entry, Cut");
        EXPECT_EQ(reader->ID3Artist(), u"Bj\u00f6rk");
        EXPECT_EQ(reader->ID3Year(), u"1987");
        EXPECT_EQ(reader->ID3Genre(), 17);
        EXPECT_EQ(reader->Frames(), framesBefore);

        const std::string after = ReadBytes(copy);
        ASSERT_EQ(after.size(), audioBytes + 128);
        EXPECT_EQ(after.compare(0, audioBytes, before, 0, audioBytes), 0) << "the audio data changed";
        EXPECT_EQ(after.substr(audioBytes, 3), "TAG");

        // A genre without a character reaches the file as 0, the rest intact.
        genre = 300;
        reader->SetID3Genre(genre);
        EXPECT_EQ(EntryOver(copy)->ID3Genre(), 0);
        EXPECT_EQ(reader->ID3Title(), u"Written Through An Entry, Cut");
        EXPECT_EQ(ReadBytes(copy).size(), audioBytes + 128);
    }
    fs::remove_all(scratch);
}

}  // namespace
}  // namespace corvane::playlist
