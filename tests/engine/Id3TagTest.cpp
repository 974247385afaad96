// Reading and writing the ID3v1 tag block through the file entry points.
#include "engine/FileEntryPoints.h"
#include "engine/Id3Tag.h"
#include "support/Fixtures.h"
#include "support/Paths.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace corvane::engine {
namespace {

using testing::FixturePath;
namespace fs = std::filesystem;

std::string ReadAll(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint64_t Fnv1a(std::string_view bytes) {
    uint64_t hash = 1469598103934665603ull;
    for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

// A field of a block with its NUL filling removed.
std::string FieldOf(const char *block, size_t at, size_t width) { return std::string(block + at, strnlen(block + at, width)); }

struct TagRead {
    int16_t result;
    std::string block;
};

TagRead ReadTag(const std::string &path) {
    char buffer[129];
    std::memset(buffer, 'x', sizeof buffer);
    const int16_t result = GetId3Tag(path.c_str(), buffer);
    EXPECT_EQ(buffer[128], '\0');
    return {result, std::string(buffer, 128)};
}

class ScratchFile : public ::testing::Test {
protected:
    void SetUp() override { dir_ = testing::MakeScratchDir("id3tag"); }
    void TearDown() override {
        if (!HasFailure()) fs::remove_all(dir_);
    }
    std::string CopyOf(const std::string &fixture) {
        const std::string path = dir_ + "/" + fixture;
        fs::copy_file(FixturePath(fixture), path, fs::copy_options::overwrite_existing);
        return path;
    }
    std::string dir_;
};

TEST(Id3Tag, FixtureTagsReadBack) {
    for (const auto &f : testing::AudioFixtures()) {
        const TagRead read = ReadTag(FixturePath(f.name));
        ASSERT_EQ(read.result, 0) << f.name;
        const char *b = read.block.data();
        if (f.tags == testing::FixtureTags::None) {
            EXPECT_EQ(read.block, std::string(128, '\0')) << f.name;
            continue;
        }
        EXPECT_EQ(read.block.substr(0, 3), "TAG") << f.name;
        EXPECT_EQ(FieldOf(b, 3, 30), f.tag.title) << f.name;
        EXPECT_EQ(FieldOf(b, 33, 30), f.tag.artist) << f.name;
        EXPECT_EQ(FieldOf(b, 63, 30), f.tag.album) << f.name;
        EXPECT_EQ(FieldOf(b, 93, 4), f.tag.year) << f.name;
        EXPECT_EQ(FieldOf(b, 97, 30), f.tag.comment) << f.name;
        EXPECT_EQ(static_cast<unsigned char>(b[127]), f.tag.genre) << f.name;
    }
}

TEST(Id3Tag, BadFilesGiveTheirNumber) {
    for (const auto &bad : testing::BadFixtures()) {
        EXPECT_EQ(ReadTag(FixturePath(bad.name)).result, bad.tagResult) << bad.name;
    }
    TagBlock block = BuildTagBlock({});
    EXPECT_EQ(SetId3Tag(FixturePath("bad_folder.mp3").c_str(), block.data()), 75);
    EXPECT_EQ(SetId3Tag(FixturePath("no_such_file.mp3").c_str(), block.data()), 53);
    EXPECT_EQ(SetId3Tag("", block.data()), 53);
    EXPECT_EQ(GetId3Tag(nullptr, nullptr), 57);
}

std::vector<std::string> FrameInfoWithoutSize(const std::string &path) {
    char text[201];
    EXPECT_EQ(GetFrameInfo(path.c_str(), text), 1);
    std::vector<std::string> fields;
    std::stringstream stream(text);
    for (std::string field; std::getline(stream, field, '|');) fields.push_back(field);
    fields.at(12).clear();  // the file's size
    return fields;
}

// A tag replaces the file's block or is appended after the audio; nothing
// before it changes, and the frame information is the same but for the size.
TEST_F(ScratchFile, AWriteReplacesOrAppendsTheBlockAndKeepsEverythingBeforeIt) {
    struct Case {
        const char *fixture;
        int genre;
        size_t grows;
    };
    for (const Case &c : {Case{"l3_mpeg1_cbr128_joint_v1.mp3", 0, 0}, Case{"l3_mpeg1_cbr128_joint_v1.mp3", 255, 0},
                          Case{"l3_mpeg1_cbr192_stereo.mp3", 148, 128}, Case{"l3_mpeg1_vbr_noxing.mp3", 1, 128}}) {
        SCOPED_TRACE(c.fixture);
        const std::string path = CopyOf(c.fixture), before = ReadAll(path);
        const auto info = FrameInfoWithoutSize(path);
        const size_t audio = before.size() - (c.grows ? 0 : 128);
        const TagBlock block = BuildTagBlock({std::string(40, 'T'), "Artist", "Album", "2025", "Comment", c.genre});
        ASSERT_EQ(SetId3Tag(path.c_str(), block.data()), 0);
        const std::string after = ReadAll(path);
        ASSERT_EQ(after.size(), before.size() + c.grows);
        EXPECT_EQ(Fnv1a(std::string_view(after).substr(0, audio)), Fnv1a(std::string_view(before).substr(0, audio)));
        EXPECT_EQ(ReadTag(path).block, std::string(block.data(), 128));
        EXPECT_EQ(FieldOf(block.data(), 3, 30), std::string(30, 'T'));
        EXPECT_EQ(FrameInfoWithoutSize(path), info);
        // A second write replaces the block; one without the marker is written with it.
        std::string unmarked(128, ' ');
        unmarked.replace(0, 3, "XYZ");
        ASSERT_EQ(SetId3Tag(path.c_str(), unmarked.c_str()), 0);
        EXPECT_EQ(fs::file_size(path), before.size() + c.grows);
        EXPECT_EQ(ReadTag(path).block.substr(0, 4), "TAG ");
    }
}

TEST_F(ScratchFile, ReadOnlyFileIsRefusedAndUnchanged) {
    for (const char *fixture : {"l3_mpeg1_cbr128_joint_v1.mp3", "l3_mpeg1_cbr192_stereo.mp3"}) {
        const std::string path = CopyOf(fixture);
        fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        const uint64_t before = Fnv1a(ReadAll(path));
        EXPECT_EQ(SetId3Tag(path.c_str(), BuildTagBlock({"x", "y", "z", "1", "c", 1}).data()), 75) << fixture;
        EXPECT_EQ(Fnv1a(ReadAll(path)), before) << fixture;
        EXPECT_EQ(ReadTag(path).result, 0) << "a read-only file can still be read";
        fs::permissions(path, fs::perms::owner_all);  // so that the folder can go
    }
}

#ifndef _WIN32  // Windows locking is checked by the C client of the library
TEST_F(ScratchFile, FileLockedByAnotherOwnerGives30074) {
    const std::string path = CopyOf("l3_mpeg1_cbr128_joint_v1.mp3");
    const uint64_t before = Fnv1a(ReadAll(path));
    const TagBlock block = BuildTagBlock({"x", "y", "z", "1", "c", 1});
    {   // An open-file-description lock conflicts like another process's record lock.
        const int holder = ::open(path.c_str(), O_RDWR);
        ASSERT_GE(holder, 0);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        ASSERT_EQ(::fcntl(holder, F_OFD_SETLK, &lock), 0);
        EXPECT_EQ(SetId3Tag(path.c_str(), block.data()), 30074);
        EXPECT_EQ(ReadTag(path).result, 30074);
        ::close(holder);
    }
    {
        const int holder = ::open(path.c_str(), O_RDONLY);
        ASSERT_GE(holder, 0);
        ASSERT_EQ(::flock(holder, LOCK_EX), 0);
        EXPECT_EQ(SetId3Tag(path.c_str(), block.data()), 30074);
        ::close(holder);
    }
    EXPECT_EQ(Fnv1a(ReadAll(path)), before);
    EXPECT_EQ(SetId3Tag(path.c_str(), block.data()), 0) << "the locks are gone";
}

#endif

TEST(Id3Tag, Id3v2TextConversion) {
    EXPECT_EQ(Utf8ToLatin1("plain"), "plain");
    EXPECT_EQ(Utf8ToLatin1("Caf\xC3\xA9"), "Caf\xE9");
    EXPECT_EQ(Utf8ToLatin1("\xE2\x82\xAC 5"), "? 5");       // the euro sign is not Latin-1
    EXPECT_EQ(Utf8ToLatin1("a\xC3"), "a?");                 // cut sequence
    EXPECT_EQ(Utf8ToLatin1("\xF0\x9F\x8E\xB5!"), "?!");     // beyond the basic plane

    struct Genre {
        const char *text;
        int number;
    };
    for (const Genre &g : {Genre{"(17)", 17}, Genre{"17", 17}, Genre{"(8)Jazz", 8}, Genre{"Rock", 17},
                           Genre{"jazz", 8}, Genre{"SynthPop", 147}, Genre{"Blues", 0}, Genre{"", 255},
                           Genre{"Polka Metal", 255}, Genre{"(999)", 255}, Genre{"80s", 255}, Genre{"(RX)", 255}}) {
        EXPECT_EQ(GenreNumberFromText(g.text), g.number) << g.text;
    }
}

}  // namespace
}  // namespace corvane::engine
