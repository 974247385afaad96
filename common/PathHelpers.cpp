#include "common/PathHelpers.h"

#include <algorithm>

#include "runtime/AutomationError.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace corvane::common {

namespace {

bool IsSeparator(char16_t c) { return c == u'/' || c == u'\\'; }
bool EndsWithSeparator(const Text &text) { return !text.empty() && IsSeparator(text.back()); }

#ifdef _WIN32

bool IsDriveRoot(const Text &path) {
    if (path.size() != 3) return false;
    char16_t letter = path[0];
    bool isLetter = (letter >= u'A' && letter <= u'Z') || (letter >= u'a' && letter <= u'z');
    return isLetter && path[1] == u':' && path[2] == u'\\';
}

// Opening X:\abc.rcr tells a missing drive ("path not found") from one that
// exists; every other outcome counts as present. Nothing is created.
bool ProbeDriveRoot(const Text &root) {
    std::string probe = runtime::ToSystemText(root + u"abc.rcr");
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return true;
    }
    return GetLastError() != ERROR_PATH_NOT_FOUND;
}

// Two searches with the path as a pattern: entries of every kind, and files
// only; a folder is what the first finds and the second does not.
bool NamesFolderOnly(const Text &path) {
    std::string pattern = runtime::ToSystemText(path);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool anyFile = false;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) anyFile = true;
    } while (!anyFile && FindNextFileA(search, &found));
    FindClose(search);
    return !anyFile;
}

#else

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

// "\" separates folders as "/" does.
bool NamesFolderOnly(const Text &path) {
    std::string native = runtime::ToSystemText(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    SearchResult result = Search(native);
    return result.anyEntry && !result.anyFile;
}

#endif

}  // namespace

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
        if (EndsWithSeparator(path)) {
            if (path.size() <= 3) return path;
            path.pop_back();
        }
        int32_t separator = FindLastOfAny(path, {u"/", u"\\"});
        if (separator == 0) return {};
        Text folder = path.substr(0, static_cast<size_t>(separator - 1));
        if (folder.size() <= 3 && !EndsWithSeparator(folder)) folder += u'\\';
        return folder;
    } catch (...) {
        return {};
    }
}

bool DirectoryExists(const Text &path) {
    try {
        if (runtime::TrimSpaces(path).empty()) return false;
#ifdef _WIN32
        if (IsDriveRoot(path)) return ProbeDriveRoot(path);
#endif
        return NamesFolderOnly(path);
    } catch (...) {
        return false;
    }
}

}  // namespace corvane::common
