#include "runtime/BitmapResource.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace corvane::runtime {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<Text, const Bitmap *> bitmaps;
};

// Never freed, so that libraries unloading in any order can still look up.
Registry &TheRegistry() {
    static Registry *registry = new Registry();
    return *registry;
}

}  // namespace

namespace {

// "legend C=N C=N ...": each character's palette index (0 to 15).
void ReadLegend(std::string_view line, std::array<uint8_t, 256> &indexOf) {
    for (size_t at = line.find('='); at != std::string_view::npos; at = line.find('=', at + 1)) {
        unsigned value = 0;
        for (size_t digit = at + 1; digit < line.size() && line[digit] >= '0' && line[digit] <= '9'; ++digit)
            value = std::min(value * 10 + static_cast<unsigned>(line[digit] - '0'), 15u);
        indexOf[static_cast<unsigned char>(line[at - 1])] = static_cast<uint8_t>(value);
    }
}

}  // namespace

// Rows are as wide as the first; a shorter one is filled with index 0.
Bitmap BitmapFromArt(std::string_view art) {
    Bitmap bitmap;
    bitmap.palette = kStandardPalette;
    std::array<uint8_t, 256> indexOf{};
    while (!art.empty()) {
        const size_t end = art.find('\n');
        const std::string_view line = art.substr(0, end);
        art = end == std::string_view::npos ? std::string_view() : art.substr(end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.starts_with("legend ")) {
            ReadLegend(line, indexOf);
            continue;
        }
        if (bitmap.height == 0) bitmap.width = static_cast<int>(line.size());
        ++bitmap.height;
        for (int x = 0; x < bitmap.width; ++x)
            bitmap.pixels.push_back(static_cast<size_t>(x) < line.size() ? indexOf[static_cast<unsigned char>(line[x])] : 0);
    }
    return bitmap;
}

void RegisterBitmapResource(const Text &name, const Bitmap *bitmap) {
    Registry &registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    if (bitmap)
        registry.bitmaps[name] = bitmap;
    else
        registry.bitmaps.erase(name);
}

const Bitmap *FindBitmapResource(const Text &name) {
    Registry &registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto found = registry.bitmaps.find(name);
    return found == registry.bitmaps.end() ? nullptr : found->second;
}

}  // namespace corvane::runtime
