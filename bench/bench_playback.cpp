// Playback figures, each against a baseline measured in the same run:
//   offline_render   decode + 10-band equalizer + analysis every 10 ms of a
//                    long file through the wav-fast output, as a speed ratio
//                    against `mpg123 -t` decoding the same file (>= 0.9 wanted)
//   realtime_cpu     the share of one core used while 30 s play in real time
//                    to the null output (<= 0.5 % wanted)
//   latency          play -> first sound at the sink, pause -> silence,
//                    stop -> silence, beside the block length of the null output
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/PlaybackEngine.h"
#include "engine/PlaybackEntryPoints.h"
#include "engine/StreamDecoder.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace corvane::engine;

constexpr int kRate = 44100;
constexpr int kLongSeconds = 300;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void PutLittleEndian(std::ofstream &out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>(value >> (8 * i)));
}

// A chord with slow tremolo and a little noise: enough going on in every
// band that the encoder and the decoder work as they do on music.
void WriteMusicLikeWav(const std::string &path, int seconds) {
    std::ofstream out(path, std::ios::binary);
    const uint32_t frames = static_cast<uint32_t>(seconds) * kRate;
    const uint32_t bytes = frames * 4;
    out.write("RIFF", 4);
    PutLittleEndian(out, 36 + bytes, 4);
    out.write("WAVEfmt ", 8);
    PutLittleEndian(out, 16, 4);
    PutLittleEndian(out, 1, 2);
    PutLittleEndian(out, 2, 2);
    PutLittleEndian(out, kRate, 4);
    PutLittleEndian(out, kRate * 4, 4);
    PutLittleEndian(out, 4, 2);
    PutLittleEndian(out, 16, 2);
    out.write("data", 4);
    PutLittleEndian(out, bytes, 4);
    std::minstd_rand noise(7);
    std::uniform_real_distribution<double> spread(-0.03, 0.03);
    const std::array<double, 4> chord{220.0, 277.2, 329.6, 1760.0};
    for (uint32_t n = 0; n < frames; ++n) {
        const double t = static_cast<double>(n) / kRate;
        double value = 0.0;
        for (size_t i = 0; i < chord.size(); ++i) {
            value += 0.12 * (1.0 + 0.5 * std::sin(2 * std::numbers::pi * (0.3 + i) * t)) *
                     std::sin(2 * std::numbers::pi * chord[i] * t);
        }
        const double left = value + spread(noise), right = 0.8 * value + spread(noise);
        PutLittleEndian(out, static_cast<uint16_t>(static_cast<int16_t>(std::lrint(left * 32767))), 2);
        PutLittleEndian(out, static_cast<uint16_t>(static_cast<int16_t>(std::lrint(right * 32767))), 2);
    }
}

int RunProgram(const std::vector<std::string> &arguments) {
    const pid_t child = fork();
    if (child == 0) {
        std::vector<char *> argv;
        for (const std::string &argument : arguments) argv.push_back(const_cast<char *>(argument.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Made once with lame and kept in the temporary folder for later runs.
const std::string &LongTrack() {
    static const std::string path = [] {
        const auto folder = std::filesystem::temp_directory_path() / "corvane-bench";
        std::filesystem::create_directories(folder);
        const std::string mp3 = (folder / ("music-" + std::to_string(kLongSeconds) + "s.mp3")).string();
        if (!std::filesystem::exists(mp3)) {
            const std::string wav = (folder / "music.wav").string();
            WriteMusicLikeWav(wav, kLongSeconds);
            const std::string partial = mp3 + ".part";
            if (RunProgram({"lame", "--quiet", "-b", "192", wav, partial}) != 0) {
                throw std::runtime_error("lame failed");
            }
            std::filesystem::rename(partial, mp3);
            std::filesystem::remove(wav);
        }
        return mp3;
    }();
    return path;
}

void UseTenBandEqualizer() {
    std::array<int16_t, 10> bands{31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
    std::array<float, 32> gains{3, -2, 4, -1, 2, -3, 5, 1, -4, 2};
    int16_t interval = 10;
    CreateEq(bands.data(), static_cast<int16_t>(bands.size()));
    SetEq(gains.data());
    EqState(1);
    SetVuInterval(&interval);
}

void ResetEqualizer() {
    std::array<float, 32> flat{};
    int16_t interval = 100;
    SetEq(flat.data());
    EqState(0);
    SetVuInterval(&interval);
}

double TimeOurRender(const std::string &mp3) {
    setenv("CORVANEMP3_OUTPUT", "wav-fast:/dev/null", 1);
    const auto start = Clock::now();
    if (Play(mp3.c_str()) != 0) throw std::runtime_error("play failed");
    while (IsFinished() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const double seconds = Seconds(Clock::now() - start);
    StopPlaying();
    return seconds;
}

double TimeMpg123(const std::string &mp3) {
    const auto start = Clock::now();
    if (RunProgram({"mpg123", "-q", "-t", mp3}) != 0) throw std::runtime_error("mpg123 -t failed");
    return Seconds(Clock::now() - start);
}

void OfflineRender(benchmark::State &state) {
    const std::string &mp3 = LongTrack();
    UseTenBandEqualizer();
    double ours = 1e9, theirs = 1e9;
    for (auto _ : state) {
        for (int round = 0; round < 3; ++round) {
            theirs = std::min(theirs, TimeMpg123(mp3));
            ours = std::min(ours, TimeOurRender(mp3));
        }
        state.SetIterationTime(ours);
    }
    ResetEqualizer();
    state.counters["audio_s"] = kLongSeconds;
    state.counters["ours_x_realtime"] = kLongSeconds / ours;
    state.counters["mpg123_x_realtime"] = kLongSeconds / theirs;
    state.counters["speed_ratio"] = theirs / ours;  // speed_ours / speed_mpg123
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void RealtimeCpu(benchmark::State &state) {
    const std::string &mp3 = LongTrack();
    setenv("CORVANEMP3_OUTPUT", "null", 1);
    double share = 0.0;
    for (auto _ : state) {
        if (Play(mp3.c_str()) != 0) throw std::runtime_error("play failed");
        const double cpuBefore = CpuSeconds();
        const auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(30));
        const double wall = Seconds(Clock::now() - start);
        share = (CpuSeconds() - cpuBefore) / wall;
        StopPlaying();
        state.SetIterationTime(wall);
    }
    state.counters["cpu_percent_of_one_core"] = 100.0 * share;
    state.counters["target_percent"] = 0.5;
}

double SinceMs(Clock::time_point start, int64_t steadyNanoseconds) {
    const auto moment = Clock::time_point(std::chrono::nanoseconds(steadyNanoseconds));
    return std::chrono::duration<double, std::milli>(moment - start).count();
}

void Latency(benchmark::State &state) {
    const std::string &mp3 = LongTrack();
    setenv("CORVANEMP3_OUTPUT", "null", 1);
    std::vector<double> start, pause, stop;
    for (auto _ : state) {
        for (int round = 0; round < 20; ++round) {
            auto t0 = Clock::now();
            Play(mp3.c_str());
            while (PlaybackEngine::Instance().Moments().firstSound == 0) std::this_thread::yield();
            start.push_back(SinceMs(t0, PlaybackEngine::Instance().Moments().firstSound));
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            t0 = Clock::now();
            PausePlaying();
            pause.push_back(SinceMs(t0, PlaybackEngine::Instance().Moments().silentSince));
            ContinuePlaying();
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            t0 = Clock::now();
            StopPlaying();
            stop.push_back(SinceMs(t0, PlaybackEngine::Instance().Moments().silentSince));
        }
    }
    auto mean = [](const std::vector<double> &v) { return std::accumulate(v.begin(), v.end(), 0.0) / v.size(); };
    auto worst = [](const std::vector<double> &v) { return *std::max_element(v.begin(), v.end()); };
    state.counters["play_to_sound_ms"] = mean(start);
    state.counters["play_to_sound_worst_ms"] = worst(start);
    state.counters["pause_to_silence_ms"] = mean(pause);
    state.counters["pause_to_silence_worst_ms"] = worst(pause);
    state.counters["stop_to_silence_ms"] = mean(stop);
    state.counters["stop_to_silence_worst_ms"] = worst(stop);
    state.counters["null_output_block_ms"] = 1024.0 * 1000.0 / kRate;
    state.counters["silence_goal_ms"] = 10.0;
}

BENCHMARK(OfflineRender)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(RealtimeCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Latency)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
