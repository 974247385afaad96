#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/PathHelpers.h"
#include "support/Paths.h"

namespace corvane::common {
namespace {

using runtime::FromUtf8;

TEST(FindLast, LastMatchWithOverlapsAndAStartLimit) {
    struct Case { Text text, search; std::optional<int32_t> start; int32_t expected; };
    const Case cases[] = {
        {u"C:\\a\\b.mp3", u"\\", std::nullopt, 5}, {u"b.mp3", u"\\", std::nullopt, 0},
        {u"aaa", u"aa", std::nullopt, 2},      {u"abcabc", u"abc", std::nullopt, 4},
        {u"abcabc", u"abc", 5, 1},          {u"abcabc", u"abc", 6, 4},
        {u"abc", u"ABC", std::nullopt, 0},  // letter case counts
        {u"abc", u"", std::nullopt, 0},     {u"abc", u"c", 0, 0},
    };
    for (const auto &[text, search, start, expected] : cases)
        EXPECT_EQ(FindLast(text, search, start), expected) << runtime::ToUtf8(text) << " / " << runtime::ToUtf8(search);
    EXPECT_EQ(FindLastOfAny(u"C:/music\\list.m3u", {u"/", u"\\"}), 9);
    EXPECT_EQ(FindLastOfAny(u"list.m3u", {u"/", u"\\"}), 0);
}

TEST(GetParentFolder, FolderPartByThePlatformsRules) {
    struct Case { Text path, expected, pathAfter; };
#ifdef _WIN32
    const Case cases[] = {
        {u"C:\\music\\list.m3u", u"C:\\music", u"C:\\music\\list.m3u"}, {u"C:\\list.m3u", u"C:\\", u"C:\\list.m3u"},
        {u"list.m3u", u"", u"list.m3u"},     {u"/list.m3u", u"\\", u"/list.m3u"},
        {u"C:/music/list.m3u", u"C:/music", u"C:/music/list.m3u"},
        {u"C:\\music\\", u"C:\\", u"C:\\music"},  // the trailing separator goes from the caller's text
        {u"C:\\", u"C:\\", u"C:\\"}, {u"/", u"/", u"/"}, {u"", u"", u""}, {u"ab/x.m3u", u"ab\\", u"ab/x.m3u"},
        {u"/home/u/list.m3u", u"/home/u", u"/home/u/list.m3u"},
    };
#else  // only "/" separates folders, and the root folder is "/"
    const Case cases[] = {
        {u"/home/u/list.m3u", u"/home/u", u"/home/u/list.m3u"}, {u"/list.m3u", u"/", u"/list.m3u"},
        {u"/music/", u"/", u"/music"},  // the trailing separator goes from the caller's text
        {u"/", u"/", u"/"},  {u"ab/x.m3u", u"ab", u"ab/x.m3u"},  {u"list.m3u", u"", u"list.m3u"},
        {u"C:\\music\\list.m3u", u"", u"C:\\music\\list.m3u"}, {u"", u"", u""},
    };
#endif
    for (const auto &[path, expected, pathAfter] : cases) {
        Text argument = path;
        EXPECT_EQ(GetParentFolder(argument), expected) << runtime::ToUtf8(path);
        EXPECT_EQ(argument, pathAfter) << runtime::ToUtf8(path);
    }
}

// True only for a folder, where "\\" separates folders too; wildcards in the
// last component match when they find folders alone.
TEST(DirectoryExists, TrueOnlyForAFolder) {
    const std::string root = testing::MakeScratchDir("corvane-paths");
    for (const char *folder : {"/music", "/empty", "/m\u00fcsik"})
        std::filesystem::create_directory(std::filesystem::path(FromUtf8(root + folder)));
    std::ofstream(root + "/music/song.mp3") << "x";
    std::ofstream(root + "/notes.txt") << "x";
    EXPECT_FALSE(DirectoryExists(u"") || DirectoryExists(u"   "));
#ifndef _WIN32
    EXPECT_TRUE(DirectoryExists(u"/"));  // the parent folder of "/list.m3u"; Windows searches need a drive
#endif
    for (auto [relative, exists] : {std::pair{"", true}, {"/music", true}, {"/m\u00fcsik", true},
                                    {"/notes.txt", false}, {"/music/song.mp3", false}, {"/missing/deeper", false},
                                    {"/mus*", true}, {"/e?pty", true}, {"/empty/*", true}, {"/*", false},
                                    {"/music/*", false}, {"/nothing*", false}, {"/*.txt", false}})
        EXPECT_EQ(DirectoryExists(FromUtf8(root + relative)), exists) << relative;
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace corvane::common
