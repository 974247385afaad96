#pragma once
// The player's bitmap resources: "MP3_CONTROL", the 32 x 32 image a form
// designer shows for the control, and "30001", its 16 x 15 toolbox image.
#include "runtime/BitmapResource.h"

namespace corvane::player {

inline constexpr char16_t kControlBitmapName[] = u"MP3_CONTROL";
inline constexpr char16_t kToolboxBitmapName[] = u"30001";

const runtime::Bitmap &ControlBitmap();
const runtime::Bitmap &ToolboxBitmap();

// Registers both under their names; safe to call any number of times.
void RegisterPlayerBitmaps();

}  // namespace corvane::player
