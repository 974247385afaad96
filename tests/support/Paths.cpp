#include "support/Paths.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>

namespace corvane::testing {

namespace {

void SetVariable(const char *name, const std::string *value) {
#ifdef _WIN32
    _putenv_s(name, value ? value->c_str() : "");
#else
    if (value)
        setenv(name, value->c_str(), 1);
    else
        unsetenv(name);
#endif
}

}  // namespace

ScopedVariable::ScopedVariable(const char *name, const std::string &value) : name_(name) {
    if (const char *old = std::getenv(name)) previous_ = old;
    SetVariable(name, &value);
}

ScopedVariable::~ScopedVariable() { SetVariable(name_, previous_ ? &*previous_ : nullptr); }

std::string FixtureDir() {
    const char *chosen = std::getenv("CORVANE_FIXTURE_DIR");
    return chosen && *chosen ? chosen : CORVANE_FIXTURE_DIR;
}
std::string FixturePath(const std::string &name) { return FixtureDir() + "/" + name; }
std::string EnginePath() { return CORVANE_ENGINE_PATH; }
std::string CliPath() { return CORVANE_CLI_PATH; }
std::string SourceDir() { return CORVANE_SOURCE_DIR; }
std::string BinaryDir() { return CORVANE_BINARY_DIR; }

// A name no other run took: create_directory fails on one that exists.
std::string MakeScratchDir(const std::string &prefix) {
    static std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "-%08x", static_cast<unsigned>(seed()));
        const auto path = std::filesystem::temp_directory_path() / (prefix + suffix);
        if (std::filesystem::create_directory(path)) return path.generic_string();
    }
    throw std::runtime_error("no scratch folder could be made for " + prefix);
}

}  // namespace corvane::testing
