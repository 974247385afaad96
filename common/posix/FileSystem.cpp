#include "common/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <utility>
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
    SearchResult result = Search(runtime::ToSystemText(path));
    return result.anyEntry && !result.anyFile;
}

std::optional<bool> DriveRootExists(const Text &) { return std::nullopt; }

namespace {

int32_t ErrorNumberOf(int error) {
    static constexpr std::pair<int, int32_t> kNumbers[] = {
        {ENOENT, 53},        // file not found
        {ENOTDIR, 76},       // path not found
        {ENAMETOOLONG, 52},  // bad file name
        {EIO, 57},           // device I/O error
        {ENXIO, 68}, {ENODEV, 68}, {ENOMEDIUM, 68},  // device unavailable
    };
    for (const auto &[code, number] : kNumbers)
        if (code == error) return number;
    return 75;  // no access, a folder, ...
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(put));
    }
    return true;
}

// The folder's own entry is flushed too, so that the rename survives a crash.
void SyncFolderOf(const std::string &path) {
    const size_t slash = path.find_last_of('/');
    const int folder = ::open(slash == std::string::npos ? "." : path.substr(0, slash + 1).c_str(), O_RDONLY | O_CLOEXEC);
    if (folder < 0) return;
    ::fsync(folder);
    ::close(folder);
}

}  // namespace

std::FILE *OpenFile(const Text &name, const char *mode, int32_t &errorNumber) {
    std::FILE *file = std::fopen(runtime::ToSystemText(name).c_str(), mode);
    if (!file) errorNumber = ErrorNumberOf(errno);
    return file;
}

// The new file is made with the permissions a new file gets (0666 less the
// umask), or the old file's, and a name of its own that no other writer takes.
int32_t ReplaceWholeFile(const Text &name, std::string_view bytes) {
    const std::string path = runtime::ToSystemText(name);
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    struct stat old {};
    const bool hadFile = ::stat(path.c_str(), &old) == 0;
    std::random_device seed;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = folder + "." + base + "." + std::to_string(seed()) + ".tmp";
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return ErrorNumberOf(errno);
    }
    if (fd < 0) return ErrorNumberOf(EEXIST);
    bool written = WriteAll(fd, bytes) && (!hadFile || ::fchmod(fd, old.st_mode & 07777) == 0) && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (written && ::rename(temporary.c_str(), path.c_str()) == 0) {
        SyncFolderOf(path);
        return kReplaced;
    }
    ::unlink(temporary.c_str());
    return kNotWritten;
}

bool OrdinaryFileExists(const Text &name) {
    struct stat status {};
    return ::stat(runtime::ToSystemText(name).c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace corvane::common
