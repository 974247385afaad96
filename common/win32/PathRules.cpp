#include "common/PathRules.h"

#include "common/PathHelpers.h"

namespace corvane::common {

using runtime::Text;

namespace {

bool IsFolderSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

}  // namespace

Text ParentFolderOf(Text &path) {
    const bool trailing = !path.empty() && IsFolderSeparator(path.back());
    if (trailing) {
        if (path.size() <= 3) return path;
        path.pop_back();
    }
    const int32_t separator = FindLastOfAny(path, {u"/", u"\\"});
    if (separator == 0) return {};
    Text folder = path.substr(0, static_cast<size_t>(separator - 1));
    if (folder.size() <= 3 && (folder.empty() || !IsFolderSeparator(folder.back()))) folder += u'\\';
    return folder;
}

// Only "\" separates folders here: "/" belongs to the name.
Text FilePartOf(const Text &path) { return path.substr(static_cast<size_t>(FindLast(path, u"\\"))); }

// A path that begins with a single backslash is on drive c:.
Text PathOfListLine(Text line) {
    const bool rooted = !line.empty() && line[0] == u'\\';
    const bool network = line.size() > 1 && line[1] == u'\\';
    return rooted && !network ? u"c:" + line : line;
}

}  // namespace corvane::common
