#include "support/RecordingDecoderLibrary.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace corvane::decoder {

namespace {

constexpr int16_t kFileNotFound = 53;

template <class Number>
std::string NumberText(Number number) {
    char buffer[40];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string(buffer, static_cast<size_t>(result.ptr - buffer));
}

std::string PathText(const char *path) { return path ? path : ""; }

template <class Number>
std::string ListText(const Number *values, int count) {
    std::string text;
    for (int i = 0; values && i < count; ++i) {
        if (i) text += ',';
        text += NumberText(values[i]);
    }
    return text;
}

std::string Call(const std::string &name, const std::string &arguments = {}) { return name + "(" + arguments + ")"; }

}  // namespace

RecordingDecoderLibrary::File &RecordingDecoderLibrary::AddFile(const std::string &path, const std::string &frameInfo,
                                                               const std::string &tag) {
    File &file = files[path];
    file.frameInfo = frameInfo;
    file.tag = tag;
    return file;
}

std::vector<std::string> RecordingDecoderLibrary::CallsNamed(const std::string &name) const {
    std::vector<std::string> named;
    std::string prefix = name + "(";
    for (const auto &call : calls)
        if (call.starts_with(prefix)) named.push_back(call);
    return named;
}

void RecordingDecoderLibrary::Record(const std::string &call) {
    calls.push_back(call);
    if (onCall) onCall(call.substr(0, call.find('(')));
}

int32_t RecordingDecoderLibrary::Result(const std::string &name) const {
    auto found = results.find(name);
    return found == results.end() ? 0 : found->second;
}

int32_t RecordingDecoderLibrary::PlayMp3(int32_t reserved, CorvaneNotifyHandle handle) {
    Record(Call("play_mp3", NumberText(reserved) + "," + (handle ? "handle" : "null")));
    lastHandle = handle;
    return Result("play_mp3");
}

int16_t RecordingDecoderLibrary::Play(const char *path) {
    Record(Call("play", PathText(path)));
    return static_cast<int16_t>(Result("play"));
}

int16_t RecordingDecoderLibrary::FadeIn(const char *path, float attackSeconds) {
    Record(Call("fade_in", PathText(path) + "," + NumberText(attackSeconds)));
    return static_cast<int16_t>(Result("fade_in"));
}

int32_t RecordingDecoderLibrary::PausePlaying() {
    Record(Call("pause_playing"));
    return Result("pause_playing");
}

int32_t RecordingDecoderLibrary::ContinuePlaying() {
    Record(Call("continue_playing"));
    return Result("continue_playing");
}

int32_t RecordingDecoderLibrary::StopPlaying() {
    Record(Call("stop_playing"));
    return Result("stop_playing");
}

int32_t RecordingDecoderLibrary::FadeOut(float decaySeconds) {
    Record(Call("fade_out", NumberText(decaySeconds)));
    return Result("fade_out");
}

int32_t RecordingDecoderLibrary::SeekPlaying(double seconds) {
    Record(Call("seek_playing", NumberText(seconds)));
    return Result("seek_playing");
}

int16_t RecordingDecoderLibrary::IsFinished() {
    Record(Call("is_finished"));
    return static_cast<int16_t>(Result("is_finished"));
}

// The status is written after the call is recorded, so an onCall hook can
// script what this very call reports.
int32_t RecordingDecoderLibrary::GetStatus(int16_t *statusOut, double *position, int16_t *vu, int16_t *wave,
                                           float *spectrum) {
    Record(Call("get_status"));
    if (statusOut) *statusOut = status.status;
    if (position) *position = status.position;
    if (vu) std::copy(status.vu.begin(), status.vu.end(), vu);
    if (wave) std::copy(status.wave.begin(), status.wave.end(), wave);
    if (spectrum) std::copy(status.spectrum.begin(), status.spectrum.end(), spectrum);
    return Result("get_status");
}

int32_t RecordingDecoderLibrary::SetVuInterval(int16_t *milliseconds) {
    Record(Call("set_vu_interval", milliseconds ? NumberText(*milliseconds) : "null"));
    return Result("set_vu_interval");
}

// File calls answer from `files`; a result scripted under the entry point's
// name in `results` takes precedence over the file's own.
int16_t RecordingDecoderLibrary::GetId3Tag(const char *path, char *tag129) {
    Record(Call("get_id3_tag", PathText(path)));
    auto found = files.find(PathText(path));
    if (found == files.end()) return kFileNotFound;
    if (tag129) {
        std::memset(tag129, 0, CORVANE_TAG_SIZE + 1);
        const std::string &tag = found->second.tag;
        std::memcpy(tag129, tag.data(), std::min<size_t>(tag.size(), CORVANE_TAG_SIZE));
    }
    return results.count("get_id3_tag") ? static_cast<int16_t>(Result("get_id3_tag")) : found->second.tagResult;
}

// Only a pointer crosses this interface, so the block's length is where its
// first NUL byte is, at most 128: a block whose last byte (the genre) is 0 is
// seen as 127 bytes, the same as one that leaves the genre byte out.
int16_t RecordingDecoderLibrary::SetId3Tag(const char *path, const char *tag) {
    std::string block = tag ? std::string(tag, strnlen(tag, CORVANE_TAG_SIZE)) : std::string();
    Record(Call("set_id3_tag", PathText(path) + "," + block));
    writtenTags.push_back(block);
    auto found = files.find(PathText(path));
    if (found == files.end()) return kFileNotFound;
    int16_t result =
        results.count("set_id3_tag") ? static_cast<int16_t>(Result("set_id3_tag")) : found->second.writeResult;
    if (result == 0) {
        block.resize(CORVANE_TAG_SIZE, '\0');
        found->second.tag = block;
    }
    return result;
}

int16_t RecordingDecoderLibrary::GetFrameInfo(const char *path, char *info201) {
    Record(Call("get_frame_info", PathText(path)));
    auto found = files.find(PathText(path));
    if (found == files.end()) {
        if (info201) info201[0] = '\0';
        return kFileNotFound;
    }
    if (info201) {
        const std::string &info = found->second.frameInfo;
        size_t length = std::min<size_t>(info.size(), CORVANE_FRAME_INFO_SIZE);
        std::memcpy(info201, info.data(), length);
        info201[length] = '\0';
    }
    return results.count("get_frame_info") ? static_cast<int16_t>(Result("get_frame_info"))
                                           : found->second.frameResult;
}

int32_t RecordingDecoderLibrary::CreateEq(int16_t *frequencies, int16_t count) {
    Record(Call("create_eq", ListText(frequencies, count) + ";" + NumberText(count)));
    return Result("create_eq");
}

int32_t RecordingDecoderLibrary::SetEq(float *gains32) {
    Record(Call("set_eq", ListText(gains32, 32)));
    return Result("set_eq");
}

int32_t RecordingDecoderLibrary::SetGain(float *left, float *right) {
    Record(Call("set_gain", (left ? NumberText(*left) : "null") + "," + (right ? NumberText(*right) : "null")));
    return Result("set_gain");
}

int32_t RecordingDecoderLibrary::EqState(int32_t on) {
    Record(Call("eq_state", NumberText(on)));
    return Result("eq_state");
}

int32_t RecordingDecoderLibrary::GetVisInfo(CorvaneVisInfo *info) {
    Record(Call("get_vis_info"));
    if (info && info->struct_size >= static_cast<int32_t>(sizeof(CorvaneVisInfo))) {
        info->wave_samples = CORVANE_WAVE_SAMPLES;
        info->spectrum_bins = CORVANE_SPECTRUM_BINS;
    }
    return Result("get_vis_info");
}

}  // namespace corvane::decoder
