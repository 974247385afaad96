// The device output through PortAudio, played into an ALSA PCM that writes
// a file: a test-only ALSA configuration stands in for a sound card.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "engine/PlaybackEntryPoints.h"
#include "support/Paths.h"
#include "support/ToneAnalysis.h"
#include "support/ToneFiles.h"
#include "support/TonePlayback.h"

namespace corvane::testing {
namespace {

// Everything the device is sent lands in `raw` as it is (32-bit float,
// stereo); the null PCM behind it takes buffers as fast as they come.
std::string AlsaFileDevice(const std::string &raw) {
    const std::string config = ScratchFile("alsa") + ".conf";
    std::ofstream(config) << "pcm.!default {\n  type file\n  slave.pcm \"discard\"\n  file \"" << raw
                          << "\"\n  format \"raw\"\n}\npcm.discard {\n  type null\n}\n";
    return config;
}

std::vector<float> ReadFloats(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> floats(bytes.size() / sizeof(float));
    std::memcpy(floats.data(), bytes.data(), floats.size() * sizeof(float));
    return floats;
}

TEST(PlaybackDeviceTest, DeviceOutputPlaysEveryFrameOfTheTrackOnce) {
    const std::string mp3 = EncodeMp3("device-tone", SynthesizeTones({{500.0, 0.3, 0.2}}, 0.3));
    const std::string raw = ScratchFile("device") + ".raw";
    ScopedVariable alsa("ALSA_CONFIG_PATH", AlsaFileDevice(raw));
    ScopedOutput device("");
    ASSERT_EQ(engine::Play(mp3.c_str()), 0);
    ASSERT_TRUE(WaitForFinish());
    engine::StopPlaying();

    // The device is also sent silence where nothing was ready; the track's
    // own frames are the ones that are not silent.
    const std::vector<float> sent = ReadFloats(raw);
    WavAudio heard{44100, 2, {}};
    for (size_t i = 0; i + 1 < sent.size(); i += 2) {
        if (sent[i] != 0.0f || sent[i + 1] != 0.0f) heard.samples.insert(heard.samples.end(), {sent[i], sent[i + 1]});
    }
    EXPECT_NEAR(static_cast<double>(heard.Frames()), 0.3 * 44100, 2.0);
    EXPECT_NEAR(ToneAmplitude(heard, 0, 500.0), 0.3, 0.01);
    EXPECT_NEAR(ToneAmplitude(heard, 1, 500.0), 0.2, 0.01);
}

}  // namespace
}  // namespace corvane::testing
