#include <gtest/gtest.h>

#include <functional>

#include "decoder/DynamicDecoderLibrary.h"
#include "support/RecordingDecoderLibrary.h"
#include "support/Paths.h"

namespace corvane::decoder {
namespace {

#ifdef _WIN32
constexpr const char *kEngineFile = "CorvaneMP3.dll", *kForeignLibrary = "kernel32.dll";
#else
constexpr const char *kEngineFile = "libCorvaneMP3.so", *kForeignLibrary = "libm.so.6";
#endif

// The message of the load error that `load` raises; empty when it loads.
std::string LoadFailure(const std::function<void()> &load) {
    try {
        load();
    } catch (const DecoderLoadError &error) {
        return error.what();
    }
    return {};
}

TEST(DynamicDecoderLibrary, LibraryWithoutTheEntryPointsFailsNamingTheFirst) {
    std::string message = LoadFailure([] { DynamicDecoderLibrary library(kForeignLibrary); });
    EXPECT_NE(message.find("play_mp3"), std::string::npos) << message;
    EXPECT_NE(message.find(kForeignLibrary), std::string::npos) << message;
}

TEST(DynamicDecoderLibrary, BuiltEngineResolvesEveryEntryPoint) {
    std::unique_ptr<DynamicDecoderLibrary> library;
    ASSERT_NO_THROW(library = std::make_unique<DynamicDecoderLibrary>(testing::EnginePath()));
    EXPECT_EQ(library->Path(), testing::EnginePath());
    char info[CORVANE_FRAME_INFO_SIZE + 1] = "unchanged";
    EXPECT_EQ(library->GetFrameInfo("/nonexistent/track.mp3", info), 53);
}

TEST(DefaultDecoderLibrary, ChosenLibraryWinsThenLoadingByName) {
    auto fake = std::make_shared<RecordingDecoderLibrary>();
    SetDefaultDecoderLibrary(fake);
    EXPECT_EQ(DefaultDecoderLibrary(), fake);
    SetDefaultDecoderLibrary(nullptr);

    {
        testing::ScopedVariable chosen("CORVANEMP3_LIBRARY", "/nonexistent/libChosen.so");
        EXPECT_NE(LoadFailure([] { DefaultDecoderLibrary(); }).find("/nonexistent/libChosen.so"), std::string::npos);
    }

    // Found next to the component library, which the build puts beside it.
    DecoderLibraryRef loaded = DefaultDecoderLibrary();
    auto dynamic = std::dynamic_pointer_cast<DynamicDecoderLibrary>(loaded);
    ASSERT_NE(dynamic, nullptr);
    EXPECT_TRUE(dynamic->Path().ends_with(kEngineFile)) << dynamic->Path();
    EXPECT_EQ(DefaultDecoderLibrary(), loaded);  // loaded once
}

}  // namespace
}  // namespace corvane::decoder
