#include "common/FileSystem.h"

#include <dirent.h>
#include <cerrno>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace corvane::common {

using runtime::Text;

namespace {

// "*" matches any run of characters and "?" any one character; nothing
// else is special, as in a folder search by pattern.
bool MatchesPattern(std::string_view name, std::string_view pattern) {
    size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

struct SearchResult {
    bool anyEntry = false;
    bool anyFile = false;
};

void Classify(const std::string &path, SearchResult &result) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return;
    result.anyEntry = true;
    if (!S_ISDIR(info.st_mode)) result.anyFile = true;
}

// Every entry counts: there are no hidden, system or read-only attributes to
// filter by here, and "." and ".." are found as folders the way a folder
// search finds them.
SearchResult Search(const std::string &path) {
    SearchResult result;
    size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);
    if (pattern.find_first_of("*?") == std::string::npos || folder.find_first_of("*?") != std::string::npos) {
        Classify(path, result);
        return result;
    }
    DIR *directory = opendir(folder.c_str());
    if (!directory) return result;
    while (dirent *entry = readdir(directory)) {
        if (!MatchesPattern(entry->d_name, pattern)) continue;
        Classify(folder + "/" + entry->d_name, result);
        if (result.anyFile) break;
    }
    closedir(directory);
    return result;
}

}  // namespace

bool NamesFolderOnly(const Text &path) {
    std::string native = runtime::ToSystemText(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    SearchResult result = Search(native);
    return result.anyEntry && !result.anyFile;
}

std::optional<bool> DriveRootExists(const Text &) { return std::nullopt; }

std::FILE *OpenFile(const Text &name, const char *mode, int32_t &errorNumber) {
    std::FILE *file = std::fopen(runtime::ToSystemText(name).c_str(), mode);
    if (file) return file;
    switch (errno) {
    case ENOENT: errorNumber = 53; break;                            // file not found
    case ENOTDIR: errorNumber = 76; break;                           // path not found
    case ENAMETOOLONG: errorNumber = 52; break;                      // bad file name
    case EIO: errorNumber = 57; break;                               // device I/O error
    case ENXIO: case ENODEV: case ENOMEDIUM: errorNumber = 68; break;  // device unavailable
    default: errorNumber = 75;                                       // no access, a folder, ...
    }
    return nullptr;
}

bool OrdinaryFileExists(const Text &name) {
    struct stat status {};
    return ::stat(runtime::ToSystemText(name).c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace corvane::common
