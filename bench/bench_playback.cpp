// Playback figures, each against a baseline measured in the same run, and at
// the end one line per figure with its goal:
//   offline render   a long file through the wav-fast output with the
//                    equalizer off, as a speed ratio against `mpg123 -t` on
//                    the same file; the two alternate, fifteen rounds, and the
//                    best and the median ratio are printed
//   equalizer cost   the same with a 10-band equalizer on, as extra time
//   under load       the render ratio again while spinning threads keep
//                    all cores but one busy, and how far it moved from the
//                    quiet one
//   16-bit identity  the rendered track, equalizer off and unity gain,
//                    against libmpg123's own 16-bit output, sample by sample
//   real-time CPU    the share of one core while playing in real time to
//                    the null output: the engine alone, and `cvmp3 play`
//   latency          play -> first sound at the sink, pause -> silence,
//                    stop -> silence, beside the block length of the null output
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <numbers>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/playback/PlaybackEngine.h"
#include "engine/api/PlaybackEntryPoints.h"
#include "engine/stream/StreamDecoder.h"
#include "support/ReferenceDecode.h"
#include "support/WavFile.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace corvane::engine;

constexpr int kRate = 44100;
constexpr int kLongSeconds = 300;
// A render of the long track takes about a third of a second: enough rounds
// for a median that holds still on a noisy machine.
constexpr int kRenderRounds = 15;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double UsedSeconds(const rusage &usage) {
    auto seconds = [](const timeval &t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

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

// The exit status; `cpuSeconds`, when given, gets the child's CPU time.
int RunProgram(const std::vector<std::string> &arguments, double *cpuSeconds = nullptr) {
    const pid_t child = fork();
    if (child == 0) {
        std::vector<char *> argv;
        for (const std::string &argument : arguments) argv.push_back(const_cast<char *>(argument.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (cpuSeconds) *cpuSeconds = UsedSeconds(usage);
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

// The end is polled every millisecond, but only from three quarters of
// `expectedSeconds` on, so that the poll's own wake-ups do not compete with
// the render for the cores.
double TimeOurRender(const std::string &mp3, double expectedSeconds = 0.0,
                     const std::string &output = "wav-fast:/dev/null") {
    setenv("CORVANEMP3_OUTPUT", output.c_str(), 1);
    const auto start = Clock::now();
    if (Play(mp3.c_str()) != 0) throw std::runtime_error("play failed");
    std::this_thread::sleep_for(std::chrono::duration<double>(0.75 * expectedSeconds));
    while (IsFinished() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const double seconds = Seconds(Clock::now() - start);
    StopPlaying();
    return seconds;
}

struct Mpg123Time {
    double wall, cpu;
};

Mpg123Time TimeMpg123(const std::string &mp3) {
    const auto start = Clock::now();
    double cpu = 0;
    if (RunProgram({"mpg123", "-q", "-t", mp3}, &cpu) != 0) throw std::runtime_error("mpg123 -t failed");
    return {Seconds(Clock::now() - start), cpu};
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Alternating timings of the baseline and ours: the best ratio is that of
// the fastest run of each, the median the middle one of the rounds' ratios.
struct RenderRatios {
    std::vector<double> theirs, ours;
    void Add(double theirSeconds, double ourSeconds) {
        theirs.push_back(theirSeconds);
        ours.push_back(ourSeconds);
    }
    bool Empty() const { return ours.empty(); }
    double Best() const {
        return *std::min_element(theirs.begin(), theirs.end()) / *std::min_element(ours.begin(), ours.end());
    }
    double Median() const {
        std::vector<double> ratios;
        for (size_t i = 0; i < ours.size(); ++i) ratios.push_back(theirs[i] / ours[i]);
        return ::Median(ratios);
    }
};

// The figures the summary prints at the end.
struct Summary {
    RenderRatios quiet, loaded;
    std::vector<double> equalizerCosts;
    double decoderCpuPercent = -1, engineCpuPercent = -1, hostCpuPercent = -1, bareTimerCpuPercent = -1;
    double pauseMs = -1, pauseWorstMs = -1, stopMs = -1, stopWorstMs = -1;
    long differingSamples = -1, comparedSamples = 0;
} summary;

// Threads that spin on every core but one for as long as the object lives,
// as another busy program would.
class BusyCores {
public:
    BusyCores() {
        for (unsigned i = 1; i < std::max(2u, std::thread::hardware_concurrency()); ++i)
            spinners_.emplace_back([this] {
                volatile uint64_t work = 0;
                while (!stop_.load(std::memory_order_relaxed)) work = work + 1;
            });
    }
    ~BusyCores() {
        stop_ = true;
        for (std::thread &spinner : spinners_) spinner.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> spinners_;
};

void OfflineRender(benchmark::State &state) {
    const std::string &mp3 = LongTrack();
    for (auto _ : state) {
        for (int round = 0; round < kRenderRounds; ++round) {
            const Mpg123Time theirs = TimeMpg123(mp3);
            ResetEqualizer();
            const double plain = TimeOurRender(mp3, theirs.wall);
            UseTenBandEqualizer();
            const double equalized = TimeOurRender(mp3, plain);
            summary.quiet.Add(theirs.wall, plain);
            summary.equalizerCosts.push_back(100.0 * (equalized / plain - 1.0));
            const double decoderShare = 100.0 * theirs.cpu / kLongSeconds;
            if (summary.decoderCpuPercent < 0 || decoderShare < summary.decoderCpuPercent)
                summary.decoderCpuPercent = decoderShare;
            state.SetIterationTime(plain);
        }
        ResetEqualizer();
        const BusyCores load;
        for (int round = 0; round < kRenderRounds; ++round) {
            const double theirs = TimeMpg123(mp3).wall;
            summary.loaded.Add(theirs, TimeOurRender(mp3, theirs));
        }
    }
    state.counters["speed_ratio_best"] = summary.quiet.Best();
    state.counters["speed_ratio_median"] = summary.quiet.Median();
    state.counters["loaded_speed_ratio_median"] = summary.loaded.Median();
    state.counters["equalizer_cost_percent_median"] = Median(summary.equalizerCosts);
}

void SixteenBitIdentity(benchmark::State &state) {
    const std::string &mp3 = LongTrack();
    const std::string wav = (std::filesystem::temp_directory_path() / "corvane-bench" / "identity.wav").string();
    for (auto _ : state) {
        ResetEqualizer();
        TimeOurRender(mp3, 0.0, "wav-fast:" + wav);
        corvane::testing::WavAudio ours;
        corvane::testing::ReadWav(wav, ours);
        const std::vector<int16_t> theirs = corvane::testing::ReferenceSixteenBit(mp3);
        const size_t common = std::min(ours.samples.size(), theirs.size());
        long differing = static_cast<long>(std::max(ours.samples.size(), theirs.size()) - common);
        for (size_t i = 0; i < common; ++i) differing += corvane::testing::ToPcm16(ours.samples[i]) != theirs[i];
        summary.differingSamples = differing;
        summary.comparedSamples = static_cast<long>(theirs.size());
    }
    std::filesystem::remove(wav);
    state.counters["differing_samples"] = static_cast<double>(summary.differingSamples);
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return UsedSeconds(usage);
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
    summary.engineCpuPercent = 100.0 * share;
}

// What a thread costs that does nothing but wake every 10 ms, as the
// player's finish timer does while a track plays: the floor under cvmp3's
// own share.
void BareTimer(benchmark::State &state) {
    for (auto _ : state) {
        std::mutex mutex;
        std::condition_variable never;
        std::unique_lock lock(mutex);
        timespec before{}, after{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
        auto due = Clock::now();
        for (int tick = 0; tick < 1000; ++tick) {
            due += std::chrono::milliseconds(10);
            never.wait_until(lock, due, [] { return false; });
        }
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
        const double cpu = static_cast<double>(after.tv_sec - before.tv_sec) + (after.tv_nsec - before.tv_nsec) / 1e9;
        summary.bareTimerCpuPercent = 100.0 * cpu / 10.0;
    }
    state.counters["cpu_percent_of_one_core"] = summary.bareTimerCpuPercent;
}

// cvmp3 play as a separate program, its own CPU time over the wall time.
void HostRealtimeCpu(benchmark::State &state) {
    const std::string &mp3 = LongTrack();
    for (auto _ : state) {
        const auto start = Clock::now();
        const pid_t child = fork();
        if (child == 0) {
            setenv("CORVANEMP3_OUTPUT", "null", 1);
            const int quiet = open("/dev/null", O_RDWR);
            dup2(quiet, STDIN_FILENO);
            dup2(quiet, STDOUT_FILENO);
            execl(CORVANE_CLI_PATH, CORVANE_CLI_PATH, "play", mp3.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::seconds(20));
        kill(child, SIGINT);
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        const double wall = Seconds(Clock::now() - start);
        summary.hostCpuPercent = 100.0 * UsedSeconds(usage) / wall;
        state.SetIterationTime(wall);
    }
    state.counters["cpu_percent_of_one_core"] = summary.hostCpuPercent;
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
    summary.pauseMs = mean(pause), summary.pauseWorstMs = worst(pause);
    summary.stopMs = mean(stop), summary.stopWorstMs = worst(stop);
    state.counters["null_output_block_ms"] = 1024.0 * 1000.0 / kRate;
    state.counters["silence_goal_ms"] = 10.0;
}

BENCHMARK(OfflineRender)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SixteenBitIdentity)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(RealtimeCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BareTimer)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(HostRealtimeCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Latency)->Iterations(1)->Unit(benchmark::kMillisecond);

double PercentChange(double to, double from) { return 100.0 * (to / from - 1.0); }

void PrintSummary() {
    std::printf("\n%-52s %10s %10s   %s\n", "figure", "best", "median", "goal");
    if (!summary.quiet.Empty()) {
        const double best = summary.quiet.Best(), median = summary.quiet.Median();
        std::printf("%-52s %9.2fx %9.2fx   >= 0.95x\n", "offline render, equalizer off, against mpg123 -t", best,
                    median);
        std::printf("%-52s %+9.0f%% %+9.0f%%   <= +15%%\n", "the same with a 10-band equalizer on, extra time",
                    *std::min_element(summary.equalizerCosts.begin(), summary.equalizerCosts.end()),
                    Median(summary.equalizerCosts));
        const double loadedBest = summary.loaded.Best(), loadedMedian = summary.loaded.Median();
        std::printf("%-52s %9.2fx %9.2fx   (the quiet one above)\n", "offline render, all cores but one kept busy",
                    loadedBest, loadedMedian);
        std::printf("%-52s %+9.0f%% %+9.0f%%   within 10%%\n", "its change from the quiet render ratio",
                    PercentChange(loadedBest, best), PercentChange(loadedMedian, median));
    }
    if (summary.differingSamples >= 0)
        std::printf("%-52s %10ld %10s   0 (of %ld)\n", "16-bit output against libmpg123's, samples differing",
                    summary.differingSamples, "-", summary.comparedSamples);
    const std::pair<const char *, double> shares[] = {
        {"cvmp3 play into the null output, share of one core", summary.hostCpuPercent},
        {"the engine alone, share of one core", summary.engineCpuPercent},
        {"a thread that only wakes every 10 ms", summary.bareTimerCpuPercent},
        {"mpg123 -t's CPU time over the track's length", summary.decoderCpuPercent}};
    for (const auto &[figure, percent] : shares)
        if (percent >= 0)
            std::printf("%-52s %9.2f%% %10s   %s\n", figure, percent, "-",
                        figure == shares[0].first ? "<= 0.3%" : "(for comparison)");
    if (summary.pauseMs >= 0) {
        std::printf("%-52s %7.1f ms %7.1f ms   <= 10 ms (worst, then mean)\n", "pause until the output is silent",
                    summary.pauseWorstMs, summary.pauseMs);
        std::printf("%-52s %7.1f ms %7.1f ms   <= 10 ms (worst, then mean)\n", "stop until the output is silent",
                    summary.stopWorstMs, summary.stopMs);
    }
}

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    PrintSummary();
    benchmark::Shutdown();
    return 0;
}
