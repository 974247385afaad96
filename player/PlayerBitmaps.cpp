// Pixel data of the player's bitmaps, drawn here as text: one character per
// pixel, rows top to bottom, mapped to the standard 16-colour palette.
//   .  face (light grey)     W  highlight (white)    D  shadow (dark grey)
//   K  outer shadow (black)  B  lettering (blue)     N  notes (black)
#include "player/PlayerBitmaps.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <string_view>

namespace corvane::player {

namespace {

uint8_t PaletteIndex(char pixel) {
    switch (pixel) {
    case 'W': return 15;
    case 'D': return 8;
    case 'K':
    case 'N': return 0;
    case 'B': return 12;
    default: return 7;
    }
}

// A raised grey square: the letters MP3 in blue above two beamed notes.
constexpr std::string_view kControlArt[32] = {
    "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWK",
    "W.............................DK",
    "W.............................DK",
    "W...BB...BB..BBBBB...BBBBB....DK",
    "W...BBB.BBB..BB..BB......BB...DK",
    "W...BBBBBBB..BB..BB......BB...DK",
    "W...BB.B.BB..BB..BB...BBBB....DK",
    "W...BB...BB..BBBBB.......BB...DK",
    "W...BB...BB..BB..........BB...DK",
    "W...BB...BB..BB..........BB...DK",
    "W...BB...BB..BB......BBBBB....DK",
    "W.............................DK",
    "W.............................DK",
    "W.............................DK",
    "W.............................DK",
    "W...........NNNNNNNNNNN.......DK",
    "W...........NNNNNNNNNNN.......DK",
    "W...........N.........N.......DK",
    "W...........N.........N.......DK",
    "W...........N.........N.......DK",
    "W...........N.........N.......DK",
    "W...........N.........N.......DK",
    "W...........N.........N.......DK",
    "W...........N.........N.......DK",
    "W........NNNN......NNNN.......DK",
    "W.......NNNNN.....NNNNN.......DK",
    "W.......NNNNN.....NNNNN.......DK",
    "W........NNN.......NNN........DK",
    "W.............................DK",
    "W.............................DK",
    "WDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDK",
    "KKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKK"
};

// The same design at toolbox size.
constexpr std::string_view kToolboxArt[15] = {
    "WWWWWWWWWWWWWWWK",
    "W.............DK",
    "WB...B.BB..BBBDK",
    "WBB.BB.B.B...BDK",
    "WB.B.B.BB...BBDK",
    "WB...B.B.....BDK",
    "WB...B.B...BBBDK",
    "W.............DK",
    "W.....NNNNN...DK",
    "W.....N...N...DK",
    "W....NN..NN...DK",
    "W...NNN.NNN...DK",
    "W....N...N....DK",
    "WDDDDDDDDDDDDDDK",
    "KKKKKKKKKKKKKKKK"
};

}  // namespace

const runtime::Bitmap &ControlBitmap() {
    static const runtime::Bitmap bitmap = runtime::BitmapFromArt(kControlArt, PaletteIndex);
    return bitmap;
}

const runtime::Bitmap &ToolboxBitmap() {
    static const runtime::Bitmap bitmap = runtime::BitmapFromArt(kToolboxArt, PaletteIndex);
    return bitmap;
}

void RegisterPlayerBitmaps() {
    static std::once_flag registered;
    std::call_once(registered, [] {
        runtime::RegisterBitmapResource(kControlBitmapName, &ControlBitmap());
        runtime::RegisterBitmapResource(kToolboxBitmapName, &ToolboxBitmap());
    });
}

}  // namespace corvane::player
