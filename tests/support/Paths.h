#pragma once
#include <string>

namespace corvane::testing {

// Where the build put things the tests need.
std::string FixtureDir();                       // generated audio fixtures
std::string FixturePath(const std::string &name);
std::string EnginePath();                       // the built libCorvaneMP3.so
std::string CliPath();                          // the built cvmp3 program
std::string SourceDir();
std::string BinaryDir();

// A fresh empty folder below the system's temporary folder, removed by the
// caller when it likes (tests leave it for inspection when they fail).
std::string MakeScratchDir(const std::string &prefix);

}  // namespace corvane::testing
