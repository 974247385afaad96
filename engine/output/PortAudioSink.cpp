#include "engine/output/PortAudioSink.h"

#include <portaudio.h>

#include <cstring>

#include "engine/output/PortAudioRuntime.h"

namespace corvane::engine {

namespace {

constexpr int kNoAudioDevice = 30101;
constexpr unsigned long kFramesPerBuffer = 512;

}  // namespace

PortAudioSink::PortAudioSink(int sampleRate) : sampleRate_(sampleRate) {}

PortAudioSink::~PortAudioSink() { Stop(); }

int PortAudioSink::Start(RenderSource &source) {
    source_ = &source;
    if (!PortAudioRuntime::Acquire()) return kNoAudioDevice;
    acquired_ = true;
    const PaDeviceIndex device = Pa_GetDefaultOutputDevice();
    const PaDeviceInfo *info = device == paNoDevice ? nullptr : Pa_GetDeviceInfo(device);
    if (info == nullptr) {
        Stop();
        return kNoAudioDevice;
    }
    PaStreamParameters output{};
    output.device = device;
    output.channelCount = 2;
    output.sampleFormat = paFloat32;
    output.suggestedLatency = info->defaultHighOutputLatency;
    if (Pa_OpenStream(&stream_, nullptr, &output, sampleRate_, kFramesPerBuffer, paNoFlag, &Callback, this) !=
        paNoError) {
        stream_ = nullptr;
        Stop();
        return kNoAudioDevice;
    }
    if (Pa_StartStream(stream_) != paNoError) {
        Stop();
        return kNoAudioDevice;
    }
    return 0;
}

void PortAudioSink::Stop() {
    if (stream_ != nullptr) {
        // Let the buffers already handed over play out: they hold the ramp
        // down to silence of a stop.
        Pa_StopStream(stream_);
        Pa_CloseStream(stream_);
        stream_ = nullptr;
    }
    if (acquired_) {
        PortAudioRuntime::Release();
        acquired_ = false;
    }
}

double PortAudioSink::ClockNow() { return stream_ != nullptr ? Pa_GetStreamTime(stream_) : 0.0; }

int PortAudioSink::Callback(const void *, void *output, unsigned long frames, const PaStreamCallbackTimeInfo *time,
                            unsigned long, void *self) {
    const double dacTime = time != nullptr ? time->outputBufferDacTime : 0.0;
    static_cast<PortAudioSink *>(self)->Fill(static_cast<float *>(output), frames, dacTime);
    return paContinue;
}

void PortAudioSink::Fill(float *out, size_t frames, double dacTime) {
    size_t filled = 0;
    if (!ended_) {
        const RenderResult result = source_->Render(out, frames, dacTime, RenderMode::kRealTime);
        filled = result.frames;
        ended_ = result.ended;
    }
    if (ended_) {
        // Asked again on every buffer until the analysis has room for it.
        source_->MarkEnd(dacTime > 0.0 ? dacTime + static_cast<double>(filled) / sampleRate_ : 0.0);
    }
    if (filled < frames) std::memset(out + 2 * filled, 0, 2 * (frames - filled) * sizeof(float));
}

}  // namespace corvane::engine
