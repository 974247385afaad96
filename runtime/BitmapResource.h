#pragma once
// Bitmap resources compiled into the component, found by name as the
// component's own resources are on Windows.
#include <array>
#include <cstdint>
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

// Registers a resource under a name (done once by the library that owns it).
void RegisterBitmapResource(const Text &name, const Bitmap *bitmap);
// The resource of that name, or null.
const Bitmap *FindBitmapResource(const Text &name);

}  // namespace corvane::runtime
