#pragma once
// Runs the built cvmp3 (or any program) as a child process with its own
// environment and folder, and collects its output and exit status.
#include <map>
#include <string>
#include <vector>

namespace corvane::testing {

struct RunResult {
    int exitStatus = -1;  // -1 when the program was killed or did not start
    std::string out;
    std::string err;
};

struct RunOptions {
    std::map<std::string, std::string> environment;  // added to the test's own
    std::string folder;                                               // empty: the test's own
    int timeoutSeconds = 60;                                          // then the child is killed
};

RunResult RunProgram(const std::string &program, const std::vector<std::string> &arguments,
                     const RunOptions &options = {});

std::string ReadFileBytes(const std::string &path);

}  // namespace corvane::testing
