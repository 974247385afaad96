#include "support/RecordingDecoderLibrary.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>

namespace corvane::decoder {

namespace {

constexpr int16_t kFileNotFound = 53;

template <class Number>
std::string Text(Number number) {
    char buffer[40];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, number).ptr);
}

template <class Number>
std::string Text(Number *value) {
    return value ? Text(*value) : "null";
}

std::string Text(const char *path) { return path ? path : ""; }

template <class Number>
std::string ListText(const Number *values, int count) {
    std::string text;
    for (int i = 0; values && i < count; ++i) text += (i ? "," : "") + Text(values[i]);
    return text;
}

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
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(named),
                 [&](const std::string &call) { return call.starts_with(name + "("); });
    return named;
}

int32_t RecordingDecoderLibrary::Answer(const std::string &name, const std::string &arguments, int32_t fallback) {
    calls.push_back(name + "(" + arguments + ")");
    auto found = results.find(name);
    return found == results.end() ? fallback : found->second;
}

int32_t RecordingDecoderLibrary::PlayMp3(int32_t reserved, CorvaneNotifyHandle handle) {
    return Answer("play_mp3", Text(reserved) + "," + (handle ? "handle" : "null"));
}
int16_t RecordingDecoderLibrary::FadeIn(const char *path, float attackSeconds) {
    return static_cast<int16_t>(Answer("fade_in", Text(path) + "," + Text(attackSeconds)));
}
int32_t RecordingDecoderLibrary::FadeOut(float decaySeconds) { return Answer("fade_out", Text(decaySeconds)); }
int32_t RecordingDecoderLibrary::SeekPlaying(double seconds) { return Answer("seek_playing", Text(seconds)); }
int32_t RecordingDecoderLibrary::SetVuInterval(int16_t *milliseconds) {
    return Answer("set_vu_interval", Text(milliseconds));
}
int32_t RecordingDecoderLibrary::CreateEq(int16_t *frequencies, int16_t count) {
    return Answer("create_eq", ListText(frequencies, count) + ";" + Text(count));
}
int32_t RecordingDecoderLibrary::SetEq(float *gains32) { return Answer("set_eq", ListText(gains32, 32)); }
int32_t RecordingDecoderLibrary::SetGain(float *left, float *right) {
    return Answer("set_gain", Text(left) + "," + Text(right));
}
int32_t RecordingDecoderLibrary::EqState(int32_t on) { return Answer("eq_state", Text(on)); }

int32_t RecordingDecoderLibrary::GetStatus(int16_t *statusOut, double *position, int16_t *vu, int16_t *wave,
                                           float *spectrum) {
    if (statusOut) *statusOut = status.status;
    if (position) *position = status.position;
    if (vu) std::copy(status.vu.begin(), status.vu.end(), vu);
    if (wave) std::copy(status.wave.begin(), status.wave.end(), wave);
    if (spectrum) std::copy(status.spectrum.begin(), status.spectrum.end(), spectrum);
    return Answer("get_status");
}

int32_t RecordingDecoderLibrary::GetVisInfo(CorvaneVisInfo *info) {
    if (info && info->struct_size >= static_cast<int32_t>(sizeof(CorvaneVisInfo))) {
        info->wave_samples = CORVANE_WAVE_SAMPLES;
        info->spectrum_bins = CORVANE_SPECTRUM_BINS;
    }
    return Answer("get_vis_info");
}

// File calls answer from `files`; a result scripted under the entry point's
// name in `results` takes precedence over the file's own.
int16_t RecordingDecoderLibrary::GetId3Tag(const char *path, char *tag129) {
    const File *file = files.contains(Text(path)) ? &files.at(Text(path)) : nullptr;
    const auto result = static_cast<int16_t>(Answer("get_id3_tag", Text(path), file ? file->tagResult : 0));
    if (!file) return kFileNotFound;
    if (tag129) {
        std::memset(tag129, 0, CORVANE_TAG_SIZE + 1);
        std::memcpy(tag129, file->tag.data(), std::min<size_t>(file->tag.size(), CORVANE_TAG_SIZE));
    }
    return result;
}

// Only a pointer crosses this interface, so the block's length is where its
// first NUL byte is, at most 128: a block whose last byte (the genre) is 0 is
// seen as 127 bytes, the same as one that leaves the genre byte out.
int16_t RecordingDecoderLibrary::SetId3Tag(const char *path, const char *tag) {
    std::string block = tag ? std::string(tag, strnlen(tag, CORVANE_TAG_SIZE)) : std::string();
    writtenTags.push_back(block);
    File *file = files.contains(Text(path)) ? &files.at(Text(path)) : nullptr;
    const auto result = static_cast<int16_t>(Answer("set_id3_tag", Text(path) + "," + block, file ? file->writeResult : 0));
    if (!file) return kFileNotFound;
    if (result == 0) file->tag = block.append(CORVANE_TAG_SIZE - block.size(), '\0');
    return result;
}

int16_t RecordingDecoderLibrary::GetFrameInfo(const char *path, char *info201) {
    const File *file = files.contains(Text(path)) ? &files.at(Text(path)) : nullptr;
    const std::string info = file ? file->frameInfo.substr(0, CORVANE_FRAME_INFO_SIZE) : "";
    if (info201) std::memcpy(info201, info.c_str(), info.size() + 1);
    const auto result = static_cast<int16_t>(Answer("get_frame_info", Text(path), file ? file->frameResult : 0));
    return file ? result : kFileNotFound;
}

}  // namespace corvane::decoder
