#include "support/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace corvane::testing {

std::string FixtureDir() { return CORVANE_FIXTURE_DIR; }
std::string FixturePath(const std::string &name) { return FixtureDir() + "/" + name; }
std::string EnginePath() { return CORVANE_ENGINE_PATH; }
std::string CliPath() { return CORVANE_CLI_PATH; }
std::string SourceDir() { return CORVANE_SOURCE_DIR; }
std::string BinaryDir() { return CORVANE_BINARY_DIR; }

std::string MakeScratchDir(const std::string &prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed for " + pattern);
    return pattern;
}

}  // namespace corvane::testing
