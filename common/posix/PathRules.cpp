#include "common/PathRules.h"

#include "common/PathHelpers.h"

namespace corvane::common {

using runtime::Text;

Text ParentFolderOf(Text &path) {
    if (path.size() > 1 && path.back() == u'/') path.pop_back();
    if (path == u"/") return path;
    const int32_t separator = FindLast(path, u"/");
    if (separator == 0) return {};
    return separator == 1 ? Text(u"/") : path.substr(0, static_cast<size_t>(separator - 1));
}

Text FilePartOf(const Text &path) { return path.substr(static_cast<size_t>(FindLast(path, u"/"))); }

Text PathOfListLine(Text line) { return line; }

}  // namespace corvane::common
