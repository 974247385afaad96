#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/Raises.h"
#include "runtime/Text.h"
#include "runtime/Variant.h"

namespace corvane::runtime {
namespace {

int32_t RaisedNumber(const std::function<void()> &call) { return testing::ErrorOf(call).Number(); }

struct LongCase {
    Variant value;
    int32_t expected;
};

TEST(VariantConversion, ToLongRoundsHalfToEvenAndReadsText) {
    const LongCase cases[] = {
        {Variant(u"12"), 12},      {Variant(u" 12 "), 12},    {Variant(u"-7"), -7},     {Variant(u"+3"), 3},
        {Variant(2.5), 2},         {Variant(3.5), 4},         {Variant(-2.5), -2},      {Variant(-3.5), -4},
        {Variant(2.4999), 2},      {Variant(2.5001), 3},      {Variant(0.5f), 0},       {Variant(1.5f), 2},
        {Variant(u"1.5"), 2},      {Variant(u"1e3"), 1000},   {Variant(u"&H1F"), 31},   {Variant(true), -1},
        {Variant(false), 0},       {Variant(), 0},            {Variant(int16_t(-5)), -5},
        {Variant(2147483647.0), 2147483647},                  {Variant(-2147483648.0), -2147483647 - 1},
    };
    for (const auto &[value, expected] : cases) EXPECT_EQ(value.ToLong(), expected) << ToUtf8(value.ToText());
}

TEST(VariantConversion, ImpossibleConversionsRaiseTypeMismatch) {
    const Variant values[] = {Variant(u"abc"), Variant(u""), Variant(u"12abc"), Variant(u"1 2"), Variant(u"inf"),
                              Variant::Missing(), Variant(std::make_shared<Object>())};
    for (const auto &value : values) {
        EXPECT_EQ(RaisedNumber([&] { value.ToLong(); }), 13);
        EXPECT_EQ(RaisedNumber([&] { value.ToDouble(); }), 13);
    }
    EXPECT_EQ(testing::ErrorOf([] { Variant(u"abc").ToInteger(); }).Description(), u"Type mismatch.");
    EXPECT_EQ(RaisedNumber([] { Variant(u"maybe").ToBoolean(); }), 13);
    EXPECT_EQ(RaisedNumber([] { Variant(u"x").ToObject(); }), 13);
}

TEST(VariantConversion, OutOfRangeRaisesOverflow) {
    const std::function<void()> conversions[] = {
        [] { Variant(32768).ToInteger(); },         [] { Variant(-32769).ToInteger(); },
        [] { Variant(32767.5).ToInteger(); },  // rounds to 32768
        [] { Variant(2147483648.0).ToLong(); },     [] { Variant(u"99999999999").ToLong(); },
        [] { Variant(1e300).ToSingle(); },          [] { Variant(std::nan("")).ToLong(); }};
    for (size_t i = 0; i < std::size(conversions); ++i) EXPECT_EQ(RaisedNumber(conversions[i]), 6) << i;
    EXPECT_EQ(testing::ErrorOf([] { Variant(40000).ToInteger(); }).Description(), u"Overflow.");
    EXPECT_EQ(Variant(32767.4).ToInteger(), 32767);
    EXPECT_EQ(Variant(-32768).ToInteger(), -32768);
}

TEST(VariantConversion, ToTextUsesShortestFormAndBooleanWords) {
    const std::pair<Variant, Text> cases[] = {
        {Variant(true), u"True"},     {Variant(false), u"False"},   {Variant(1.0), u"1"},
        {Variant(2.5), u"2.5"},       {Variant(-0.125), u"-0.125"}, {Variant(0.1f), u"0.1"},
        {Variant(0.1), u"0.1"},       {Variant(-0.0), u"0"},        {Variant(int16_t(-32768)), u"-32768"},
        {Variant(123456789), u"123456789"},                         {Variant(1e21), u"1E+21"},
        {Variant(), u""},             {Variant(u"as is"), u"as is"},
    };
    for (const auto &[value, expected] : cases) EXPECT_EQ(value.ToText(), expected);
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
