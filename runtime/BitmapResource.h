#pragma once
// Bitmap resources compiled into the component, found by name as the
// component's own resources are on Windows.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "runtime/Text.h"

namespace corvane::runtime {

// A palette bitmap: width x height palette indices, rows top to bottom.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::array<uint32_t, 16> palette{};  // 0x00RRGGBB
    std::vector<uint8_t> pixels;

    uint32_t ColorAt(int x, int y) const { return palette[pixels[static_cast<size_t>(y * width + x)] & 15]; }
};

// The 16 colours of the standard palette, in their usual order.
inline constexpr std::array<uint32_t, 16> kStandardPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

// A standard-palette bitmap drawn as text (the .art files): lines starting
// with '#' are comments, the line "legend C=N ..." maps each character to its
// palette index, and every other line is one row of pixels, top to bottom.
// A character the legend does not name is index 0.
Bitmap BitmapFromArt(std::string_view art);

// Registers a resource under a name (done once by the library that owns it).
void RegisterBitmapResource(const Text &name, const Bitmap *bitmap);
// The resource of that name, or null.
const Bitmap *FindBitmapResource(const Text &name);

}  // namespace corvane::runtime
