#include "CliRunner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace corvane::testing {

namespace {

std::string ShellQuote(const std::string &text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

// The child runs through sh: env adds its variables, timeout kills it when it
// overstays, and its standard error goes to a file read afterwards.
RunResult RunProgram(const std::string &program, const std::vector<std::string> &arguments,
                     const RunOptions &options) {
    std::string command = "exec env";
    for (const auto &[name, value] : options.environment) command += " " + ShellQuote(name + "=" + value);
    command += " timeout -s KILL " + std::to_string(options.timeoutSeconds) + " " + ShellQuote(program);
    for (const auto &argument : arguments) command += " " + ShellQuote(argument);
    if (!options.folder.empty()) command = "cd " + ShellQuote(options.folder) + " && " + command;
    char errPath[] = "/tmp/cvmp3-test-stderr-XXXXXX";
    close(mkstemp(errPath));
    command += " </dev/null 2>" + ShellQuote(errPath);

    RunResult result;
    FILE *out = popen(command.c_str(), "r");
    if (!out) return result;
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, out)) > 0;) result.out.append(buffer, got);
    const int status = pclose(out);
    result.exitStatus = WIFEXITED(status) && WEXITSTATUS(status) != 128 + SIGKILL ? WEXITSTATUS(status) : -1;
    result.err = ReadFileBytes(errPath);
    unlink(errPath);
    return result;
}

std::string ReadFileBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace corvane::testing
