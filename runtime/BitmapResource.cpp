#include "runtime/BitmapResource.h"

#include <cstdlib>

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

Bitmap BitmapFromArt(std::string_view art) {
    Bitmap bitmap;
    bitmap.palette = kStandardPalette;
    std::array<uint8_t, 256> indexOf{};
    while (!art.empty()) {
        const size_t end = art.find('\n');
        std::string_view line = art.substr(0, end);
        art = end == std::string_view::npos ? std::string_view() : art.substr(end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.starts_with("legend ")) {
            for (size_t at = line.find('='); at != std::string_view::npos; at = line.find('=', at + 1))
                indexOf[static_cast<unsigned char>(line[at - 1])] = static_cast<uint8_t>(std::atoi(line.data() + at + 1));
            continue;
        }
        bitmap.width = static_cast<int>(line.size());
        ++bitmap.height;
        for (char pixel : line) bitmap.pixels.push_back(indexOf[static_cast<unsigned char>(pixel)]);
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
