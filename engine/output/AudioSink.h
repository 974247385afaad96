#pragma once
// Where the audio goes. A sink pulls blocks from a RenderSource at its own
// pace: a device from its real-time callback, the null and WAV outputs from a
// thread of their own. All sinks call the same Render.
//
// engine/output holds the sinks (paced, WAV, PortAudio and the quiet back
// ends) and the choice between them; it includes engine/threads.
#include <chrono>
#include <cstddef>

namespace corvane::engine {

enum class RenderMode {
    kRealTime,  // the block must be filled now: silence where nothing is ready
    kComplete,  // only what is ready; the caller comes back for the rest
};

struct RenderResult {
    size_t frames = 0;     // frames written to the block
    bool ended = false;    // the track is over after these frames
    bool holding = false;  // paused: nothing more until playback continues
};

class RenderSource {
public:
    virtual ~RenderSource() = default;
    // Never locks, allocates or touches a file. heardAt: when the block's
    // first frame will be heard, on the sink's clock (0: at once).
    virtual RenderResult Render(float *stereo, size_t frames, double heardAt, RenderMode mode) = 0;
    // After the sink has put out the last frames of an ended track; returns
    // false when it must be asked again (the analysis has no room yet).
    virtual bool MarkEnd(double heardAt) = 0;
    // For sinks with their own thread only (never from a device callback):
    virtual void WakeWorkers() = 0;
    virtual void WaitForWork(std::chrono::microseconds timeout) = 0;
};

class AudioSink {
public:
    virtual ~AudioSink() = default;
    // Starts pulling; returns 0 or an error number.
    virtual int Start(RenderSource &source) = 0;
    // No Render call is made after this returns. The sink may be started
    // only once.
    virtual void Stop() = 0;
    // The sink's clock, in seconds, for HeardBlock::heardAt; 0 when what is
    // played is heard at once.
    virtual double ClockNow() { return 0.0; }
    // The host asked for a pause, a seek, a fade or a stop: a sink that is
    // waiting out the block it played renders the next one at once, so that
    // the request is heard without that wait. A device's callback needs
    // nothing.
    virtual void Interrupt() {}
};

}  // namespace corvane::engine
