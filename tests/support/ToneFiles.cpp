#include "support/ToneFiles.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <numbers>
#include <stdexcept>
#include <tuple>

#include <gtest/gtest.h>

#include "support/Paths.h"

namespace corvane::testing {

namespace {

std::mutex folderMutex;

// Encoded tones are kept in the build folder for every test program and run;
// a tone's file name carries a digest of its samples.
const std::string &ToneCache() {
    static const std::string folder = [] {
        const std::string path = ToneDir();
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

// Outputs of this run; removed at exit unless a test failed.
class OutputFolder {
public:
    OutputFolder() : path_(MakeScratchDir("corvane-playback")) {}
    ~OutputFolder() {
        const ::testing::UnitTest *run = ::testing::UnitTest::GetInstance();
        if (run != nullptr && !run->Failed()) {
            std::error_code ignored;
            std::filesystem::remove_all(path_, ignored);
        }
    }
    const std::string &Path() const { return path_; }

private:
    std::string path_;
};

const std::string &OutputPath() {
    static const OutputFolder folder;
    return folder.Path();
}

uint64_t Digest(const WavAudio &audio) {
    uint64_t hash = 1469598103934665603ull ^ static_cast<uint64_t>(audio.sampleRate * 31 + audio.channels);
    for (float sample : audio.samples) {
        hash ^= static_cast<uint16_t>(ToPcm16(sample));
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace

WavAudio SynthesizeTones(const std::vector<Partial> &partials, double seconds, int sampleRate, int channels) {
    WavAudio audio{sampleRate, channels, {}};
    const size_t frames = static_cast<size_t>(std::llround(seconds * sampleRate));
    audio.samples.resize(frames * channels);
    for (size_t frame = 0; frame < frames; ++frame) {
        double left = 0.0, right = 0.0;
        for (const Partial &partial : partials) {
            const double phase = std::sin(2.0 * std::numbers::pi * partial.hz * frame / sampleRate);
            left += partial.left * phase;
            right += partial.right * phase;
        }
        audio.samples[frame * channels] = static_cast<float>(left);
        if (channels == 2) audio.samples[frame * channels + 1] = static_cast<float>(right);
    }
    return audio;
}

WavAudio SynthesizeSweep(double fromHz, double toHz, double amplitude, double seconds, int sampleRate) {
    WavAudio audio{sampleRate, 2, {}};
    const size_t frames = static_cast<size_t>(std::llround(seconds * sampleRate));
    audio.samples.resize(frames * 2);
    const double growth = std::log(toHz / fromHz) / seconds;
    for (size_t frame = 0; frame < frames; ++frame) {
        const double t = static_cast<double>(frame) / sampleRate;
        const double phase = 2.0 * std::numbers::pi * fromHz * (std::exp(growth * t) - 1.0) / growth;
        const float value = static_cast<float>(amplitude * std::sin(phase));
        audio.samples[2 * frame] = value;
        audio.samples[2 * frame + 1] = -value;
    }
    return audio;
}

WavAudio Concatenate(const WavAudio &a, const WavAudio &b) {
    WavAudio joined = a;
    joined.samples.insert(joined.samples.end(), b.samples.begin(), b.samples.end());
    return joined;
}

std::string EncodeMp3(const std::string &name, const WavAudio &audio) {
    std::lock_guard lock(folderMutex);
    char digest[17];
    std::snprintf(digest, sizeof digest, "%016llx", static_cast<unsigned long long>(Digest(audio)));
    const std::string mp3 = ToneCache() + "/" + name + "-" + digest + ".mp3";
    if (std::filesystem::exists(mp3)) return mp3;
    // Made under names of this process's own, then renamed into place, so
    // that test programs running side by side never see half a file.
    const std::string wav = OutputPath() + "/" + name + ".wav";
    const std::string partial = OutputPath() + "/" + name + ".mp3";
    WriteWav(wav, audio);
    const std::string mode = audio.channels == 1 ? " -m m" : " -m s";
    const std::string command = "lame --quiet --cbr -b 320 -q 2" + mode + " '" + wav + "' '" + partial + "'";
    if (std::system(command.c_str()) != 0 || !std::filesystem::exists(partial)) {
        throw std::runtime_error("lame failed: " + command);
    }
    std::filesystem::rename(partial, mp3);
    std::filesystem::remove(wav);
    return mp3;
}

const std::string &ToneTrack(double hz, double amplitude, double seconds) {
    static std::map<std::tuple<double, double, double>, std::string> made;
    auto [track, fresh] = made.try_emplace({hz, amplitude, seconds});
    if (fresh) track->second = EncodeMp3("tone", SynthesizeTones({{hz, amplitude, amplitude}}, seconds));
    return track->second;
}

std::string ScratchFile(const std::string &name) {
    std::lock_guard lock(folderMutex);
    static std::map<std::string, int> uses;
    return OutputPath() + "/" + name + "-" + std::to_string(++uses[name]) + ".out";
}

}  // namespace corvane::testing
