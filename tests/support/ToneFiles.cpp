#include "support/ToneFiles.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <stdexcept>
#include <tuple>

#include <gtest/gtest.h>

#include "support/Paths.h"

namespace corvane::testing {

namespace {

std::mutex folderMutex;

// Outputs of this run; removed at exit unless a test failed.
const std::string &OutputPath() {
    static const struct Folder {
        std::string path = MakeScratchDir("corvane-playback");
        ~Folder() {
            std::error_code ignored;
            if (!::testing::UnitTest::GetInstance()->Failed()) std::filesystem::remove_all(path, ignored);
        }
    } folder;
    return folder.path;
}

}  // namespace

// A tone's file name carries a digest of its samples.
std::string EncodeMp3(const std::string &name, const WavAudio &audio) {
    std::lock_guard lock(folderMutex);
    static const std::string cache = [] {
        const char *chosen = std::getenv("CORVANE_TONE_DIR");
        const std::string path = chosen && *chosen ? chosen : BinaryDir() + "/test-tones";
        std::filesystem::create_directories(path);
        return path;
    }();
    uint64_t hash = 1469598103934665603ull ^ static_cast<uint64_t>(audio.sampleRate * 31 + audio.channels);
    for (float sample : audio.samples) hash = (hash ^ static_cast<uint16_t>(ToPcm16(sample))) * 1099511628211ull;
    char digest[17];
    std::snprintf(digest, sizeof digest, "%016llx", static_cast<unsigned long long>(hash));
    const std::string mp3 = cache + "/" + name + "-" + digest + ".mp3";
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
