#pragma once
// One playback of one track, from a start to its stop: the decoder, the
// rings, the sink and the worker threads. Driven from the host thread.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/analysis/Analysis.h"
#include "engine/dsp/DspSettings.h"
#include "engine/threads/Notifier.h"
#include "engine/output/OutputChoice.h"

namespace corvane::engine {

class StreamDecoder;
class DecodeWorker;
class AnalysisWorker;
class RenderPipeline;
struct PlaybackChannels;
class AudioSink;

// Steady-clock nanoseconds of moments in a playback, for measurements.
struct PlaybackMoments {
    int64_t firstSound = 0;   // the first frames of the track reached the sink
    int64_t silentSince = 0;  // the latest time output went quiet for a pause
};

class PlaybackSession {
public:
    struct Request {
        std::string path;
        double fadeInSeconds = 0.0;
        DspSettings dsp;
        OutputChoice output;
    };

    // Starts playing; returns 0 and the session, or an error number: 53, 75
    // or 30075 from the file, 30099 when buffers cannot be had, 30101 when
    // the output cannot be had.
    static int Start(const Request &request, const Notifier &notifier, const std::atomic<int> &intervalMilliseconds,
                     std::unique_ptr<PlaybackSession> &session);
    ~PlaybackSession();

    void Pause();
    void Continue();
    void Seek(double seconds);
    void FadeOut(double seconds);
    void ApplyDsp(const DspSettings &settings);
    // Quiets the output with a short ramp, then stops every thread; no
    // notification is sent after it returns.
    void Stop();

    bool Paused() const { return paused_; }
    bool Ended() const;
    int SampleRate() const;
    double PositionSeconds();
    void CopySnapshot(AnalysisSnapshot &out) const;
    PlaybackMoments Moments() const;

private:
    PlaybackSession();
    int Open(const Request &request, const Notifier &notifier, const std::atomic<int> &intervalMilliseconds);
    bool WaitForHold();

    std::unique_ptr<StreamDecoder> decoder_;
    std::unique_ptr<PlaybackChannels> channels_;
    std::unique_ptr<RenderPipeline> render_;
    std::unique_ptr<AudioSink> sink_;
    std::unique_ptr<DecodeWorker> decodeWorker_;
    std::unique_ptr<AnalysisWorker> analysisWorker_;
    bool running_ = false;
    bool paused_ = false;
    bool stopped_ = false;
    bool seekPending_ = false;
    int64_t seekTargetFrame_ = 0;
    int64_t totalFrames_ = -1;
};

}  // namespace corvane::engine
