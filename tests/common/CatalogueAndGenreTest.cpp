#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <tuple>

#include "common/ErrorCatalogue.h"
#include "common/GenreTable.h"
#include "support/Raises.h"

namespace corvane::common {
namespace {

// Every catalogued number has its exact message; gaps and other numbers are
// unknown; a catalogued raise carries the common source.
TEST(ErrorCatalogue, EveryNumberHasItsExactMessage) {
    const std::pair<int32_t, const char16_t *> catalogue[] = {
        {52, u"Bad file name or number."},
        {53, u"Can't find specified file. (File not found)"},
        {55, u"File already open."},
        {57, u"Device I/O error."},
        {68, u"Device unavailable or disk not ready."},
        {75, u"Path/File access error."},
        {76, u"Path not found."},
        {30073, u"File already exists in playlist."},
        {30074, u"Can't access file. File may be locked by another application."},
        {30075, u"File is not a recognized audio file format."},
        {30076, u"Audio device is already open."},
        {30077, u"A valid playlist file name must be selected in order to load or save it."},
        {30078, u"There are no playlist entries matching .."},
        {30098, u"There is no audio driver in this system."},
        {30099, u"Unable to allocate sound memory."},
        {30100, u"Audio device is synchronous."},
        {30101, u"No audio devices present."},
        {30102, u"Unknown media error."},
        {30103, u"Unknown genre."},
        {30104, u"Insufficient memory available."},
    };
    for (const auto &[number, message] : catalogue) {
        int32_t argument = number;
        EXPECT_EQ(GetErrorDescription(argument), message) << number;
        EXPECT_EQ(argument, number);
    }
    for (int32_t number : {0, -1, 1, 51, 54, 56, 58, 67, 69, 74, 77, 457, 30072, 30079, 30090, 30092, 30097, 30105,
                           30073 + 65536, INT32_MIN, INT32_MAX})
        EXPECT_EQ(GetErrorDescription(number), u"Unknown error.") << number;
    testing::ExpectError(testing::ErrorOf([] { RaiseCatalogued(53); }), 53,
                         u"Can't find specified file. (File not found)", u"CVMP3Player");
}

TEST(GenreTable, DistinctNamesWithPunctuationAndNoneOutsideTheTable) {
    const std::pair<int16_t, const char16_t *> names[] = {
        {0, u"Blues"},           {14, u"R&B"},          {29, u"Jazz+Funk"},  {40, u"AlternRock"},
        {62, u"Pop/Funk"},       {67, u"Psychadelic"},  {78, u"Rock & Roll"}, {79, u"Hard Rock"},
        {80, u"Folk"},           {82, u"National folk"}, {84, u"Fast-fusion"}, {93, u"Psychedelic Rock"},
        {117, u"Powder Ballad"}, {123, u"A Capella"},   {127, u"Drum & Bass"}, {132, u"BritPop"},
        {134, u"Polsk Punk"},    {140, u"Contemporary Christian"},            {146, u"JPop"},
        {147, u"SynthPop"},      {148, u"Unknown"},
    };
    for (const auto &[genre, name] : names) {
        int16_t argument = genre;
        EXPECT_EQ(GetGenreName(argument), name) << genre;
        EXPECT_EQ(argument, genre);
    }
    std::set<runtime::Text> distinct;
    for (int16_t genre = 0; genre < kGenreCount; ++genre) distinct.insert(GetGenreName(genre));
    EXPECT_EQ(distinct.size(), static_cast<size_t>(kGenreCount));
    for (int16_t genre : {int16_t(149), int16_t(-1), int16_t(-32768)}) EXPECT_EQ(GenreList(genre), u"") << genre;
    runtime::Text genre133 = GetGenreName(133);
    EXPECT_EQ(genre133.find(u' '), runtime::Text::npos);
    EXPECT_TRUE(genre133.ends_with(u"punk") || genre133.ends_with(u"Punk"));
}


}  // namespace
}  // namespace corvane::common
