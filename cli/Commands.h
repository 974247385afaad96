#pragma once
// The sub-commands of cvmp3 and what they share: each takes the words after
// its own name and returns the program's exit status.
//
// cli/ is one of the two faces of the components (automation/ is the other):
// it may include every folder below it, and nothing includes it.
#include <optional>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "runtime/Text.h"

namespace corvane::runtime {
class AutomationError;
}
namespace corvane::playlist {
class CVMP3PlayList;
}

namespace corvane::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // a file, list or device problem
inline constexpr int kExitUsage = 2;   // a command line the program cannot act on

int RunPlayCommand(const std::vector<std::string> &words);
int RunInfoCommand(const std::vector<std::string> &words);
int RunTagCommand(const std::vector<std::string> &words);
int RunListCommand(const std::vector<std::string> &words);

const char *PlayHelp();
const char *InfoHelp();
const char *TagHelp();
const char *ListHelp();

// "cvmp3: CONTEXT: error N: DESCRIPTION" on standard error, one line.
void ReportError(const std::string &context, const runtime::AutomationError &error);
// "cvmp3: MESSAGE" on standard error.
void ReportProblem(const std::string &message);
// A usage problem, with a pointer to the sub-command's help.
int ReportUsage(const std::string &command, const std::string &message);

// Parses a sub-command's words into `args`. Returns the exit status when that
// already answers the command (its help printed, or a usage problem
// reported); nullopt when the command goes on.
std::optional<int> ParseCommandLine(const std::string &command, const std::vector<std::string> &words,
                                    const std::vector<OptionRule> &known, const char *help, Arguments &args);

// Loads a list file the way people write them. The control reads only the
// strict extended M3U form; a list with a byte-order mark, line feeds or no
// header is handed to it as a normalised copy, and that is said once on
// standard error. Raises the control's errors; throws std::runtime_error
// naming the reason for a file that holds binary data.
void LoadReadableList(playlist::CVMP3PlayList &list, const std::string &path);

// A path made absolute against the current folder (nothing else changes).
std::string AbsolutePath(const std::string &path);

runtime::Text ToText(const std::string &utf8);
std::string ToUtf8(const runtime::Text &text);

}  // namespace corvane::cli
