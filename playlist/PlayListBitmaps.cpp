// The play-list control's own bitmaps, in the style of the component: a
// raised grey square with the letters MP3 in blue above a white page of text.
// "PLAYLIST_CONTROL" (32 x 32) is what the control paints at design time;
// "30000" (16 x 15) is its picture in a form designer's toolbox.
#include <array>
#include <mutex>
#include <string_view>

#include "playlist/CVMP3PlayList.h"
#include "runtime/BitmapResource.h"

namespace corvane::playlist {

namespace {

// One letter per pixel: k black, n navy, . silver, g grey, B blue, W white.
uint8_t PaletteIndexOf(char pixel) {
    switch (pixel) {
    case 'k': return 0;
    case 'n': return 4;
    case 'g': return 8;
    case 'B': return 12;
    case 'W': return 15;
    default: return 7;
    }
}

constexpr std::array<std::string_view, 32> kControlArt = {
    "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWk",
    "W.............................gk",
    "W.............................gk",
    "W.....B...B..BBBB....BBBB.....gk",
    "W.....BB.BB..B...B.......B....gk",
    "W.....B.B.B..B...B.......B....gk",
    "W.....B.B.B..BBBB.....BBB.....gk",
    "W.....B...B..B...........B....gk",
    "W.....B...B..B...........B....gk",
    "W.....B...B..B.......BBBB.....gk",
    "W.............................gk",
    "W.......kkkkkkkkkkkkkk........gk",
    "W.......kWWWWWWWWWWWWkk.......gk",
    "W.......kWWWWWWWWWWWWkWk......gk",
    "W.......kWnnnnnnnWWWWkkkk.....gk",
    "W.......kWWWWWWWWWWWWWWWk.....gk",
    "W.......kWggggggggggggWWk.....gk",
    "W.......kWWWWWWWWWWWWWWWk.....gk",
    "W.......kWggggggggggWWWWk.....gk",
    "W.......kWWWWWWWWWWWWWWWk.....gk",
    "W.......kWgggggggggggggWk.....gk",
    "W.......kWWWWWWWWWWWWWWWk.....gk",
    "W.......kWggggggggWWWWWWk.....gk",
    "W.......kWWWWWWWWWWWWWWWk.....gk",
    "W.......kWgggggggggggWWWk.....gk",
    "W.......kWWWWWWWWWWWWWWWk.....gk",
    "W.......kWgggggWWWWWWWWWk.....gk",
    "W.......kWWWWWWWWWWWWWWWk.....gk",
    "W.......kkkkkkkkkkkkkkkkk.....gk",
    "W.............................gk",
    "Wggggggggggggggggggggggggggggggk",
    "kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk",
};

constexpr std::array<std::string_view, 15> kToolboxArt = {
    "WWWWWWWWWWWWWWWk",
    "WB...B.BB..BBBgk",
    "WBB.BB.B.B...Bgk",
    "WB.B.B.BB...BBgk",
    "WB...B.B.....Bgk",
    "WB...B.B...BBBgk",
    "W.............gk",
    "W...kkkkkkk...gk",
    "W...kWWWWWk...gk",
    "W...kWnnnWk...gk",
    "W...kWWWWWk...gk",
    "W...kWgggWk...gk",
    "W...kkkkkkk...gk",
    "Wggggggggggggggk",
    "kkkkkkkkkkkkkkkk",
};

template <size_t Rows>
constexpr bool AllRowsAre(const std::array<std::string_view, Rows> &art, size_t width) {
    for (std::string_view row : art)
        if (row.size() != width) return false;
    return true;
}
static_assert(AllRowsAre(kControlArt, 32), "the control bitmap is 32 pixels wide");
static_assert(AllRowsAre(kToolboxArt, 16), "the toolbox bitmap is 16 pixels wide");

}  // namespace

void RegisterPlayListBitmaps() {
    static std::once_flag once;
    std::call_once(once, [] {
        static const runtime::Bitmap control = runtime::BitmapFromArt(kControlArt, PaletteIndexOf);
        static const runtime::Bitmap toolbox = runtime::BitmapFromArt(kToolboxArt, PaletteIndexOf);
        runtime::RegisterBitmapResource(u"PLAYLIST_CONTROL", &control);
        runtime::RegisterBitmapResource(u"30000", &toolbox);
    });
}

}  // namespace corvane::playlist
