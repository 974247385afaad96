// Reading and writing the ID3v1 tag block through the file entry points.
#include "engine/api/FileEntryPoints.h"
#include "engine/tags/Id3Tag.h"
#include "support/Fixtures.h"
#include "support/Paths.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace corvane::engine {
namespace {

using testing::FixturePath;
namespace fs = std::filesystem;

std::string ReadAll(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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

class ScratchCopy : public ::testing::Test {
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

// A file's own ID3v1 block as it is; without one, the block made from its
// ID3v2 tag; without either, 128 zero bytes.
TEST(Id3Tag, FixtureTagsReadBack) {
    for (const auto &f : testing::AudioFixtures()) {
        const TagRead read = ReadTag(FixturePath(f.name));
        EXPECT_EQ(read.result, 0) << f.name;
        EXPECT_EQ(read.block, f.tags == testing::FixtureTags::None ? std::string(128, '\0') : testing::TagBlock(f.tag))
            << f.name;
    }
}

// A tag replaces the file's block or is appended after the audio; nothing
// before it changes. A block is always written with its marker.
TEST_F(ScratchCopy, AWriteReplacesOrAppendsTheBlockAndKeepsEverythingBeforeIt) {
    struct Case {
        const char *fixture;
        size_t grows;
    };
    for (const Case &c : {Case{"l3_mpeg1_cbr128_joint_v1.mp3", 0}, Case{"l3_mpeg1_cbr192_stereo.mp3", 128}}) {
        SCOPED_TRACE(c.fixture);
        const std::string path = CopyOf(c.fixture), before = ReadAll(path);
        const size_t audio = before.size() - (c.grows ? 0 : 128);
        const TagBlock block = BuildTagBlock({std::string(40, 'T'), "Artist", "Album", "2025", "Comment", 148});
        const testing::FixtureTag fields{"TTTTTTTTTTTTTTTTTTTTTTTTTTTTTT", "Artist", "Album", "2025", "Comment", 148};
        EXPECT_EQ(std::string(block.data(), 128), testing::TagBlock(fields));
        for (const std::string &written : {std::string(block.data(), 128), "XYZ" + std::string(125, ' ')}) {
            ASSERT_EQ(SetId3Tag(path.c_str(), written.c_str()), 0);
            const std::string after = ReadAll(path);
            ASSERT_EQ(after.size(), before.size() + c.grows);
            EXPECT_TRUE(after.compare(0, audio, before, 0, audio) == 0);
            EXPECT_EQ(ReadTag(path).block, "TAG" + written.substr(3));
        }
    }
    EXPECT_EQ(SetId3Tag(FixturePath("bad_folder.mp3").c_str(), BuildTagBlock({}).data()), 75);
    EXPECT_EQ(SetId3Tag(FixturePath("no_such_file.mp3").c_str(), BuildTagBlock({}).data()), 53);
    EXPECT_EQ(SetId3Tag("", BuildTagBlock({}).data()), 53);
    EXPECT_EQ(SetId3Tag(CopyOf("l3_mpeg1_cbr192_stereo.mp3").c_str(), nullptr), 57);
}

TEST_F(ScratchCopy, ReadOnlyFileIsRefusedAndUnchanged) {
    for (const char *fixture : {"l3_mpeg1_cbr128_joint_v1.mp3", "l3_mpeg1_cbr192_stereo.mp3"}) {
        const std::string path = CopyOf(fixture), before = ReadAll(path);
        fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        EXPECT_EQ(SetId3Tag(path.c_str(), BuildTagBlock({"x", "y", "z", "1", "c", 1}).data()), 75) << fixture;
        EXPECT_TRUE(ReadAll(path) == before) << fixture;
        EXPECT_EQ(ReadTag(path).result, 0) << "a read-only file can still be read";
        fs::permissions(path, fs::perms::owner_all);  // so that the folder can go
    }
}

#ifndef _WIN32  // Windows locking is checked by the C client of the library
// An open-file-description lock conflicts like another process's record
// lock; a whole-file lock conflicts with a write too.
TEST_F(ScratchCopy, FileLockedByAnotherOwnerGives30074) {
    const std::string path = CopyOf("l3_mpeg1_cbr128_joint_v1.mp3"), before = ReadAll(path);
    const TagBlock block = BuildTagBlock({"x", "y", "z", "1", "c", 1});
    const int holder = ::open(path.c_str(), O_RDWR);
    ASSERT_GE(holder, 0);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    ASSERT_EQ(::fcntl(holder, F_OFD_SETLK, &lock), 0);
    EXPECT_EQ(SetId3Tag(path.c_str(), block.data()), 30074);
    EXPECT_EQ(ReadTag(path).result, 30074);
    ::close(holder);
    const int reader = ::open(path.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(reader, LOCK_EX), 0);
    EXPECT_EQ(SetId3Tag(path.c_str(), block.data()), 30074);
    ::close(reader);
    EXPECT_TRUE(ReadAll(path) == before);
    EXPECT_EQ(SetId3Tag(path.c_str(), block.data()), 0) << "the locks are gone";
}

// A block the disk takes only half of is taken back: the file is as it was.
TEST_F(ScratchCopy, AFailedAppendLeavesTheFileAsItWas) {
    const std::string path = CopyOf("l3_mpeg1_cbr192_stereo.mp3"), before = ReadAll(path);
    rlimit old{}, limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    limit = old;
    limit.rlim_cur = before.size() + 64;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const int16_t result = SetId3Tag(path.c_str(), BuildTagBlock({"x", "y", "z", "1", "c", 1}).data());
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(result, 57);
    EXPECT_TRUE(ReadAll(path) == before);
}
#endif

TEST(Id3Tag, Id3v2TextConversion) {
    for (auto [utf8, latin1] : {std::pair{"plain", "plain"}, {"Caf\xC3\xA9", "Caf\xE9"},
                                {"\xE2\x82\xAC 5", "? 5"},  // the euro sign is not Latin-1
                                {"a\xC3", "a?"},            // cut sequence
                                {"\xF0\x9F\x8E\xB5!", "?!"}})  // beyond the basic plane
        EXPECT_EQ(Utf8ToLatin1(utf8), latin1) << utf8;
    for (auto [text, number] : {std::pair{"(17)", 17}, {"17", 17}, {"(8)Jazz", 8}, {"Rock", 17}, {"jazz", 8},
                                {"SynthPop", 147}, {"Blues", 0}, {"", 255}, {"Polka Metal", 255}, {"(999)", 255},
                                {"80s", 255}, {"(RX)", 255}, {"(17", 255}})
        EXPECT_EQ(GenreNumberFromText(text), number) << text;
}

}  // namespace
}  // namespace corvane::engine
