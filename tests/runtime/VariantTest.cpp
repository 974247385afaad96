#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/Raises.h"
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
    EXPECT_EQ(RaisedNumber([] { Variant(32768).ToInteger(); }), 6);
    EXPECT_EQ(RaisedNumber([] { Variant(-32769).ToInteger(); }), 6);
    EXPECT_EQ(RaisedNumber([] { Variant(32767.5).ToInteger(); }), 6);  // rounds to 32768
    EXPECT_EQ(RaisedNumber([] { Variant(2147483648.0).ToLong(); }), 6);
    EXPECT_EQ(RaisedNumber([] { Variant(u"99999999999").ToLong(); }), 6);
    EXPECT_EQ(RaisedNumber([] { Variant(1e300).ToSingle(); }), 6);
    EXPECT_EQ(RaisedNumber([] { Variant(std::nan("")).ToLong(); }), 6);
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

}  // namespace
}  // namespace corvane::runtime
