#include "engine/playback/PlaybackSession.h"

#include <chrono>
#include <cmath>
#include <new>
#include <thread>

#include "engine/analysis/AnalysisWorker.h"
#include "engine/output/AudioSink.h"
#include "engine/playback/DecodeWorker.h"
#include "engine/threads/PlaybackChannels.h"
#include "engine/playback/RenderPipeline.h"
#include "engine/stream/StreamDecoder.h"

namespace corvane::engine {

namespace {

using namespace std::chrono_literals;

constexpr int kOutOfSoundMemory = 30099;
constexpr size_t kAudioRingFrames = 1 << 16;
constexpr size_t kHeardBlocks = 512;
constexpr size_t kPrimeFrames = 8192;
// A pause waits this long at most for the output to go quiet (a device that
// stopped calling back must not hang the host).
constexpr auto kHoldTimeout = 500ms;

int64_t SecondsToFrames(double seconds, int rate) {
    if (!std::isfinite(seconds) || seconds <= 0.0) return 0;
    return std::llround(std::min(seconds, 1.0e7) * rate);
}

}  // namespace

PlaybackSession::PlaybackSession() = default;

PlaybackSession::~PlaybackSession() { Stop(); }

int PlaybackSession::Start(const Request &request, const Notifier &notifier,
                           const std::atomic<int> &intervalMilliseconds, std::unique_ptr<PlaybackSession> &session) {
    std::unique_ptr<PlaybackSession> made(new (std::nothrow) PlaybackSession());
    if (!made) return kOutOfSoundMemory;
    int result;
    try {
        result = made->Open(request, notifier, intervalMilliseconds);
    } catch (const std::bad_alloc &) {
        result = kOutOfSoundMemory;
    }
    if (result == 0) session = std::move(made);
    return result;
}

int PlaybackSession::Open(const Request &request, const Notifier &notifier,
                          const std::atomic<int> &intervalMilliseconds) {
    decoder_ = std::make_unique<StreamDecoder>();
    if (const int opened = decoder_->Open(request.path); opened != 0) return opened;
    const int rate = decoder_->Format().sampleRate;
    totalFrames_ = decoder_->TotalFrames();

    int sinkError = 0;
    sink_ = MakeSink(request.output, rate, sinkError);
    if (!sink_) return sinkError;

    channels_ = std::make_unique<PlaybackChannels>(rate, kAudioRingFrames, kHeardBlocks);
    render_ = std::make_unique<RenderPipeline>(*channels_, DesignDsp(request.dsp, rate), request.fadeInSeconds);
    // Sinks with a thread of their own ring the decoder when there is room;
    // behind a device callback it looks well before a full ring can drain.
    const auto decoderPoll = request.output.kind == OutputChoice::Kind::kDevice ? 100ms : 1000ms;
    decodeWorker_ = std::make_unique<DecodeWorker>(*decoder_, *channels_, decoderPoll);
    analysisWorker_ = std::make_unique<AnalysisWorker>(*channels_, *sink_, notifier, intervalMilliseconds);

    decodeWorker_->Prime(kPrimeFrames);
    if (const int started = sink_->Start(*render_); started != 0) {
        sink_.reset();
        return started;
    }
    decodeWorker_->Start();
    analysisWorker_->Start();
    running_ = true;
    return 0;
}

void PlaybackSession::Pause() {
    if (stopped_ || paused_) return;
    paused_ = true;
    channels_->pauseRequested.store(true, std::memory_order_release);
    channels_->sinkBell.Ring();
    sink_->Interrupt();
    WaitForHold();
}

void PlaybackSession::Continue() {
    if (stopped_ || !paused_) return;
    paused_ = false;
    channels_->pauseRequested.store(false, std::memory_order_release);
    channels_->sinkBell.Ring();
}

void PlaybackSession::Seek(double seconds) {
    if (stopped_ || Ended()) return;
    int64_t frame = SecondsToFrames(seconds, SampleRate());
    if (totalFrames_ >= 0) frame = std::min(frame, totalFrames_);
    seekTargetFrame_ = frame;
    seekPending_ = true;
    channels_->seekTarget.store(frame, std::memory_order_relaxed);
    channels_->requestedEpoch.fetch_add(1, std::memory_order_release);
    channels_->decoderBell.Ring();
    channels_->sinkBell.Ring();
    sink_->Interrupt();
}

void PlaybackSession::FadeOut(double seconds) {
    if (stopped_ || Ended()) return;
    channels_->fadeOutFrames.store(SecondsToFrames(seconds, SampleRate()), std::memory_order_relaxed);
    channels_->fadeOutSerial.fetch_add(1, std::memory_order_release);
    // Resumed only after the fade is asked for, so that nothing is heard
    // between the pause and the start of the fade.
    Continue();
    channels_->sinkBell.Ring();
    sink_->Interrupt();
}

void PlaybackSession::ApplyDsp(const DspSettings &settings) {
    if (stopped_) return;
    channels_->dsp.Back() = DesignDsp(settings, SampleRate());
    channels_->dsp.Publish();
}

void PlaybackSession::Stop() {
    if (stopped_ || !running_) return;
    if (!Ended()) {
        channels_->pauseRequested.store(true, std::memory_order_release);
        channels_->sinkBell.Ring();
        sink_->Interrupt();
        WaitForHold();
    }
    stopped_ = true;
    channels_->stopping.store(true, std::memory_order_release);
    channels_->decoderBell.Ring();
    channels_->analysisBell.Ring();
    channels_->sinkBell.Ring();
    decodeWorker_->Join();
    analysisWorker_->Join();
    sink_->Stop();
}

bool PlaybackSession::WaitForHold() {
    const auto deadline = std::chrono::steady_clock::now() + kHoldTimeout;
    while (!channels_->holding.load(std::memory_order_acquire)) {
        if (Ended() || std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

bool PlaybackSession::Ended() const { return channels_ && channels_->ended.load(std::memory_order_acquire); }

int PlaybackSession::SampleRate() const { return channels_->sampleRate; }

double PlaybackSession::PositionSeconds() {
    const uint32_t requested = channels_->requestedEpoch.load(std::memory_order_relaxed);
    if (seekPending_ && channels_->heardEpoch.load(std::memory_order_acquire) == requested) seekPending_ = false;
    int64_t frame;
    if (seekPending_) {
        frame = seekTargetFrame_;
    } else if ((paused_ || stopped_) && channels_->holding.load(std::memory_order_acquire)) {
        // Quiet for a pause or a stop: exactly where the output went quiet,
        // which the analysis may not have caught up with.
        frame = channels_->heldTrackFrame.load(std::memory_order_relaxed);
    } else {
        frame = channels_->heardTrackFrame.load(std::memory_order_relaxed);
    }
    return static_cast<double>(frame) / SampleRate();
}

void PlaybackSession::CopySnapshot(AnalysisSnapshot &out) const { analysisWorker_->CopySnapshot(out); }

PlaybackMoments PlaybackSession::Moments() const {
    return {channels_->firstSoundNs.load(std::memory_order_relaxed),
            channels_->silentSinceNs.load(std::memory_order_relaxed)};
}

}  // namespace corvane::engine
