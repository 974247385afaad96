#pragma once
// Runs the built cvmp3 (or any program) as a child process with its own
// environment and folder, and collects its output and exit status.
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace corvane::testing {

struct RunResult {
    int exitStatus = -1;  // -1 when the program was killed or did not start
    std::string out;
    std::string err;
};

struct RunOptions {
    std::map<std::string, std::optional<std::string>> environment;  // nullopt removes a variable
    std::string folder;                                               // empty: the test's own
    int timeoutSeconds = 60;                                          // then the child is killed
};

RunResult RunProgram(const std::string &program, const std::vector<std::string> &arguments,
                     const RunOptions &options = {});

// cvmp3 with the null output, so that nothing ever reaches an audio device.
RunResult RunCli(const std::vector<std::string> &arguments, RunOptions options = {});

std::string ReadFileBytes(const std::string &path);
void WriteFileBytes(const std::string &path, const std::string &bytes);
void CopyFile(const std::string &from, const std::string &to);

}  // namespace corvane::testing
