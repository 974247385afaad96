// The player's bitmaps, made from their pictures in text.
#include "player/PlayerBitmaps.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <string_view>

namespace corvane::player {

namespace {

// The pictures are text files beside this one (player/*.art), embedded by the
// build; the Windows build also turns them into the server's bitmaps.
constexpr std::string_view kControlArt =
#include "player/MP3_CONTROL.art.inc"
    ;
constexpr std::string_view kToolboxArt =
#include "player/30001.art.inc"
    ;

}  // namespace

const runtime::Bitmap &ControlBitmap() {
    static const runtime::Bitmap bitmap = runtime::BitmapFromArt(kControlArt);
    return bitmap;
}

const runtime::Bitmap &ToolboxBitmap() {
    static const runtime::Bitmap bitmap = runtime::BitmapFromArt(kToolboxArt);
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
