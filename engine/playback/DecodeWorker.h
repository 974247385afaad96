#pragma once
// The decode thread of one playback: keeps the ring filled from the
// StreamDecoder, answers seeks with a segment mark and marks the end of the
// stream.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <thread>

#include "engine/threads/PlaybackChannels.h"
#include "engine/stream/StreamDecoder.h"

namespace corvane::engine {

class DecodeWorker {
public:
    // pollPeriod: how often to look for room when nobody rings (a device
    // callback cannot ring).
    DecodeWorker(StreamDecoder &decoder, PlaybackChannels &channels, std::chrono::milliseconds pollPeriod);
    ~DecodeWorker();
    DecodeWorker(const DecodeWorker &) = delete;
    DecodeWorker &operator=(const DecodeWorker &) = delete;

    // Decodes the first frames on the calling thread, so that the sink
    // starts with sound rather than with silence.
    void Prime(size_t frames);
    void Start();
    // Returns once the thread has seen PlaybackChannels::stopping.
    void Join();

private:
    void Run();
    void FollowSeek();
    // Decodes up to maxFrames into the ring; false at the end of the stream.
    bool DecodeInto(size_t maxFrames);
    void MarkEnd();
    bool PushMark(const StreamMark &mark);
    bool Stopping() const { return channels_.stopping.load(std::memory_order_acquire); }

    StreamDecoder &decoder_;
    PlaybackChannels &channels_;
    const std::chrono::milliseconds pollPeriod_;
    uint32_t epoch_ = 0;
    bool ended_ = false;
    std::thread thread_;
};

}  // namespace corvane::engine
