// Command-line parsing, JSON text and key decoding of the host program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Json.h"
#include "cli/Terminal.h"

namespace corvane::cli {
namespace {

const std::vector<OptionRule> kOptions = {{"json"}, {"output", true}, {"before", true}, {"help"}};

TEST(Arguments, SeparatesOptionsFromPositionalWords) {
    auto args = Arguments::Parse({"a.mp3", "--json", "--output", "x.wav", "b.mp3", "--before=3", "-h"}, kOptions);
    EXPECT_EQ(args.Positional(), (std::vector<std::string>{"a.mp3", "b.mp3"}));
    EXPECT_TRUE(args.Has("json"));
    EXPECT_TRUE(args.Has("help"));
    EXPECT_EQ(args.Value("output"), "x.wav");
    EXPECT_EQ(args.IntValue("before"), 3);
    EXPECT_FALSE(args.Value("missing").has_value());
}

TEST(Arguments, NegativeNumbersAndWordsAfterDoubleDashArePositional) {
    auto args = Arguments::Parse({"-5", "--", "--json", "-"}, kOptions);
    EXPECT_EQ(args.Positional(), (std::vector<std::string>{"-5", "--json", "-"}));
    EXPECT_FALSE(args.Has("json"));
}

TEST(Arguments, RejectsWhatItCannotUse) {
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"}, {"--output"}, {"--json=yes"}, {"-x"},
    };
    for (const auto &words : bad) EXPECT_THROW(Arguments::Parse(words, kOptions), UsageError) << words[0];
    auto args = Arguments::Parse({"--before", "three"}, kOptions);
    EXPECT_THROW(args.IntValue("before"), UsageError);
}

TEST(ParseInt, WholeNumbersOnly) {
    EXPECT_EQ(ParseInt("42"), 42);
    EXPECT_EQ(ParseInt("-7"), -7);
    EXPECT_EQ(ParseInt("+3"), 3);
    for (const char *text : {"", "-", "4x", "1.5", " 1", "99999999999"}) EXPECT_FALSE(ParseInt(text).has_value()) << text;
}

TEST(Json, QuotesAndEscapes) {
    EXPECT_EQ(JsonQuote("plain"), "\"plain\"");
    EXPECT_EQ(JsonQuote("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(JsonQuote("line\nnext\ttab\r"), "\"line\\nnext\\ttab\\r\"");
    EXPECT_EQ(JsonQuote(std::string("\x01", 1)), "\"\\u0001\"");
    EXPECT_EQ(JsonQuote("Caf\xc3\xa9"), "\"Caf\xc3\xa9\"");
}

TEST(Json, NumbersAndObjects) {
    EXPECT_EQ(JsonNumber(1), "1");
    EXPECT_EQ(JsonNumber(2.5), "2.5");
    EXPECT_EQ(JsonNumber(1.0 / 0.0), "null");
    JsonObject object;
    object.Add("file", "a.mp3").Add("layer", 3).Add("version", 2.5).Add("crc", false).Add("size", int64_t{5000000000});
    EXPECT_EQ(object.ToString(),
              "{\n  \"file\": \"a.mp3\",\n  \"layer\": 3,\n  \"version\": 2.5,\n  \"crc\": false,\n"
              "  \"size\": 5000000000\n}");
    EXPECT_EQ(JsonObject().ToString(), "{}");
    EXPECT_EQ(JsonArray({}), "[]");
    JsonObject one;
    one.Add("n", 1);
    EXPECT_EQ(JsonArray({one, one}), "[\n  {\n    \"n\": 1\n  },\n  {\n    \"n\": 1\n  }\n]");
}

TEST(KeyDecoder, CharactersArrowsAndInterrupt) {
    KeyDecoder decoder;
    auto keys = decoder.Feed("q \x1b[A\x1b[B\x1b[C\x1b[D\x1bOC\x03");
    std::vector<Key> expected = {{KeyCode::Character, 'q'}, {KeyCode::Character, ' '}, {KeyCode::Up, 0},
                                 {KeyCode::Down, 0},        {KeyCode::Right, 0},      {KeyCode::Left, 0},
                                 {KeyCode::Right, 0},       {KeyCode::Interrupt, 0}};
    EXPECT_EQ(keys, expected);
}

TEST(KeyDecoder, SequencesSplitOverReadsAndOtherSequences) {
    KeyDecoder decoder;
    EXPECT_TRUE(decoder.Feed("\x1b").empty());
    EXPECT_TRUE(decoder.Feed("[").empty());
    EXPECT_EQ(decoder.Feed("C"), (std::vector<Key>{{KeyCode::Right, 0}}));
    // A function key (ESC [ 1 5 ~) and a modified arrow (ESC [ 1 ; 5 D).
    EXPECT_EQ(decoder.Feed("\x1b[15~x\x1b[1;5D"), (std::vector<Key>{{KeyCode::Character, 'x'}, {KeyCode::Left, 0}}));
    // A lone escape is the Escape key once no sequence follows.
    EXPECT_TRUE(decoder.Feed("\x1b").empty());
    EXPECT_EQ(decoder.Flush(), (std::vector<Key>{{KeyCode::Escape, 0}}));
    EXPECT_TRUE(decoder.Flush().empty());
    EXPECT_EQ(decoder.Feed("\x1bq"), (std::vector<Key>{{KeyCode::Escape, 0}, {KeyCode::Character, 'q'}}));
}

}  // namespace
}  // namespace corvane::cli
