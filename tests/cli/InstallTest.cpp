// `make install` gives a relocatable tree: installed into one prefix and moved
// to another, cvmp3 still finds its libraries (through $ORIGIN, with no
// library path set) and the demo track beside it. The package build, the
// pkg-config file and the CMake package are checked on the Debian package
// by tests/dist/test-deb.sh.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "CliRunner.h"
#include "support/Paths.h"
#include "support/WavFile.h"

namespace corvane::testing {
namespace {

namespace fs = std::filesystem;

TEST(Install, MovedPrefixStillPlaysItsDemoTrack) {
    const fs::path scratch = MakeScratchDir("cvmp3-install"), prefix = scratch / "prefix", moved = scratch / "moved";
    RunResult install = RunProgram("cmake", {"--install", BinaryDir(), "--prefix", prefix.string()});
    ASSERT_EQ(install.exitStatus, 0) << install.out << install.err;
    fs::rename(prefix, moved);

    const fs::path wav = scratch / "demo.wav";
    RunResult demo = RunProgram((moved / "bin" / "cvmp3").string(), {"play", "--output", wav.string(), "--fast"},
                                {.environment = {{"LD_LIBRARY_PATH", ""}, {"CORVANEMP3_LIBRARY", ""}}});
    ASSERT_EQ(demo.exitStatus, 0) << demo.out << demo.err;
    EXPECT_NE(demo.out.find("Demo track: " + (moved / "share/corvanemp3/demo.mp3").string()), std::string::npos)
        << demo.out;
    WavAudio audio;
    EXPECT_TRUE(ReadWav(wav.string(), audio) && audio.Frames() > 44100);
    if (!HasFailure()) fs::remove_all(scratch);
}

}  // namespace
}  // namespace corvane::testing
