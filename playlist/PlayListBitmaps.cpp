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

// The pictures are text files beside this one (playlist/*.art), embedded by
// the build; the Windows build also turns them into the server's bitmaps.
constexpr std::string_view kControlArt =
#include "playlist/PLAYLIST_CONTROL.art.inc"
    ;
constexpr std::string_view kToolboxArt =
#include "playlist/30000.art.inc"
    ;

}  // namespace

void RegisterPlayListBitmaps() {
    static std::once_flag once;
    std::call_once(once, [] {
        static const runtime::Bitmap control = runtime::BitmapFromArt(kControlArt);
        static const runtime::Bitmap toolbox = runtime::BitmapFromArt(kToolboxArt);
        runtime::RegisterBitmapResource(u"PLAYLIST_CONTROL", &control);
        runtime::RegisterBitmapResource(u"30000", &toolbox);
    });
}

}  // namespace corvane::playlist
