#include <gtest/gtest.h>

#include "runtime/Text.h"

namespace corvane::runtime {
namespace {

TEST(TextConversion, Utf8RoundTripsEveryPlane) {
    const Text samples[] = {u"", u"plain", u"caf\u00e9", u"\u041c\u0443\u0437\u044b\u043a\u0430", u"\u97f3\u697d",
                            u"\U0001F3B5 note", u"tab\tnew\nline"};
    for (const Text &sample : samples) EXPECT_EQ(FromUtf8(ToUtf8(sample)), sample);
    EXPECT_EQ(ToUtf8(u"caf\u00e9"), "caf\xc3\xa9");
    EXPECT_EQ(ToUtf8(u"\U0001F3B5"), "\xf0\x9f\x8e\xb5");
}

TEST(TextConversion, InvalidUtf8BecomesReplacementCharacters) {
    const std::pair<std::string, Text> cases[] = {
        {"a\xff" "b", u"a\ufffdb"},          // not a lead byte
        {"\xc3", u"\ufffd"},                 // truncated
        {"\xc0\xaf", u"\ufffd\ufffd"},       // overlong
        {"\xed\xa0\x80", u"\ufffd\ufffd\ufffd"},  // encoded surrogate
        {"\xe2\x82" "x", u"\ufffd\ufffdx"},  // broken continuation
    };
    for (const auto &[bytes, expected] : cases) EXPECT_EQ(FromUtf8(bytes), expected);
    // A lone surrogate in the text comes out as U+FFFD.
    EXPECT_EQ(ToUtf8(Text(1, char16_t(0xD800))), "\xef\xbf\xbd");
}

#ifndef _WIN32
// File names are bytes: any of them, valid UTF-8 or not, comes back the same.
TEST(TextConversion, SystemTextRoundTripsEveryByteSequence) {
    for (const std::string bytes : {std::string("caf\xe9.mp3"), std::string("\xff\xfe\x80 \xc3\xa9 \xed\xa0\x80"),
                                    std::string("ok \xf0\x9f\x8e\xb5"), std::string("\xc3")}) {
        EXPECT_EQ(ToSystemText(FromSystemText(bytes)), bytes);
    }
    EXPECT_EQ(FromSystemText("caf\xc3\xa9"), u"caf\u00e9");
    EXPECT_EQ(ToSystemText(u"\U0001F3B5"), "\xf0\x9f\x8e\xb5");
}
#endif

TEST(TextConversion, Latin1IsOneBytePerCharacter) {
    EXPECT_EQ(ToLatin1(u"caf\u00e9 \u00ff"), "caf\xe9 \xff");
    EXPECT_EQ(ToLatin1(u"\u20ac\U0001F3B5"), "??");
    std::string allBytes;
    for (int byte = 0; byte < 256; ++byte) allBytes.push_back(static_cast<char>(byte));
    EXPECT_EQ(ToLatin1(FromLatin1(allBytes)), allBytes);
    EXPECT_EQ(FromLatin1(allBytes).size(), 256u);
}

TEST(TextHelpers, FoldCaseJoinsLetterCasesOfCommonAlphabets) {
    const std::pair<Text, Text> sameKeys[] = {
        {u"Song", u"song"},
        {u"\u00c4RGER \u00d6L", u"\u00e4rger \u00f6l"},
        {u"\u0391\u0392\u0393", u"\u03b1\u03b2\u03b3"},
        {u"\u041c\u0423\u0417\u042b\u041a\u0410", u"\u043c\u0443\u0437\u044b\u043a\u0430"},
        {u"\u0178", u"\u00ff"},
    };
    for (const auto &[upper, lower] : sameKeys) EXPECT_EQ(FoldCase(upper), FoldCase(lower));
    EXPECT_NE(FoldCase(u"a"), FoldCase(u"b"));
    EXPECT_NE(FoldCase(u"\u00e9"), FoldCase(u"e"));
    EXPECT_EQ(FoldCase(u"12-#"), u"12-#");
}

TEST(TextHelpers, CompareNoCaseIgnoresCaseAndOrdersTexts) {
    EXPECT_EQ(CompareNoCase(u"Song", u"SONG"), 0);
    EXPECT_LT(CompareNoCase(u"apple", u"Banana"), 0);
    EXPECT_GT(CompareNoCase(u"Cherry", u"banana"), 0);
    EXPECT_LT(CompareNoCase(u"", u"a"), 0);
    // Antisymmetric, so it can order a sort.
    EXPECT_EQ(CompareNoCase(u"a b", u"ab") < 0, CompareNoCase(u"ab", u"a b") > 0);
}

TEST(TextHelpers, TrimSpacesAndNumbersInShortestForm) {
    EXPECT_EQ(TrimSpaces(u"  a b  "), u"a b");
    EXPECT_EQ(TrimSpaces(u"   "), u"");
    EXPECT_EQ(TrimSpaces(u"\ta\t"), u"\ta\t");
    EXPECT_EQ(ToText(int64_t(0)), u"0");
    EXPECT_EQ(ToText(int64_t(-2147483648LL)), u"-2147483648");
    // Shorter doubles are covered through Variant::ToText.
    EXPECT_EQ(ToText(1.0 / 3), u"0.3333333333333333");
    EXPECT_EQ(ToText(1e-7), u"1E-07");
}

}  // namespace
}  // namespace corvane::runtime
