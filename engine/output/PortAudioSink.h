#pragma once
// The default audio device through PortAudio. The device's real-time
// callback renders each buffer and tells the analysis when the buffer will
// be heard (PortAudio's DAC time), so what is analysed and reported is what
// comes out of the speakers at that moment, after the output latency.
#include <cstddef>

#include "engine/output/AudioSink.h"

typedef void PaStream;
struct PaStreamCallbackTimeInfo;

namespace corvane::engine {

class PortAudioSink final : public AudioSink {
public:
    explicit PortAudioSink(int sampleRate);
    ~PortAudioSink() override;

    // 30101 when there is no device or it cannot be opened.
    int Start(RenderSource &source) override;
    void Stop() override;
    double ClockNow() override;

private:
    static int Callback(const void *input, void *output, unsigned long frames,
                        const PaStreamCallbackTimeInfo *time, unsigned long flags, void *self);
    void Fill(float *out, size_t frames, double dacTime);

    const int sampleRate_;
    RenderSource *source_ = nullptr;
    PaStream *stream_ = nullptr;
    bool acquired_ = false;
    bool ended_ = false;  // the callback's own
};

}  // namespace corvane::engine
