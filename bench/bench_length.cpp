// The exact length of a long VBR file without a Xing frame: get_frame_info
// (a header scan) against ffprobe (which estimates) and against a full
// decode with mpg123 -t, all measured in this run, plus how far each length
// is from the true one.
//
// The file (10 minutes, lame -t -V 4) is made at start in a temporary folder.
#include "engine/api/FileEntryPoints.h"
#include "engine/api/PlaybackEntryPoints.h"
#include "engine/stream/StreamDecoder.h"

#include <benchmark/benchmark.h>
#include <mpg123.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kMinutes = 10;
constexpr double kPi = 3.14159265358979323846;

std::string g_file;

// Ten minutes of slowly changing chords, streamed straight into lame.
bool MakeLongVbrFile(const std::string &path) {
    const std::string command = "lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m j -t -V 4 - '" +
                                path + "' 2>/dev/null";
    FILE *lame = ::popen(command.c_str(), "w");
    if (lame == nullptr) return false;
    const int64_t frames = int64_t{kMinutes} * 60 * kRate;
    std::vector<int16_t> block;
    block.reserve(2 * 4096);
    for (int64_t n = 0; n < frames; ++n) {
        const double t = static_cast<double>(n) / kRate;
        const double root = 110.0 * std::pow(2.0, static_cast<double>(static_cast<int64_t>(t / 4) % 7) / 12.0);
        const double swell = 0.6 + 0.4 * std::sin(2 * kPi * t / 9);
        const double value = swell * (0.25 * std::sin(2 * kPi * root * t) + 0.15 * std::sin(2 * kPi * root * 1.5 * t) +
                                      0.1 * std::sin(2 * kPi * root * 2.52 * t));
        block.push_back(static_cast<int16_t>(value * 32767));
        block.push_back(static_cast<int16_t>(value * 0.9 * 32767));
        if (block.size() == block.capacity()) {
            std::fwrite(block.data(), sizeof(int16_t), block.size(), lame);
            block.clear();
        }
    }
    std::fwrite(block.data(), sizeof(int16_t), block.size(), lame);
    return ::pclose(lame) == 0;
}

std::string Quoted(const std::string &path) { return "'" + path + "'"; }

std::string Output(const std::string &command) {
    FILE *pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return {};
    std::string text;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
    ::pclose(pipe);
    return text;
}

std::vector<std::string> FrameInfoFields() {
    char info[201];
    corvane::engine::GetFrameInfo(g_file.c_str(), info);
    std::vector<std::string> fields;
    std::stringstream stream(info);
    for (std::string field; std::getline(stream, field, '|');) fields.push_back(field);
    return fields;
}

void BM_FrameInfoScan(benchmark::State &state) {
    for (auto _ : state) {
        char info[201];
        benchmark::DoNotOptimize(corvane::engine::GetFrameInfo(g_file.c_str(), info));
    }
}
BENCHMARK(BM_FrameInfoScan)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Ffprobe(benchmark::State &state) {
    const std::string command = "ffprobe -v quiet -show_entries format=duration -of csv=p=0 " + Quoted(g_file) + " >/dev/null";
    for (auto _ : state) benchmark::DoNotOptimize(std::system(command.c_str()));
}
BENCHMARK(BM_Ffprobe)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Mpg123FullDecode(benchmark::State &state) {
    const std::string command = "mpg123 -q -t " + Quoted(g_file) + " >/dev/null 2>&1";
    for (auto _ : state) benchmark::DoNotOptimize(std::system(command.c_str()));
}
BENCHMARK(BM_Mpg123FullDecode)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// What play costs its caller on this file once the host has read its frame
// information (as a player does when its file is set): that read was the
// one scan, so opening the file to play scans nothing.
void BM_PlayReturnsAfterFrameInfo(benchmark::State &state) {
    char info[201];
    corvane::engine::GetFrameInfo(g_file.c_str(), info);
    setenv("CORVANEMP3_OUTPUT", "null", 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(corvane::engine::Play(g_file.c_str()));
        state.PauseTiming();
        corvane::engine::StopPlaying();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlayReturnsAfterFrameInfo)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// The decoder's own exact-length scan, which opening the file used to make.
void BM_DecoderOwnScan(benchmark::State &state) {
    for (auto _ : state) {
        mpg123_handle *handle = mpg123_new(nullptr, nullptr);
        mpg123_open(handle, g_file.c_str());
        benchmark::DoNotOptimize(mpg123_scan(handle));
        mpg123_close(handle);
        mpg123_delete(handle);
    }
}
BENCHMARK(BM_DecoderOwnScan)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Keeps each benchmark's mean real time per iteration for the ratios.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            if (run.iterations > 0) seconds_[run.benchmark_name()] = run.real_accumulated_time / static_cast<double>(run.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // By the benchmark's function name, whatever its suffixes.
    double Seconds(const std::string &function) const {
        for (const auto &[name, seconds] : seconds_) {
            if (name.rfind(function, 0) == 0) return seconds;
        }
        return 0.0;
    }

private:
    std::map<std::string, double> seconds_;
};

void PrintLengths() {
    const auto fields = FrameInfoFields();
    if (fields.size() < 19) {
        std::printf("get_frame_info did not recognise the file\n");
        return;
    }
    std::vector<float> samples;
    corvane::engine::StreamFormat format;
    corvane::engine::DecodeFile(g_file, samples, format);
    const double decoded = static_cast<double>(samples.size() / corvane::engine::kOutputChannels) / kRate;
    const double scanned = std::stod(fields[17]) / kRate;
    const double probed = std::atof(Output("ffprobe -v quiet -show_entries format=duration -of csv=p=0 " + Quoted(g_file)).c_str());
    std::printf("\nlength of the %d-minute VBR file without a Xing frame:\n", kMinutes);
    std::printf("  full decode      %.6f s\n", decoded);
    std::printf("  get_frame_info   %.6f s (%s frames, from the %s), off by %.3f ms\n", scanned, fields[13].c_str(),
                fields[18].c_str(), 1000 * (scanned - decoded));
    std::printf("  ffprobe          %.6f s, off by %.3f ms\n", probed, 1000 * (probed - decoded));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char **argv) {
    const auto dir = std::filesystem::temp_directory_path() / ("corvane-bench-length-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    g_file = (dir / "long_vbr_noxing.mp3").string();
    if (!MakeLongVbrFile(g_file)) {
        std::fprintf(stderr, "bench_length: could not make %s with lame\n", g_file.c_str());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double scan = reporter.Seconds("BM_FrameInfoScan");
    const double probe = reporter.Seconds("BM_Ffprobe");
    const double decode = reporter.Seconds("BM_Mpg123FullDecode");
    std::cout << std::flush;
    const double play = reporter.Seconds("BM_PlayReturnsAfterFrameInfo");
    const double ownScan = reporter.Seconds("BM_DecoderOwnScan");
    if (play > 0 && ownScan > 0)
        std::printf("\nplay returns in %.1f ms (goal 20 ms): %.3f of the decoder's own scan (%.1f ms) it used to wait for\n",
                    1000 * play, play / ownScan, 1000 * ownScan);
    if (scan > 0 && probe > 0 && decode > 0) {
        std::printf("\nget_frame_info takes %.3f of ffprobe's time (%.1fx faster)\n", scan / probe, probe / scan);
        std::printf("get_frame_info takes %.4f of a full mpg123 -t decode's time (%.1fx faster)\n", scan / decode, decode / scan);
    }
    PrintLengths();
    std::filesystem::remove_all(dir);
    return 0;
}
