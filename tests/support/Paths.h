#pragma once
#include <optional>
#include <string>

namespace corvane::testing {

// Where the build put things the tests need.
std::string FixtureDir();                       // generated audio fixtures (CORVANE_FIXTURE_DIR overrides it)
std::string FixturePath(const std::string &name);
std::string EnginePath();                       // the built libCorvaneMP3.so
std::string CliPath();                          // the built cvmp3 program
std::string SourceDir();
std::string BinaryDir();

// A fresh empty folder below the system's temporary folder, removed by the
// caller when it likes (tests leave it for inspection when they fail).
std::string MakeScratchDir(const std::string &prefix);

// Sets an environment variable for the life of the object.
class ScopedVariable {
public:
    ScopedVariable(const char *name, const std::string &value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable &) = delete;
    ScopedVariable &operator=(const ScopedVariable &) = delete;

private:
    const char *name_;
    std::optional<std::string> previous_;
};

}  // namespace corvane::testing
