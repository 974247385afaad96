#pragma once
// The process-wide playback engine behind the playback, analysis and
// equalizer entry points. It keeps what outlasts one playback (the
// notification handle, the analysis interval, the equalizer and gains) and
// turns the state of the current playback into the status codes and the
// one-time report of each end of a track.
//
// Status while playing: get_status reports 1 on every call while a track
// plays, whether or not an analysis interval completed since the previous
// call; the notification handle is what tells a host that new data is ready.
// The analysis values are those last delivered: they hold while paused and
// after playback has stopped or the track has ended; a new track brings its
// own (zero until its first analysis interval), and before anything has been
// heard they are zero.
//
// engine/playback holds the engine, the session, the decode worker and the
// render pipeline; it includes stream, dsp, output, analysis and threads.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "decoder/CorvaneMP3.h"
#include "engine/analysis/Analysis.h"
#include "engine/dsp/DspSettings.h"
#include "engine/threads/Notifier.h"
#include "engine/playback/PlaybackSession.h"

namespace corvane::engine {

class PlaybackEngine {
public:
    static PlaybackEngine &Instance();
    ~PlaybackEngine();

    void SetNotifyTarget(CorvaneNotifyHandle target);
    int16_t Start(const char *path, double fadeInSeconds);
    void Pause();
    void Continue();
    void Stop();
    void FadeOut(double seconds);
    void Seek(double seconds);
    bool IsFinished();
    void GetStatus(int16_t *status, double *position, int16_t *vu, int16_t *wave, float *spectrum);
    // Clamps to 10 to 1000 milliseconds; returns the value in force.
    int16_t SetInterval(int16_t milliseconds);
    bool GetVisInfo(CorvaneVisInfo *info);

    void SetBands(const int16_t *frequencies, int count);
    void SetBandGains(const float *gains32);
    void SetChannelGains(const float *left, const float *right);
    void SetEqualizerOn(bool on);

    // When the current (or last) playback first sounded and last went quiet.
    PlaybackMoments Moments();

private:
    PlaybackEngine() = default;
    void StopLocked();
    void ApplyDspLocked();

    std::mutex mutex_;  // host calls only; no audio thread ever takes it
    Notifier notifier_;
    std::atomic<int> intervalMilliseconds_{100};
    DspSettings dsp_;
    std::unique_ptr<PlaybackSession> session_;
    bool endReported_ = false;  // the current end reached the host already
    bool endedBeforeStop_ = false;
    double stoppedPosition_ = 0.0;
    PlaybackMoments lastMoments_;
    AnalysisSnapshot lastHeard_;  // of the current or last playback
    SpectrumAnalyzer spectrum_;
};

}  // namespace corvane::engine
