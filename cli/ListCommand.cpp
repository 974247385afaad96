// cvmp3 list: shows and edits an extended M3U play list through the play-list
// control. Every command that changes the list saves it again.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <stdexcept>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/StatusDisplay.h"
#include "playlist/CVMP3PlayList.h"
#include "playlist/M3uText.h"
#include "runtime/AutomationError.h"
#include "runtime/ControlSite.h"
#include "runtime/MessageLoop.h"

namespace corvane::cli {

namespace {

using playlist::CVMP3PlayList;

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// An advisory lock on the folder of a list, held from before the list is read
// until after it is saved, so that list commands running side by side each
// see the other's change. (The folder, not the file: a save replaces the
// file.) A wait is said once and ends after 30 seconds.
class ListLock {
public:
    explicit ListLock(const std::string &listPath) {
        const std::filesystem::path folder = std::filesystem::absolute(listPath).parent_path();
        fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0 || ::flock(fd_, LOCK_EX | LOCK_NB) == 0) return;  // no folder: the load says why
        ReportProblem(listPath + ": waiting for another cvmp3 that is changing a list in " + folder.string());
        for (int waited = 0; ::flock(fd_, LOCK_EX | LOCK_NB) != 0; waited += 20) {
            if (waited >= 30000) throw std::runtime_error(listPath + ": the list stayed locked for 30 seconds");
            ::usleep(20000);
        }
    }
    ~ListLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    ListLock(const ListLock &) = delete;
    ListLock &operator=(const ListLock &) = delete;

private:
    int fd_ = -1;
};

// One play-list file opened through its own control, locked for its life.
class ListSession {
public:
    explicit ListSession(std::string path) : path_(std::move(path)), lock_(path_), site_(loop_), list_(site_) {}

    CVMP3PlayList &List() { return list_; }
    const std::string &Path() const { return path_; }

    // Raises the control's error. Shows progress on a terminal for long lists.
    void Load() {
        bool showProgress = isatty(STDERR_FILENO) == 1;
        if (showProgress)
            list_.SetProgressCallback([](int32_t done, int32_t total) {
                if (total >= 200 && done % 50 == 0) std::fprintf(stderr, "\rLoading %d/%d", done, total);
            });
        const std::string content = ReadFile(path_);
        LoadReadableList(list_, path_);
        list_.SetProgressCallback(nullptr);
        if (showProgress) std::fprintf(stderr, "\r\x1b[K");
        std::string changes;
        const auto paths = playlist::M3uPathLines(playlist::SplitM3uLines(playlist::NormalisedM3u(content, changes)));
        skipped_ = std::max(0, static_cast<int>(paths.size()) - list_.Count());
    }

    // False when the list could not be written; the old file is then kept.
    bool Save() {
        runtime::Variant name = ToText(path_);
        return list_.SavePlayList(name);
    }

    // Entries of the file that name no readable audio file (left out).
    int Skipped() const { return skipped_; }

private:
    std::string path_;
    ListLock lock_;
    runtime::MessageLoop loop_;
    runtime::NativeControlSite site_;
    CVMP3PlayList list_;
    int skipped_ = 0;
};

std::string EntryLine(int position, playlist::PlayListEntry &entry) {
    runtime::Text artist = runtime::AbsorbOr(runtime::Text{}, [&] { return entry.ID3Artist(); });
    runtime::Text title = runtime::AbsorbOr(runtime::Text{}, [&] { return entry.ID3Title(); });
    std::string name = !artist.empty() && !title.empty() ? ToUtf8(artist) + " - " + ToUtf8(title)
                                                         : ToUtf8(entry.Filename());
    char prefix[48];
    std::snprintf(prefix, sizeof prefix, "%4d. %8s  ", position, FormatTime(entry.TrackLength()).c_str());
    return prefix + name;
}

void PrintList(ListSession &session) {
    CVMP3PlayList &list = session.List();
    int position = 0;
    for (const auto &entry : list.NewEnum()) std::printf("%s\n", EntryLine(++position, *entry).c_str());
    int count = list.Count();
    std::printf("Total: %d %s, %s\n", count, count == 1 ? "entry" : "entries",
                FormatTime(list.TotalPlayListTime()).c_str());
    if (session.Skipped() > 0)
        std::printf(session.Skipped() == 1 ? "(%d line of the file names no readable audio file; it is left out)\n"
                                           : "(%d lines of the file name no readable audio file; they are left out)\n",
                    session.Skipped());
}

void PrintSummary(const char *what, ListSession &session) {
    CVMP3PlayList &list = session.List();
    std::printf("%s %s: %d %s, %s\n", what, session.Path().c_str(), list.Count(),
                list.Count() == 1 ? "entry" : "entries", FormatTime(list.TotalPlayListTime()).c_str());
}

// A changing command would drop the entries that could not be read; it goes
// on only when asked to with --prune.
bool MayChange(ListSession &session, bool prune) {
    if (session.Skipped() == 0 || prune) return true;
    bool one = session.Skipped() == 1;
    const char *them = one ? "it" : "them";
    ReportProblem(session.Path() + ": " + std::to_string(session.Skipped()) +
                  (one ? " entry names a file" : " entries name files") +
                  " that cannot be read (missing or not audio); saving would drop " + them + ". Fix or remove " +
                  them + ", or give --prune to save without " + them + ".");
    return false;
}

std::optional<CorvanePlayListMovement> ParseMovement(const std::string &word) {
    if (word == "up") return corMP3MoveUpOne;
    if (word == "down") return corMP3MoveDownOne;
    if (word == "top") return corMP3MoveToTop;
    if (word == "bottom") return corMP3MoveToBottom;
    if (word == "before") return corMP3MoveBeforeFile;
    if (word == "after") return corMP3MoveAfterFile;
    return std::nullopt;
}

std::optional<CorvanePlayListSortType> ParseSortType(const std::string &word) {
    if (word == "file") return corMP3SortByFile;
    if (word == "title") return corMP3SortByID3Title;
    if (word == "artist") return corMP3SortByID3Tag;
    if (word == "time") return corMP3SortByTime;
    return std::nullopt;
}

std::optional<CorvanePlayListSortOrder> ParseSortOrder(const std::string &word) {
    if (word == "ascending") return corMP3SortAscending;
    if (word == "descending") return corMP3SortDescending;
    if (word == "shuffle") return corMP3SortRandom;
    return std::nullopt;
}

struct ListCommandLine {
    std::string action;
    std::string listPath;                // absolute
    std::vector<std::string> operands;   // after LIST
    std::optional<int> before, after;
    bool prune = false;
};

int RunShow(const ListCommandLine &line) {
    if (!line.operands.empty()) return ReportUsage("list", "show takes only LIST");
    ListSession session(line.listPath);
    session.Load();
    PrintList(session);
    return kExitOk;
}

// The list could not be written whole (a full disk, a file size limit): the
// file on disk is the old one.
int SaveFailed(const ListSession &session) {
    ReportProblem(session.Path() + ": the list could not be saved; the file is as it was");
    return kExitFailed;
}

int RunAdd(const ListCommandLine &line) {
    if (line.operands.empty()) return ReportUsage("list", "add needs at least one FILE");
    if (line.before && line.after) return ReportUsage("list", "give --before or --after, not both");
    ListSession session(line.listPath);
    if (std::filesystem::exists(line.listPath)) session.Load();
    if (!MayChange(session, line.prune)) return kExitFailed;

    // A line break would end the M3U line in the middle of the name.
    for (const auto &file : line.operands)
        if (file.find_first_of("\r\n") != std::string::npos) {
            std::string shown;
            for (char c : file) shown += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
            ReportProblem(shown + ": a name with a line break cannot be stored in a play list");
            return kExitFailed;
        }
    int before = line.before.value_or(0), after = line.after.value_or(0);
    for (const auto &file : line.operands) {
        runtime::Text name = ToText(AbsolutePath(file));
        bool added = false;
        try {
            added = session.List().AddEntry(name, runtime::Variant(before), runtime::Variant(after));
        } catch (const runtime::AutomationError &error) {
            ReportError(file, error);
            return kExitFailed;  // nothing saved: the list file stays as it was
        }
        if (!added) {
            ReportProblem(session.Path() + ": there is no entry " + std::to_string(before ? before : after) +
                          " to add " + file + (before ? " before" : " after"));
            return kExitFailed;
        }
        // Several files keep their order around the place given.
        if (before) ++before;
        if (after) ++after;
    }
    if (!session.Save()) return SaveFailed(session);
    PrintSummary("Saved", session);
    return kExitOk;
}

int RunRemove(const ListCommandLine &line) {
    if (line.operands.size() != 1) return ReportUsage("list", "remove needs one INDEX");
    auto index = ParseInt(line.operands[0]);
    if (!index) return ReportUsage("list", "INDEX must be a whole number, not '" + line.operands[0] + "'");
    ListSession session(line.listPath);
    session.Load();
    if (!MayChange(session, line.prune)) return kExitFailed;
    session.List().RemoveEntry(runtime::Variant(static_cast<int32_t>(*index)));
    if (!session.Save()) return SaveFailed(session);
    PrintSummary("Saved", session);
    return kExitOk;
}

int RunMove(const ListCommandLine &line) {
    const auto &words = line.operands;
    if (words.size() < 2) return ReportUsage("list", "move needs FROM and up|down|top|bottom|before N|after N");
    auto from = ParseInt(words[0]);
    auto movement = ParseMovement(words[1]);
    if (!from) return ReportUsage("list", "FROM must be a whole number, not '" + words[0] + "'");
    if (!movement) return ReportUsage("list", "unknown movement '" + words[1] + "'");
    bool needsTarget = *movement == corMP3MoveBeforeFile || *movement == corMP3MoveAfterFile;
    if (needsTarget != (words.size() == 3)) return ReportUsage("list", needsTarget ? words[1] + " needs N" : "too many words");
    std::optional<int> target;
    if (needsTarget && !(target = ParseInt(words[2])))
        return ReportUsage("list", "N must be a whole number, not '" + words[2] + "'");

    ListSession session(line.listPath);
    session.Load();
    if (!MayChange(session, line.prune)) return kExitFailed;
    int32_t fileToMove = *from;
    if (fileToMove < 1 || fileToMove > session.List().Count()) {
        ReportProblem(session.Path() + ": there is no entry " + std::to_string(fileToMove) + " (the list has " +
                      std::to_string(session.List().Count()) + ")");
        return kExitFailed;
    }
    CorvanePlayListMovement moveTo = *movement;
    session.List().MovePlayListEntry(fileToMove, moveTo, runtime::Variant(static_cast<int32_t>(target.value_or(0))));
    if (!session.Save()) return SaveFailed(session);
    PrintSummary("Saved", session);
    return kExitOk;
}

int RunSort(const ListCommandLine &line) {
    const auto &words = line.operands;
    if (words.empty() || words.size() > 2) return ReportUsage("list", "sort needs file|title|artist|time [ascending|descending|shuffle]");
    auto type = ParseSortType(words[0]);
    if (!type) return ReportUsage("list", "unknown sort key '" + words[0] + "'");
    auto order = words.size() == 2 ? ParseSortOrder(words[1]) : std::optional(corMP3SortAscending);
    if (!order) return ReportUsage("list", "unknown sort order '" + words[1] + "'");

    ListSession session(line.listPath);
    session.Load();
    if (!MayChange(session, line.prune)) return kExitFailed;
    CorvanePlayListSortType sortType = *type;
    CorvanePlayListSortOrder sortOrder = *order;
    session.List().Sort(sortType, sortOrder);
    if (!session.Save()) return SaveFailed(session);
    PrintList(session);
    return kExitOk;
}

}  // namespace

const char *ListHelp() {
    return "Usage: cvmp3 list show LIST\n"
           "       cvmp3 list add LIST FILE... [--before N | --after N]\n"
           "       cvmp3 list remove LIST INDEX\n"
           "       cvmp3 list move LIST FROM up|down|top|bottom|before N|after N\n"
           "       cvmp3 list sort LIST file|title|artist|time [ascending|descending|shuffle]\n"
           "\n"
           "Shows and edits an extended M3U play list. Positions count from 1.\n"
           "\n"
           "  show    one line per entry (position, length, 'artist - title' or the\n"
           "          file name), then the number of entries and the total time\n"
           "  add     adds the audio files at the end, or before/after entry N (several\n"
           "          files keep their order); creates LIST when it does not exist.\n"
           "          Files are stored as absolute paths, so the list plays from any\n"
           "          folder. A file that is missing or not audio is refused and\n"
           "          nothing is saved.\n"
           "  remove  removes the entry at INDEX\n"
           "  move    moves entry FROM one place up or down, to the top or bottom, or\n"
           "          before or after entry N\n"
           "  sort    sorts by file (the path as stored), ID3 title, artist and title,\n"
           "          or length;\n"
           "          ascending (the default), descending, or shuffled\n"
           "\n"
           "Options:\n"
           "  --before N  (add) insert before entry N\n"
           "  --after N   (add) insert after entry N\n"
           "  --prune     let a changing command save a list whose file names entries\n"
           "              that cannot be read (they are dropped); without it such a\n"
           "              list is left untouched\n"
           "  -h, --help  this text\n"
           "\n"
           "Every command that changes the list saves it (CR LF line ends, an\n"
           "#EXTINF line for entries with both artist and title). LIST may be a bare\n"
           "name: it is taken in the current folder. The folder must exist.\n"
           "Errors of the play list are reported as 'cvmp3: CONTEXT: error N:\n"
           "DESCRIPTION' with exit status 1; a wrong command line gives exit status 2.\n";
}

int RunListCommand(const std::vector<std::string> &words) {
    Arguments args;
    if (auto answered = ParseCommandLine("list", words, {{"before", true}, {"after", true}, {"prune"}, {"help"}}, ListHelp(), args))
        return *answered;
    const auto &positional = args.Positional();
    if (positional.size() < 2) return ReportUsage("list", "give an action and LIST");

    ListCommandLine line;
    line.action = positional[0];
    line.listPath = AbsolutePath(positional[1]);
    line.operands.assign(positional.begin() + 2, positional.end());
    line.prune = args.Has("prune");
    try {
        line.before = args.IntValue("before");
        line.after = args.IntValue("after");
    } catch (const UsageError &error) {
        return ReportUsage("list", error.what());
    }
    if ((line.before || line.after) && line.action != "add")
        return ReportUsage("list", "--before and --after belong to add");
    if ((line.before && *line.before < 1) || (line.after && *line.after < 1))
        return ReportUsage("list", "positions count from 1");

    using Runner = int (*)(const ListCommandLine &);
    const std::pair<const char *, Runner> actions[] = {
        {"show", RunShow}, {"add", RunAdd}, {"remove", RunRemove}, {"move", RunMove}, {"sort", RunSort}};
    for (const auto &[name, run] : actions) {
        if (line.action != name) continue;
        try {
            return run(line);
        } catch (const runtime::AutomationError &error) {
            ReportError(positional[1], error);
            return kExitFailed;
        }
    }
    return ReportUsage("list", "unknown action '" + line.action + "'");
}

}  // namespace corvane::cli
