#include <gtest/gtest.h>

#include <climits>
#include <iterator>

#include "common/ErrorCatalogue.h"
#include "common/GenreTable.h"
#include "support/Raises.h"

namespace corvane::common {
namespace {

// Gaps between catalogued numbers and numbers outside it are unknown; a
// catalogued raise carries its message and the common source.
TEST(ErrorCatalogue, UnknownNumbersAndTheSourceOfARaise) {
    for (int32_t number : {0, -1, 1, 51, 54, 56, 58, 67, 69, 74, 77, 457, 30072, 30079, 30090, 30092, 30097, 30105,
                           30073 + 65536, INT32_MIN, INT32_MAX})
        EXPECT_EQ(GetErrorDescription(number), u"Unknown error.") << number;
    int32_t number = 53;
    testing::ExpectError(testing::ErrorOf([&] { RaiseCatalogued(number); }), 53,
                         u"Can't find specified file. (File not found)", u"CVMP3Player");
    EXPECT_EQ(GetErrorDescription(number), u"Can't find specified file. (File not found)");
    EXPECT_EQ(number, 53);
}

// The decoder library names genres 0 to 147 from its own list; the controls
// name the same numbers the same way, and 148 as well. Genre 133 alone keeps
// the controls' older one-word name of the punk style.
TEST(GenreTable, AgreesWithTheDecoderLibrarysListAndNamesNothingOutsideIt) {
    constexpr const char *kLibraryNames[] = {
#include "engine/tags/Id3GenreNames.inc"
    };
    static_assert(std::size(kLibraryNames) + 1 == kGenreCount);
    for (int16_t genre = 0; genre < kGenreCount - 1; ++genre)
        if (genre != 133) EXPECT_EQ(runtime::ToUtf8(GenreList(genre)), kLibraryNames[genre]) << genre;
    const std::string genre133 = runtime::ToUtf8(GenreList(133));
    EXPECT_TRUE(genre133.find(' ') == std::string::npos && genre133.ends_with("punk")) << genre133;
    EXPECT_EQ(GenreList(148), u"Unknown");
    for (int16_t genre : {int16_t(149), int16_t(-1), int16_t(-32768)}) EXPECT_EQ(GenreList(genre), u"") << genre;
}

}  // namespace
}  // namespace corvane::common
