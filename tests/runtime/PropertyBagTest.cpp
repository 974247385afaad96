#include <gtest/gtest.h>

#include "runtime/AutomationError.h"
#include "runtime/PropertyBag.h"

namespace corvane::runtime {
namespace {

TEST(MemoryPropertyBag, ValueEqualToItsDefaultStoresNothingAndDropsTheStoredOne) {
    MemoryPropertyBag bag;
    bag.WriteProperty(u"ChangeInterval", Variant(int16_t(50)), Variant(int16_t(50)));
    EXPECT_EQ(bag.Size(), 0u);
    bag.WriteProperty(u"ChangeInterval", Variant(int16_t(100)), Variant(int16_t(50)));
    EXPECT_EQ(bag.ReadProperty(u"ChangeInterval", Variant(int16_t(50))).ToInteger(), 100);

    // Equal by value across numeric types: Integer 1 is the default Single 1.0.
    bag.WriteProperty(u"changeinterval", Variant(1.0f), Variant(int16_t(1)));
    EXPECT_FALSE(bag.Contains(u"ChangeInterval"));
    EXPECT_EQ(bag.Size(), 0u);
}

TEST(MemoryPropertyBag, TextFormRoundTripsEveryType) {
    MemoryPropertyBag bag;
    const std::pair<Text, Variant> values[] = {
        {u"Flag", Variant(true)},          {u"Off", Variant(false)},      {u"Short", Variant(int16_t(-32768))},
        {u"Long", Variant(int32_t(2147483647))}, {u"Single", Variant(0.1f)}, {u"Double", Variant(1.0 / 3)},
        {u"Tiny", Variant(5e-324)},        {u"Name\twith tab", Variant(u"")}, {u"Empty", Variant()},
        {u"Text", Variant(u"tab\there\nnew line\r\\back\\slash \u00e9\u97f3\U0001F3B5")},
    };
    for (const auto &[name, value] : values) bag.WriteProperty(name, value, Variant(u"never equal"));
    MemoryPropertyBag loaded = MemoryPropertyBag::FromText(bag.ToText());
    ASSERT_EQ(loaded.Size(), std::size(values));
    for (size_t i = 0; i < std::size(values); ++i) {
        const auto &[name, value] = loaded.Values()[i];
        EXPECT_EQ(name, values[i].first);
        EXPECT_EQ(value.Type(), values[i].second.Type()) << ToUtf8(name);
        EXPECT_EQ(value, values[i].second) << ToUtf8(name);
    }
}

TEST(MemoryPropertyBag, MalformedTextRaisesTypeMismatch) {
    const std::string malformed[] = {
        "NoTab\n", "Name\tX:1\n", "Name\tI:abc\n", "Name\tI:99999\n", "Name\tL\n",
        "Name\tT:bad\\q\n", "Name\tB:2\n", "\tT:no name\n", "Twice\tI:1\nTwice\tI:2\n",
    };
    for (const std::string &text : malformed) {
        try {
            MemoryPropertyBag::FromText(text);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const AutomationError &error) {
            EXPECT_EQ(error.Number(), 13);
        }
    }
    EXPECT_EQ(MemoryPropertyBag::FromText("").Size(), 0u);
    EXPECT_EQ(MemoryPropertyBag::FromText("A\tI:5\r\n\n").ReadProperty(u"a", Variant()).ToInteger(), 5);
}

}  // namespace
}  // namespace corvane::runtime
