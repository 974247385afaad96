// Arbitrary text as a picture drawn in text: whatever it holds, the bitmap
// has a pixel for every place of its width and height, and each pixel is a
// palette index.
#include "runtime/BitmapResource.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const corvane::runtime::Bitmap bitmap =
        corvane::runtime::BitmapFromArt(std::string_view(reinterpret_cast<const char *>(data), size));
    if (bitmap.pixels.size() != static_cast<size_t>(bitmap.width) * static_cast<size_t>(bitmap.height)) std::abort();
    for (uint8_t pixel : bitmap.pixels)
        if (pixel > 15) std::abort();
    return 0;
}
