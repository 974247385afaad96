#pragma once
// A recording fake of the decoder library, for unit tests of the component:
// it records every call with its arguments, returns scripted results, and
// serves tag blocks and frame-information texts of made-up files. It plays
// nothing.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "decoder/DecoderLibrary.h"

namespace corvane::decoder {

class RecordingDecoderLibrary : public DecoderLibrary {
public:
    // A made-up file. get_id3_tag returns `tag` (128 bytes, NUL-padded when
    // shorter) with `tagResult`; get_frame_info returns `frameInfo` with
    // `frameResult`; set_id3_tag stores its block in `tag` (so a re-read sees
    // it) unless `writeResult` is not 0.
    struct File {
        std::string tag;
        std::string frameInfo;
        int16_t tagResult = 0;
        int16_t frameResult = 1;
        int16_t writeResult = 0;
    };

    // What get_status writes into the caller's arguments.
    struct Status {
        int16_t status = CORVANE_STATUS_STOPPED;
        double position = 0;
        std::array<int16_t, 3> vu{};
        std::array<int16_t, 3 * 256> wave{};
        std::array<float, 3 * 128> spectrum{};
    };

    // Every call in order, formatted as name(arg,arg,...): numbers in their
    // shortest decimal form, arrays as their elements, the notification
    // handle as "handle" or "null", texts as given. Examples:
    //   eq_state(1)  set_gain(-20,20)  create_eq(1000,60,14000;3)  play(/a.mp3)
    std::vector<std::string> calls;
    // Results by entry-point name ("play", "fade_in", "is_finished", ...);
    // an entry point without one returns 0.
    std::map<std::string, int32_t> results;
    // Files by path; a path without an entry gives 53 from the file calls.
    std::map<std::string, File> files;
    Status status;
    // The last blocks that set_id3_tag received, in full (127 or 128 bytes).
    std::vector<std::string> writtenTags;

    // A file with a frame-information text and, optionally, a tag block.
    File &AddFile(const std::string &path, const std::string &frameInfo, const std::string &tag = {});
    // The calls to the entry point `name`, as recorded.
    std::vector<std::string> CallsNamed(const std::string &name) const;
    void ClearCalls() { calls.clear(); }

    int32_t PlayMp3(int32_t reserved, CorvaneNotifyHandle handle) override;
    int16_t Play(const char *path) override { return static_cast<int16_t>(Answer("play", path ? path : "")); }
    int16_t FadeIn(const char *path, float attackSeconds) override;
    int32_t PausePlaying() override { return Answer("pause_playing"); }
    int32_t ContinuePlaying() override { return Answer("continue_playing"); }
    int32_t StopPlaying() override { return Answer("stop_playing"); }
    int32_t FadeOut(float decaySeconds) override;
    int32_t SeekPlaying(double seconds) override;
    int16_t IsFinished() override { return static_cast<int16_t>(Answer("is_finished")); }
    int32_t GetStatus(int16_t *status, double *position, int16_t *vu, int16_t *wave, float *spectrum) override;
    int32_t SetVuInterval(int16_t *milliseconds) override;
    int16_t GetId3Tag(const char *path, char *tag129) override;
    int16_t SetId3Tag(const char *path, const char *tag) override;
    int16_t GetFrameInfo(const char *path, char *info201) override;
    int32_t CreateEq(int16_t *frequencies, int16_t count) override;
    int32_t SetEq(float *gains32) override;
    int32_t SetGain(float *left, float *right) override;
    int32_t EqState(int32_t on) override;
    int32_t GetVisInfo(CorvaneVisInfo *info) override;

private:
    // Records the call; returns its scripted result, else `fallback`.
    int32_t Answer(const std::string &name, const std::string &arguments = {}, int32_t fallback = 0);
};

}  // namespace corvane::decoder
