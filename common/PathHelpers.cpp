#include "common/PathHelpers.h"

#include <algorithm>

#include "common/FileSystem.h"
#include "common/PathRules.h"
#include "runtime/AutomationError.h"

namespace corvane::common {

Text PadToLength(const Text &text, const int16_t &length, const Text &fill) {
    if (length <= 0) return {};
    size_t wanted = static_cast<size_t>(length);
    if (text.size() >= wanted) return text.substr(0, wanted);
    Text padded = text;
    for (size_t missing = wanted - text.size(); missing > 0; --missing) padded += fill;
    return padded;
}

int32_t FindLast(const Text &text, const Text &searchText, std::optional<int32_t> start) {
    if (searchText.empty()) return 0;
    int32_t limit = start.value_or(static_cast<int32_t>(text.size()));
    if (limit <= 0) return 0;
    runtime::TextView searched(text.data(), std::min(text.size(), static_cast<size_t>(limit)));
    int32_t last = 0;
    for (size_t found = searched.find(searchText); found != runtime::TextView::npos;
         found = searched.find(searchText, found + 1))
        last = static_cast<int32_t>(found + 1);
    return last;
}

int32_t FindLastOfAny(const Text &text, const std::vector<Text> &searchTexts) {
    int32_t last = 0;
    for (const Text &searchText : searchTexts) last = std::max(last, FindLast(text, searchText));
    return last;
}

Text GetParentFolder(Text &path) {
    try {
        return ParentFolderOf(path);
    } catch (...) {
        return {};
    }
}

bool DirectoryExists(const Text &path) {
    try {
        if (runtime::TrimSpaces(path).empty()) return false;
        if (const auto root = DriveRootExists(path)) return *root;
        return NamesFolderOnly(path);
    } catch (...) {
        return false;
    }
}

}  // namespace corvane::common
