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
