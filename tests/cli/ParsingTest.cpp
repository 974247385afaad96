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

TEST(Arguments, OptionsPositionalWordsAndWhatItRejects) {
    auto args = Arguments::Parse({"a.mp3", "--json", "--output", "x.wav", "-5", "--before=3", "-h", "--", "--json"}, kOptions);
    EXPECT_EQ(args.Positional(), (std::vector<std::string>{"a.mp3", "-5", "--json"}));
    EXPECT_TRUE(args.Has("json") && args.Has("help"));
    EXPECT_EQ(args.Value("output"), "x.wav");
    EXPECT_EQ(args.IntValue("before"), 3);
    EXPECT_FALSE(args.Value("missing").has_value());

    for (const std::vector<std::string> &words : {std::vector<std::string>{"--bogus"}, {"--output"}, {"--json=yes"}, {"-x"}})
        EXPECT_THROW(Arguments::Parse(words, kOptions), UsageError) << words[0];
    EXPECT_THROW(Arguments::Parse({"--before", "three"}, kOptions).IntValue("before"), UsageError);

    EXPECT_EQ(ParseInt("-7"), -7);
    EXPECT_EQ(ParseInt("+3"), 3);
    for (const char *text : {"", "-", "4x", "1.5", " 1", "99999999999"}) EXPECT_FALSE(ParseInt(text).has_value()) << text;
}

TEST(Json, TextsNumbersObjectsAndArrays) {
    EXPECT_EQ(JsonQuote("a\"b\\c\nd\te\r" + std::string("\x01", 1) + "Caf\xc3\xa9"),
              "\"a\\\"b\\\\c\\nd\\te\\r\\u0001Caf\xc3\xa9\"");
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

TEST(KeyDecoder, CharactersArrowsSplitSequencesAndEscape) {
    KeyDecoder decoder;
    EXPECT_EQ(decoder.Feed("q \x1b[A\x1b[B\x1b[D\x1bOC\x03"),
              (std::vector<Key>{{KeyCode::Character, 'q'}, {KeyCode::Character, ' '}, {KeyCode::Up, 0},
                                {KeyCode::Down, 0}, {KeyCode::Left, 0}, {KeyCode::Right, 0}, {KeyCode::Interrupt, 0}}));
    EXPECT_TRUE(decoder.Feed("\x1b").empty());
    EXPECT_TRUE(decoder.Feed("[").empty());
    EXPECT_EQ(decoder.Feed("C"), (std::vector<Key>{{KeyCode::Right, 0}}));
    // A function key (ESC [ 1 5 ~) is skipped; a modified arrow (ESC [ 1 ; 5 D) is the arrow.
    EXPECT_EQ(decoder.Feed("\x1b[15~x\x1b[1;5D"), (std::vector<Key>{{KeyCode::Character, 'x'}, {KeyCode::Left, 0}}));
    // A lone escape is the Escape key once no sequence follows.
    EXPECT_TRUE(decoder.Feed("\x1b").empty());
    EXPECT_EQ(decoder.Flush(), (std::vector<Key>{{KeyCode::Escape, 0}}));
    EXPECT_TRUE(decoder.Flush().empty());
    EXPECT_EQ(decoder.Feed("\x1bq"), (std::vector<Key>{{KeyCode::Escape, 0}, {KeyCode::Character, 'q'}}));
}

}  // namespace
}  // namespace corvane::cli
