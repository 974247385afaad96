#include <cstdio>
#include <filesystem>

#include "cli/Commands.h"
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

runtime::Text ToText(const std::string &utf8) { return runtime::FromUtf8(utf8); }
std::string ToUtf8(const runtime::Text &text) { return runtime::ToUtf8(text); }

}  // namespace corvane::cli
