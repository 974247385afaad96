// cvmp3 play: a host of the player and play-list controls. Files and lists go
// into a queue of play-list entries; the player plays them one after another,
// the next started from its FinishedPlaying event, and a display refreshed on
// VisualizationUpdate shows what is heard. The program's user-interface loop is
// the runtime's message loop, woken by keys and stop signals as they come.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/InputWatcher.h"
#include "cli/StatusDisplay.h"
#include "cli/Terminal.h"
#include "equalizer/Equalizer.h"
#include "player/CVMP3Player.h"
#include "playlist/CVMP3PlayList.h"
#include "runtime/AutomationError.h"
#include "runtime/ControlSite.h"
#include "runtime/MessageLoop.h"
#include "runtime/Timer.h"

namespace corvane::cli {

namespace {

using Clock = std::chrono::steady_clock;
using playlist::PlayListEntry;

constexpr int32_t kNoAudioDevice = 30101;
constexpr int kIdleRedrawMilliseconds = 250;
constexpr auto kMinRedraw = std::chrono::milliseconds(50);
constexpr auto kIdleRedraw = std::chrono::milliseconds(250);
constexpr auto kStatusLinePeriod = std::chrono::seconds(1);
constexpr double kSeekSeconds = 5;
constexpr double kGainStepDb = 2;
constexpr double kGainLimitDb = 20;
constexpr float kFadeOutSeconds = 3;
constexpr double kVuFullScale = 32767;
// The spectrum's scale follows the loudness: its top is the loudest band
// heard lately, sinking by this much per update, but never below the floor,
// so that near silence does not fill the bars with noise.
constexpr double kSpectrumDecayDb = 0.3;
constexpr double kSpectrumFloorDb = -60;
constexpr char kOutputVariable[] = "CORVANEMP3_OUTPUT";

// The equalizer preset that e switches on and off: ten octave bands with a
// gentle loudness curve (more bass and treble).
struct PresetBand {
    int16_t frequency;
    float gainDb;
};
constexpr PresetBand kPreset[] = {{31, 6},    {62, 5},    {125, 3},   {250, 1},  {500, 0},
                                  {1000, -1}, {2000, 0},  {4000, 2},  {8000, 4}, {16000, 5}};

struct PlayOptions {
    std::vector<std::string> inputs;
    std::optional<std::string> wavFile;
    bool fast = false;
};

bool IsListFile(const std::string &path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
    return extension == ".m3u" || extension == ".m3u8";
}

std::string ExecutableFolder() {
    std::error_code failed;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", failed);
    return failed ? std::string() : exe.parent_path().string();
}

// The bundled demo track: next to an installed program first, then the build
// tree's, then where the program was configured to be installed.
std::string DemoTrackPath() {
    namespace fs = std::filesystem;
    std::error_code ignored;
    fs::path exeFolder = ExecutableFolder();
    fs::path besideProgram = exeFolder / ".." / "share" / "corvanemp3" / "demo.mp3";
    fs::path build = CORVANE_DEMO_TRACK_BUILD;
    fs::path installed = CORVANE_DEMO_TRACK_INSTALLED;
    bool runsFromBuild = fs::equivalent(exeFolder, build.parent_path().parent_path(), ignored);
    std::vector<fs::path> candidates = runsFromBuild ? std::vector<fs::path>{build, installed}
                                                     : std::vector<fs::path>{besideProgram, installed, build};
    for (const auto &candidate : candidates)
        if (fs::is_regular_file(candidate, ignored)) return candidate.lexically_normal().string();
    return build.string();
}

std::string OutputDescription() {
    const char *output = std::getenv(kOutputVariable);
    if (!output || !*output) return "";
    std::string value = output;
    if (value == "null") return "null output";
    if (value.rfind("wav:", 0) == 0) return "WAV file " + value.substr(4);
    if (value.rfind("wav-fast:", 0) == 0) return "WAV file " + value.substr(9) + " (fast)";
    return value;
}

class PlaySession {
public:
    explicit PlaySession(PlayOptions options) : options_(std::move(options)), site_(loop_) {}
    ~PlaySession() { terminal_.Restore(); }

    int Run();

private:
    bool BuildQueue();
    void AddList(const std::string &path);
    void AddFile(const std::string &path);

    bool StartTrack(size_t index);
    bool TryPlayStart();
    void LoadTrackDetails();

    void OnEvent(int32_t dispatchId);
    void OnFinishedPlaying();
    void OnVisualizationUpdate();
    void OnTick();
    void HandleKey(const Key &key);
    void TogglePause();
    void Seek(double seconds);
    void ChangeGain(double stepDb);
    void ToggleEqualizer();
    void Quit();

    void UpdateSnapshot();
    void ReadAnalysis();
    void Redraw(bool force);
    void Notice(const std::string &text);
    void Problem(const std::string &text);

    bool Interactive() const { return terminal_.OutputIsTerminal(); }

    PlayOptions options_;
    runtime::MessageLoop loop_;
    runtime::NativeControlSite site_;
    Terminal terminal_;
    std::unique_ptr<player::CVMP3Player> player_;
    std::unique_ptr<runtime::Timer> idleTimer_;
    std::unique_ptr<InputWatcher> inputWatcher_;

    std::vector<std::shared_ptr<PlayListEntry>> tracks_;
    size_t current_ = 0;
    bool screenActive_ = false;
    bool quitting_ = false;
    bool anyFailed_ = false;
    bool finished_ = false;  // the queue played to its end
    std::vector<std::string> problems_;  // shown on standard error once the screen is gone

    StatusSnapshot snapshot_;
    double gainDb_ = 0;
    double spectrumReferenceDb_ = kSpectrumFloorDb;
    Clock::time_point lastDraw_{};
    Clock::time_point lastStatusLine_{};
};

// --- the queue ---------------------------------------------------------------

bool PlaySession::BuildQueue() {
    for (const auto &input : options_.inputs) IsListFile(input) ? AddList(input) : AddFile(input);
    return !tracks_.empty();
}

void PlaySession::AddList(const std::string &path) {
    playlist::CVMP3PlayList list(site_);
    try {
        LoadReadableList(list, AbsolutePath(path));
    } catch (const runtime::AutomationError &error) {
        ReportError(path, error);
        anyFailed_ = true;
        return;
    } catch (const std::runtime_error &error) {
        ReportProblem(error.what());
        anyFailed_ = true;
        return;
    }
    if (list.Count() == 0) Problem(path + ": the list names no playable file");
    for (const auto &entry : list.NewEnum()) tracks_.push_back(entry);
}

void PlaySession::AddFile(const std::string &path) {
    playlist::CVMP3PlayList list(site_);
    try {
        runtime::Text name = ToText(path);
        list.AddEntry(name);
        tracks_.push_back(list.PlayListEntries(runtime::Variant(int32_t{1})));
    } catch (const runtime::AutomationError &error) {
        ReportError(path, error);
        anyFailed_ = true;
    }
}

// --- playing -----------------------------------------------------------------

// Starts the first track from `index` on that the player takes and starts.
bool PlaySession::StartTrack(size_t index) {
    for (size_t i = index; i < tracks_.size(); ++i) {
        current_ = i;
        std::string file = ToUtf8(tracks_[i]->Filename());
        player_->SetFilename(tracks_[i]->Filename());
        if (player_->Filename().empty()) {
            Problem(file + ": the player could not open the file");
            continue;
        }
        LoadTrackDetails();
        if (!TryPlayStart()) continue;
        if (!Interactive()) {
            std::printf("Playing %zu/%zu: %s  (MPEG %s Layer %s, %d Hz, %s, %s)\n", i + 1, tracks_.size(),
                        DisplayName(snapshot_).c_str(), snapshot_.mpegVersion.c_str(), snapshot_.layer.c_str(),
                        snapshot_.sampleRate, snapshot_.channelMode.c_str(), FormatTime(snapshot_.length).c_str());
            std::fflush(stdout);
        }
        Notice("Playing " + DisplayName(snapshot_));
        return true;
    }
    return false;
}

// A machine without an audio device plays to the null output instead, in
// real time, so that the display still runs.
bool PlaySession::TryPlayStart() {
    std::string file = ToUtf8(player_->Filename());
    try {
        player_->PlayStart();
        return true;
    } catch (const runtime::AutomationError &error) {
        if (error.Number() != kNoAudioDevice || std::getenv(kOutputVariable)) {
            Problem(file + ": error " + std::to_string(error.Number()) + ": " + ToUtf8(error.Description()));
            return false;
        }
    }
    std::fprintf(stderr, "cvmp3: no audio device found; playing to the null output (set %s to choose another)\n",
                 kOutputVariable);
    setenv(kOutputVariable, "null", 1);
    snapshot_.output = OutputDescription() + " (no audio device)";
    try {
        player_->PlayStart();
        return true;
    } catch (const runtime::AutomationError &error) {
        Problem(file + ": error " + std::to_string(error.Number()) + ": " + ToUtf8(error.Description()));
        return false;
    }
}

// The tag and stream details, read once per track.
void PlaySession::LoadTrackDetails() {
    auto text = [](auto read) { return ToUtf8(runtime::AbsorbOr(runtime::Text{}, read)); };
    // The tag comes from the track's own entry: the player's information entry
    // keeps the last tag it read when the new file has none.
    PlayListEntry &entry = *tracks_[current_];
    snapshot_.file = ToUtf8(player_->Filename());
    snapshot_.title = text([&] { return runtime::TrimSpaces(entry.ID3Title()); });
    snapshot_.artist = text([&] { return runtime::TrimSpaces(entry.ID3Artist()); });
    snapshot_.album = text([&] { return runtime::TrimSpaces(entry.ID3Album()); });
    snapshot_.mpegVersion = ToUtf8(player_->MPEGVersion());
    snapshot_.layer = ToUtf8(player_->Layer());
    snapshot_.channelMode = ToUtf8(player_->ChannelMode());
    snapshot_.sampleRate = player_->SampleRate();
    snapshot_.bitrate = player_->DataRate();
    snapshot_.length = player_->TrackLength();
    snapshot_.trackNumber = static_cast<int>(current_ + 1);
    snapshot_.trackCount = static_cast<int>(tracks_.size());
    snapshot_.position = 0;
    spectrumReferenceDb_ = kSpectrumFloorDb;
}

void PlaySession::OnEvent(int32_t dispatchId) {
    if (dispatchId == player::kFinishedPlayingId) OnFinishedPlaying();
    if (dispatchId == player::kVisualizationUpdateId) OnVisualizationUpdate();
}

void PlaySession::OnFinishedPlaying() {
    if (quitting_) return;
    if (!StartTrack(current_ + 1)) {
        finished_ = true;
        Quit();
    }
}

void PlaySession::OnVisualizationUpdate() {
    ReadAnalysis();
    Redraw(false);
}

void PlaySession::OnTick() {
    if (Terminal::StopRequested()) Quit();
    for (const Key &key : terminal_.ReadKeys()) {
        if (quitting_) break;
        HandleKey(key);
    }
    if (!quitting_ && Clock::now() - lastDraw_ >= kIdleRedraw) Redraw(false);
}

void PlaySession::HandleKey(const Key &key) {
    if (key.Is('q') || key.Is('Q') || key.code == KeyCode::Interrupt || key.code == KeyCode::Escape) return Quit();
    if (key.Is(' ')) TogglePause();
    if (key.Is('s')) {
        player_->PlayStop();
        Notice("Stopped (space plays the track again)");
    }
    if (key.code == KeyCode::Left) Seek(-kSeekSeconds);
    if (key.code == KeyCode::Right) Seek(kSeekSeconds);
    if (key.code == KeyCode::Up) ChangeGain(kGainStepDb);
    if (key.code == KeyCode::Down) ChangeGain(-kGainStepDb);
    if (key.Is('n')) {
        player_->PlayStop();
        if (!StartTrack(current_ + 1)) return Quit();
    }
    if (key.Is('p')) {
        player_->PlayStop();
        if (!StartTrack(current_ > 0 ? current_ - 1 : 0)) return Quit();
    }
    if (key.Is('f') && player_->IsPlaying()) {
        float decay = kFadeOutSeconds;
        player_->PlayFadeOut(decay);
        Notice("Fading out");
    }
    if (key.Is('e')) ToggleEqualizer();
    Redraw(true);
}

void PlaySession::TogglePause() {
    if (player_->IsPlaying() && !player_->IsPaused()) {
        player_->PlayPause();
        Notice("Paused");
    } else if (player_->IsPaused()) {
        player_->PlayStart();  // resumes
        Notice("Playing " + DisplayName(snapshot_));
    } else if (!StartTrack(current_)) {
        Quit();
    }
}

void PlaySession::Seek(double seconds) {
    if (!player_->IsPlaying()) return;
    CorvaneMP3Seek from = corMP3SeekFromCurrent;
    player_->SetTrackPosition(from, seconds);
    Notice(std::string("Seek ") + (seconds < 0 ? "back " : "forward ") + FormatTime(std::abs(seconds)));
}

void PlaySession::ChangeGain(double stepDb) {
    gainDb_ = std::clamp(gainDb_ + stepDb, -kGainLimitDb, kGainLimitDb);
    CorvaneMP3Channels both = corMP3AllChannels;
    player_->Equalizer()->SetGain(both, static_cast<float>(gainDb_));
    snapshot_.gainDb = gainDb_;
    char text[32];
    std::snprintf(text, sizeof text, "Gain %+.0f dB", gainDb_);
    Notice(text);
}

void PlaySession::ToggleEqualizer() {
    auto equalizer = player_->Equalizer();
    try {
        if (equalizer->BandCount() == 0) {
            for (const auto &band : kPreset) equalizer->AddBand(band.frequency);
            for (const auto &band : kPreset) {
                int16_t frequency = band.frequency;
                CorvaneEQBands byFrequency = corEQBandsByFrequency;
                equalizer->Band(frequency, byFrequency)->SetGain(band.gainDb);
            }
        }
        equalizer->SetEnabled(!equalizer->Enabled());
    } catch (const runtime::AutomationError &error) {
        Notice("Equalizer: error " + std::to_string(error.Number()) + ": " + ToUtf8(error.Description()));
        return;
    }
    snapshot_.equalizerOn = equalizer->Enabled();
    Notice(snapshot_.equalizerOn ? "Equalizer on (loudness preset, 10 bands)" : "Equalizer off");
}

void PlaySession::Quit() {
    if (quitting_) return;
    quitting_ = true;
    if (player_) player_->PlayStop();
    loop_.Quit();
}

// --- the display ---------------------------------------------------------------

void PlaySession::UpdateSnapshot() {
    CorvaneMP3Seek fromStart = corMP3SeekFromBeginning;
    snapshot_.position = player_->TrackPosition(fromStart);
    snapshot_.state = !player_->IsPlaying() ? PlaybackState::Stopped
                      : player_->IsPaused() ? PlaybackState::Paused
                                            : PlaybackState::Playing;
    if (snapshot_.state == PlaybackState::Stopped) {  // no sound: the meters fall
        snapshot_.vuLeft = snapshot_.vuRight = 0;
        snapshot_.spectrum.clear();
    }
}

void PlaySession::ReadAnalysis() {
    CorvaneMP3Channels left = corMP3LeftChannel, right = corMP3RightChannel, both = corMP3AllChannels;
    snapshot_.vuLeft = LevelFromPeak(player_->VUMeter(left), kVuFullScale);
    snapshot_.vuRight = LevelFromPeak(player_->VUMeter(right), kVuFullScale);
    std::vector<float> bins(player::CVMP3Player::kSpectrumBins);
    for (int16_t k = 0; k < static_cast<int16_t>(bins.size()); ++k)
        bins[static_cast<size_t>(k)] = player_->SpectrumAnalysis(both, k);
    // One bar per two columns, the FFT of 256 samples giving bins of rate / 256 Hz.
    int bars = std::max(8, (terminal_.Columns() - 1) / 2);
    double binHz = snapshot_.sampleRate > 0 ? snapshot_.sampleRate / (2.0 * bins.size()) : 44100 / 256.0;
    std::vector<double> bandsDb = SpectrumBandsDb(bins, bars, binHz);
    double loudest = bandsDb.empty() ? kSpectrumFloorDb : *std::max_element(bandsDb.begin(), bandsDb.end());
    spectrumReferenceDb_ = std::max({spectrumReferenceDb_ - kSpectrumDecayDb, loudest, kSpectrumFloorDb});
    snapshot_.spectrum = SpectrumBars(bandsDb, spectrumReferenceDb_);
}

void PlaySession::Redraw(bool force) {
    auto now = Clock::now();
    if (!force && now - lastDraw_ < kMinRedraw) return;
    lastDraw_ = now;
    UpdateSnapshot();
    if (!Interactive()) {
        if (now - lastStatusLine_ < kStatusLinePeriod) return;
        lastStatusLine_ = now;
        std::printf("%s\n", RenderStatusLine(snapshot_).c_str());
        std::fflush(stdout);
        return;
    }
    if (!screenActive_) return;
    // Drawn over the last frame from the top left, each line cleared to its
    // end; no line end after the last line, so a full screen never scrolls.
    std::string frame = "\x1b[H";
    auto lines = RenderScreen(snapshot_, terminal_.Columns(), terminal_.Rows());
    for (size_t i = 0; i < lines.size(); ++i) frame += (i ? "\r\n" : "") + lines[i] + "\x1b[K";
    frame += "\x1b[J";
    std::fwrite(frame.data(), 1, frame.size(), stdout);
    std::fflush(stdout);
}

void PlaySession::Notice(const std::string &text) { snapshot_.message = text; }

void PlaySession::Problem(const std::string &text) {
    anyFailed_ = true;
    if (screenActive_) {
        snapshot_.message = text;
        problems_.push_back(text);
    } else {
        ReportProblem(text);
    }
}

int PlaySession::Run() {
    if (options_.wavFile)
        setenv(kOutputVariable, ((options_.fast ? "wav-fast:" : "wav:") + *options_.wavFile).c_str(), 1);
    snapshot_.output = OutputDescription();

    player_ = std::make_unique<player::CVMP3Player>(site_);
    site_.Connect([this](int32_t dispatchId, const runtime::Text &) { OnEvent(dispatchId); });
    if (!BuildQueue()) {
        ReportProblem("nothing to play");
        return kExitFailed;
    }
    if (!StartTrack(0)) {
        ReportProblem("none of the files could be played");
        return kExitFailed;
    }
    if (Interactive()) {
        terminal_.Enter();
        screenActive_ = true;
    } else {
        terminal_.Enter();  // raw keys when the input is a terminal; no screen
    }
    // Keys and stop signals wake the loop when they come; the timer only
    // redraws an idle screen.
    inputWatcher_ = std::make_unique<InputWatcher>(loop_, terminal_, [this] {
        OnTick();
        inputWatcher_->Resume();
    });
    idleTimer_ = runtime::MakeLoopTimer(loop_, [this] { OnTick(); });
    idleTimer_->SetInterval(kIdleRedrawMilliseconds);
    idleTimer_->SetEnabled(true);
    Redraw(true);

    loop_.Run();

    idleTimer_->SetEnabled(false);
    inputWatcher_.reset();
    screenActive_ = false;
    terminal_.Restore();
    if (!Interactive()) std::printf("%s\n", finished_ ? "Finished." : "Stopped.");
    for (const auto &problem : problems_) ReportProblem(problem);
    if (Terminal::StopSignal() != 0) return 128 + Terminal::StopSignal();  // as if the signal had ended it
    return anyFailed_ ? kExitFailed : kExitOk;
}

PlayOptions ParsePlayOptions(const Arguments &args) {
    PlayOptions options;
    options.inputs = args.Positional();
    options.wavFile = args.Value("output");
    options.fast = args.Has("fast");
    if (options.fast && !options.wavFile) throw UsageError("--fast needs --output FILE.wav");
    if (options.wavFile && options.wavFile->empty()) throw UsageError("--output needs a file name");
    return options;
}

}  // namespace

const char *PlayHelp() {
    return "Usage: cvmp3 play [--output FILE.wav [--fast]] [FILE | LIST.m3u ...]\n"
           "\n"
           "Plays audio files and extended M3U play lists (.m3u, .m3u8) one after\n"
           "another; with no FILE, the bundled demo track. Files named in a list are\n"
           "found as the list names them (relative names against the current\n"
           "folder). Files that are missing or not audio are reported and skipped.\n"
           "\n"
           "On a terminal a live display shows title, artist and album, the position\n"
           "and length with a progress bar, left and right VU meters, a spectrum\n"
           "(bands from 40 Hz to 16 kHz across the width, scaled to the loudest band\n"
           "heard lately) and the stream (MPEG version, layer, sample rate, channel\n"
           "mode). Keys:\n"
           "  space        pause / resume (after a stop: play the track again)\n"
           "  s            stop\n"
           "  left, right  seek 5 s back / forward\n"
           "  up, down     overall gain +2 / -2 dB (-20 to +20 dB)\n"
           "  n, p         next / previous track\n"
           "  f            fade out over 3 s, then go on with the next track\n"
           "  e            switch the 10-band equalizer preset (loudness) on / off\n"
           "  q, Esc       quit (also Ctrl-C)\n"
           "When the output is not a terminal, one status line is written per second\n"
           "instead, without escape codes.\n"
           "\n"
           "Where there is no audio device (a server, CI) and CORVANEMP3_OUTPUT is not\n"
           "set, cvmp3 says so in one line and plays to the null output in real time.\n"
           "\n"
           "Options:\n"
           "  --output FILE.wav  write what would be heard to a 16-bit WAV file instead\n"
           "                     of the audio device, in real time; each track starts\n"
           "                     the file anew, so it holds the last track played\n"
           "  --fast             with --output: as fast as the machine can go\n"
           "  -h, --help         this text\n"
           "\n"
           "Exit status: 0 when every track could be played, 1 otherwise.\n";
}

int RunPlayCommand(const std::vector<std::string> &words) {
    Arguments args;
    if (auto answered = ParseCommandLine("play", words, {{"output", true}, {"fast"}, {"help"}}, PlayHelp(), args))
        return *answered;
    PlayOptions options;
    try {
        options = ParsePlayOptions(args);
    } catch (const UsageError &error) {
        return ReportUsage("play", error.what());
    }
    if (options.inputs.empty()) {
        options.inputs.push_back(DemoTrackPath());
        if (!std::filesystem::exists(options.inputs[0])) {
            ReportProblem("the demo track " + options.inputs[0] + " is missing; give a FILE to play");
            return kExitFailed;
        }
        std::printf("Demo track: %s\n", options.inputs[0].c_str());
        std::fflush(stdout);
    }
    PlaySession session(std::move(options));
    return session.Run();
}

}  // namespace corvane::cli
