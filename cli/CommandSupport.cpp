#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

#include "cli/Commands.h"
#include "playlist/CVMP3PlayList.h"
#include "playlist/M3uText.h"
#include "runtime/AutomationError.h"

namespace corvane::cli {

void ReportError(const std::string &context, const runtime::AutomationError &error) {
    std::string line = "cvmp3: ";
    if (!context.empty()) line += context + ": ";
    line += "error " + std::to_string(error.Number()) + ": " + ToUtf8(error.Description());
    std::fprintf(stderr, "%s\n", line.c_str());
}

void ReportProblem(const std::string &message) { std::fprintf(stderr, "cvmp3: %s\n", message.c_str()); }

int ReportUsage(const std::string &command, const std::string &message) {
    std::fprintf(stderr, "cvmp3 %s: %s\nTry 'cvmp3 %s --help'.\n", command.c_str(), message.c_str(), command.c_str());
    return kExitUsage;
}

std::optional<int> ParseCommandLine(const std::string &command, const std::vector<std::string> &words,
                                    const std::vector<OptionRule> &known, const char *help, Arguments &args) {
    try {
        args = Arguments::Parse(words, known);
    } catch (const UsageError &error) {
        return ReportUsage(command, error.what());
    }
    if (!args.Has("help")) return std::nullopt;
    std::fputs(help, stdout);
    return kExitOk;
}

std::string AbsolutePath(const std::string &path) {
    std::error_code failed;
    auto absolute = std::filesystem::absolute(path, failed);
    return failed ? path : absolute.lexically_normal().string();
}

// Words of the command line are system text: a file name that is not valid
// UTF-8 still names its file.
runtime::Text ToText(const std::string &utf8) { return runtime::FromSystemText(utf8); }
std::string ToUtf8(const runtime::Text &text) { return runtime::ToUtf8(text); }

void LoadReadableList(playlist::CVMP3PlayList &list, const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    runtime::Variant name = ToText(path);
    std::string changes;
    const std::string normalised = in ? playlist::NormalisedM3u(content, changes) : std::string();
    if (changes.empty()) return list.LoadPlayList(name);  // the control reports what is wrong
    if (content.find('\0') != std::string::npos)
        throw std::runtime_error(path + ": is not a play list: it holds binary data");

    std::string copy = (std::filesystem::temp_directory_path() / "cvmp3-list-XXXXXX").string();
    const int fd = mkstemp(copy.data());
    if (fd < 0 || write(fd, normalised.data(), normalised.size()) != static_cast<ssize_t>(normalised.size()) ||
        close(fd) != 0)
        throw std::runtime_error(path + ": a normalised copy of the list could not be written");
    runtime::Variant copyName = ToText(copy);
    try {
        list.LoadPlayList(copyName);
    } catch (...) {
        std::filesystem::remove(copy);
        throw;
    }
    std::filesystem::remove(copy);
    runtime::Text original = ToText(path);
    list.SetFilename(original);
    std::fprintf(stderr, "cvmp3: %s: read although it has %s; a save writes the extended M3U form\n", path.c_str(),
                 changes.c_str());
}

}  // namespace corvane::cli
