// Figures of the play list, printed as ratios against baselines measured in
// the same run:
//  - Sort of 100,000 entries by title, against the plain exchange sort (passes
//    of neighbour exchanges until one pass exchanges nothing) on the same kind
//    of data. The exchange sort is run on sizes it finishes in a fraction of a
//    second and its O(n^2) cost is extrapolated to 100,000.
//  - LoadPlayList of 10,000 lines naming real fixture files through the real
//    decoder library, per entry, beside the two library calls that each entry
//    must make (get_id3_tag and get_frame_info called directly).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "decoder/DynamicDecoderLibrary.h"
#include "playlist/CVMP3PlayList.h"
#include "playlist/PlayListSorting.h"
#include "runtime/ControlSite.h"
#include "runtime/MessageLoop.h"

namespace {

using namespace corvane;
using playlist::CVMP3PlayList;
namespace fs = std::filesystem;

constexpr int kSortSize = 100000;
constexpr int kExchangeSizeSmall = 1000;
constexpr int kExchangeSizeLarge = 2000;
constexpr int kLoadSize = 10000;

// Made-up files with a tag and frame information each, served from memory so
// that a sort of 100,000 entries measures the sort and not the disk.
class InMemoryFiles : public decoder::DecoderLibrary {
public:
    void Add(const std::string &path, const std::string &title) {
        std::string tag = "TAG" + title;
        tag.resize(CORVANE_TAG_SIZE, '\0');
        tags_[path] = tag;
    }

    int16_t GetId3Tag(const char *path, char *tag129) override {
        auto found = tags_.find(path);
        if (found == tags_.end()) return 53;
        std::copy(found->second.begin(), found->second.end(), tag129);
        tag129[CORVANE_TAG_SIZE] = '\0';
        return 0;
    }
    int16_t GetFrameInfo(const char *path, char *info201) override {
        if (!tags_.count(path)) return 53;
        std::snprintf(info201, CORVANE_FRAME_INFO_SIZE + 1, "1|3|180000|128000|44100|0|2|Stereo|0|0|1|CBR|2880000|6891|180");
        return 1;
    }

    int32_t PlayMp3(int32_t, CorvaneNotifyHandle) override { return 0; }
    int16_t Play(const char *) override { return 0; }
    int16_t FadeIn(const char *, float) override { return 0; }
    int32_t PausePlaying() override { return 0; }
    int32_t ContinuePlaying() override { return 0; }
    int32_t StopPlaying() override { return 0; }
    int32_t FadeOut(float) override { return 0; }
    int32_t SeekPlaying(double) override { return 0; }
    int16_t IsFinished() override { return 0; }
    int32_t GetStatus(int16_t *, double *, int16_t *, int16_t *, float *) override { return 0; }
    int32_t SetVuInterval(int16_t *) override { return 0; }
    int16_t SetId3Tag(const char *, const char *) override { return 0; }
    int32_t CreateEq(int16_t *, int16_t) override { return 0; }
    int32_t SetEq(float *) override { return 0; }
    int32_t SetGain(float *, float *) override { return 0; }
    int32_t EqState(int32_t) override { return 0; }
    int32_t GetVisInfo(CorvaneVisInfo *) override { return 0; }

private:
    std::map<std::string, std::string, std::less<>> tags_;
};

// Titles of one to three made-up words in mixed letter case; a tenth of them
// repeat an earlier title.
std::string RandomTitle(std::mt19937 &random, std::vector<std::string> &earlier) {
    static const char *const syllables[] = {"ka", "Lo", "mi", "RA", "tu", "ne", "So", "vi", "da", "Ru", "pe", "xo"};
    if (!earlier.empty() && random() % 10 == 0) return earlier[random() % earlier.size()];
    std::string title;
    const int words = 1 + static_cast<int>(random() % 3);
    for (int w = 0; w < words; ++w) {
        if (w) title += ' ';
        const int length = 2 + static_cast<int>(random() % 3);
        for (int s = 0; s < length; ++s) title += syllables[random() % 12];
    }
    earlier.push_back(title);
    return title.substr(0, 30);
}

struct SortData {
    runtime::MessageLoop loop;
    runtime::NativeControlSite site{loop};
    std::shared_ptr<InMemoryFiles> files = std::make_shared<InMemoryFiles>();
    std::unique_ptr<CVMP3PlayList> list;

    explicit SortData(int size) {
        list = std::make_unique<CVMP3PlayList>(site, files);
        std::mt19937 random(size);
        std::vector<std::string> earlier;
        for (int i = 0; i < size; ++i) {
            const std::string path = "/music/track" + std::to_string(i) + ".mp3";
            files->Add(path, RandomTitle(random, earlier));
            runtime::Text name = runtime::FromSystemText(path);
            list->AddEntry(name);
        }
    }
};

// The plain exchange sort: every comparison reads both sorting texts again.
void ExchangeSort(std::vector<playlist::PlayListSortingEntry> &records, int32_t order) {
    for (bool exchanged = true; exchanged;) {
        exchanged = false;
        for (size_t i = 0; i + 1 < records.size(); ++i) {
            const int c = runtime::CompareNoCase(records[i].SortingString(), records[i + 1].SortingString());
            if ((order == corMP3SortAscending && c > 0) || (order == corMP3SortDescending && c < 0)) {
                std::swap(records[i], records[i + 1]);
                exchanged = true;
            }
        }
    }
}

void BM_SortByTitle(benchmark::State &state) {
    SortData data(static_cast<int>(state.range(0)));
    CorvanePlayListSortType type = corMP3SortByID3Title;
    CorvanePlayListSortOrder order = corMP3SortAscending;
    for (auto _ : state) {
        state.PauseTiming();
        data.list->ShuffleEntries();
        state.ResumeTiming();
        data.list->Sort(type, order);
    }
}

void BM_ExchangeSortByTitle(benchmark::State &state) {
    SortData data(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        data.list->ShuffleEntries();
        state.ResumeTiming();
        auto records = data.list->BuildSortingList(corMP3SortByID3Title);
        ExchangeSort(records, corMP3SortAscending);
        benchmark::DoNotOptimize(data.list->RebuildInSortedOrder(records));
    }
}

std::vector<std::string> FixtureAudioFiles() {
    std::vector<std::string> found;
    for (const auto &item : fs::directory_iterator(CORVANE_FIXTURE_DIR)) {
        const std::string name = item.path().filename().string();
        if (item.is_regular_file() && item.path().extension() == ".mp3" && !name.starts_with("bad_"))
            found.push_back(item.path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

struct LoadData {
    std::shared_ptr<decoder::DynamicDecoderLibrary> engine =
        std::make_shared<decoder::DynamicDecoderLibrary>(CORVANE_ENGINE_PATH);
    std::vector<std::string> audio = FixtureAudioFiles();
    std::string folder;
    std::string listFile;

    LoadData() {
        folder = (fs::temp_directory_path() / "bench_playlist-XXXXXX").string();
        if (!mkdtemp(folder.data())) std::abort();
        listFile = folder + "/ten-thousand.m3u";
        std::ofstream out(listFile, std::ios::binary);
        out << "#EXTM3U\r\n";
        for (int i = 0; i < kLoadSize; ++i) out << audio[static_cast<size_t>(i) % audio.size()] << "\r\n";
    }
    ~LoadData() { fs::remove_all(folder); }
};

LoadData &TheLoadData() {
    static LoadData data;
    return data;
}

void BM_LoadPlayList(benchmark::State &state) {
    LoadData &data = TheLoadData();
    runtime::MessageLoop loop;
    runtime::NativeControlSite site(loop);
    CVMP3PlayList list(site, data.engine);
    runtime::Variant name(runtime::FromSystemText(data.listFile));
    for (auto _ : state) {
        list.LoadPlayList(name);
        if (list.Count() != kLoadSize) state.SkipWithError("not every line loaded");
    }
    state.SetItemsProcessed(state.iterations() * kLoadSize);
}

void BM_TagAndFrameInfoCalls(benchmark::State &state) {
    LoadData &data = TheLoadData();
    char tag[CORVANE_TAG_SIZE + 1];
    char info[CORVANE_FRAME_INFO_SIZE + 1];
    size_t next = 0;
    for (auto _ : state) {
        const std::string &path = data.audio[next++ % data.audio.size()];
        benchmark::DoNotOptimize(data.engine->GetId3Tag(path.c_str(), tag));
        benchmark::DoNotOptimize(data.engine->GetFrameInfo(path.c_str(), info));
    }
}

BENCHMARK(BM_SortByTitle)->Arg(kSortSize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExchangeSortByTitle)->Arg(kExchangeSizeSmall)->Arg(kExchangeSizeLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPlayList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TagAndFrameInfoCalls)->Unit(benchmark::kMicrosecond);

// Keeps the mean real time of every run, in seconds, by benchmark name.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration)
                seconds[run.benchmark_name()] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
    double Seconds(const std::string &name) const {
        auto found = seconds.find(name);
        return found == seconds.end() ? 0 : found->second;
    }
    std::map<std::string, double> seconds;
};

void PrintRatios(const RecordingReporter &reporter) {
    const double sort = reporter.Seconds("BM_SortByTitle/" + std::to_string(kSortSize));
    const double small = reporter.Seconds("BM_ExchangeSortByTitle/" + std::to_string(kExchangeSizeSmall));
    const double large = reporter.Seconds("BM_ExchangeSortByTitle/" + std::to_string(kExchangeSizeLarge));
    if (sort > 0 && small > 0 && large > 0) {
        const double scale = static_cast<double>(kSortSize) / kExchangeSizeLarge;
        const double extrapolated = large * scale * scale;
        std::printf("\nSort by title of %d entries: %.3f s\n", kSortSize, sort);
        std::printf("exchange sort: %.3f s at %d, %.3f s at %d (x%.2f for twice the entries)\n", small,
                    kExchangeSizeSmall, large, kExchangeSizeLarge, large / small);
        std::printf("exchange sort extrapolated to %d: %.0f s\n", kSortSize, extrapolated);
        std::printf("ratio exchange sort / Sort at %d: %.0fx (target at least 1000x)\n", kSortSize,
                    extrapolated / sort);
    }
    const double load = reporter.Seconds("BM_LoadPlayList");
    const double calls = reporter.Seconds("BM_TagAndFrameInfoCalls");
    if (load > 0 && calls > 0) {
        const double perEntry = load / kLoadSize;
        std::printf("\nLoadPlayList of %d entries: %.3f s, %.1f us per entry\n", kLoadSize, load, perEntry * 1e6);
        std::printf("get_id3_tag + get_frame_info called directly: %.1f us\n", calls * 1e6);
        std::printf("ratio LoadPlayList per entry / the two library calls: %.2fx\n", perEntry / calls);
    }
}

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter);
    benchmark::Shutdown();
    return 0;
}
