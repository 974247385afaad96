#include <gtest/gtest.h>

#include "runtime/Text.h"

namespace corvane::runtime {
namespace {

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

}  // namespace
}  // namespace corvane::runtime
