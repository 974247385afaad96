#include "runtime/BitmapResource.h"

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

Bitmap BitmapFromArt(std::span<const std::string_view> rows, uint8_t (*indexOf)(char)) {
    Bitmap bitmap;
    bitmap.width = rows.empty() ? 0 : static_cast<int>(rows[0].size());
    bitmap.height = static_cast<int>(rows.size());
    bitmap.palette = kStandardPalette;
    bitmap.pixels.reserve(static_cast<size_t>(bitmap.width) * rows.size());
    for (std::string_view row : rows)
        for (char pixel : row) bitmap.pixels.push_back(indexOf(pixel));
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
