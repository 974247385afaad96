// The installed tree works on its own: installed into a scratch prefix, the
// package builds the embedding example, which then plays a fixture, and the
// installed cvmp3 finds its libraries and the demo track.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "CliRunner.h"
#include "support/Paths.h"
#include "support/WavFile.h"

namespace corvane::testing {
namespace {

namespace fs = std::filesystem;

TEST(Install, PrefixHoldsAWorkingPackageProgramAndDemo) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the example is built without sanitizers and cannot load these libraries";
#endif
    const fs::path scratch = MakeScratchDir("cvmp3-install"), prefix = scratch / "prefix";
    RunResult install = RunProgram("cmake", {"--install", BinaryDir(), "--prefix", prefix.string()});
    ASSERT_EQ(install.exitStatus, 0) << install.out << install.err;
    fs::path pc;  // in the library folder's pkgconfig
    for (const auto &entry : fs::recursive_directory_iterator(prefix))
        if (entry.path().filename() == "corvanemp3.pc") pc = entry.path();
    for (const fs::path file : {prefix / "include/CorvaneMP3.h", pc.parent_path() / "../libCorvaneControls.so",
                                pc.parent_path() / "../libCorvaneMP3.so"})
        EXPECT_TRUE(fs::exists(file)) << file;
    // The pkg-config file points into this prefix, wherever it is.
    RunResult flags = RunProgram("pkg-config", {"--cflags", "--libs", "corvanemp3"},
                                 {.environment = {{"PKG_CONFIG_PATH", pc.parent_path().string()}}});
    std::smatch include;
    ASSERT_TRUE(std::regex_search(flags.out, include, std::regex("-I(\\S+/CorvaneMP3)\\s.*-lCorvaneControls"))) << flags.out;
    EXPECT_TRUE(fs::exists(fs::path(include[1].str()) / "player" / "CVMP3Player.h")) << include[1];

    // The example builds against the CMake package and plays a fixture.
    const fs::path build = scratch / "example", wav = scratch / "example.wav", demoWav = scratch / "demo.wav";
    RunResult configure = RunProgram("cmake", {"-S", SourceDir() + "/examples/embed-player", "-B", build.string(),
                                               "-DCMAKE_PREFIX_PATH=" + prefix.string(), "-DCMAKE_BUILD_TYPE=Release"});
    ASSERT_EQ(configure.exitStatus, 0) << configure.out << configure.err;
    RunResult compiled = RunProgram("cmake", {"--build", build.string()}, {.timeoutSeconds = 120});
    ASSERT_EQ(compiled.exitStatus, 0) << compiled.out << compiled.err;
    RunResult played = RunProgram((build / "embed-player").string(), {FixturePath("l3_mpeg1_cbr128_joint_v1.mp3")},
                                  {.environment = {{"CORVANEMP3_OUTPUT", "wav-fast:" + wav.string()}}});
    ASSERT_EQ(played.exitStatus, 0) << played.out << played.err;
    WavAudio audio;
    EXPECT_TRUE(ReadWav(wav.string(), audio) && audio.Frames() > 44100);

    // The installed program plays the installed demo track when given no file.
    RunResult demo = RunProgram((prefix / "bin" / "cvmp3").string(), {"play", "--output", demoWav.string(), "--fast"});
    ASSERT_EQ(demo.exitStatus, 0) << demo.out << demo.err;
    EXPECT_NE(demo.out.find("Demo track: " + (prefix / "share/corvanemp3/demo.mp3").string()), std::string::npos) << demo.out;
    EXPECT_TRUE(ReadWav(demoWav.string(), audio));
    if (!HasFailure()) fs::remove_all(scratch);
}

}  // namespace
}  // namespace corvane::testing
