#include "engine/stream/LengthCache.h"

#include <deque>
#include <mutex>
#include <utility>

namespace corvane::engine {

namespace {

constexpr size_t kRemembered = 64;

std::mutex mutex;
std::deque<std::pair<FileIdentity, ScannedLength>> &Lengths() {
    static std::deque<std::pair<FileIdentity, ScannedLength>> lengths;
    return lengths;
}

}  // namespace

std::optional<ScannedLength> CachedLength(const FileIdentity &file) {
    std::lock_guard lock(mutex);
    for (const auto &[known, length] : Lengths())
        if (known == file) return length;
    return std::nullopt;
}

void RememberLength(const FileIdentity &file, ScannedLength length) {
    if (file.size < 0) return;  // no identity: nothing to match it by
    std::lock_guard lock(mutex);
    for (auto &[known, kept] : Lengths())
        if (known == file) {
            kept = length;
            return;
        }
    if (Lengths().size() == kRemembered) Lengths().pop_front();
    Lengths().emplace_back(file, length);
}

}  // namespace corvane::engine
