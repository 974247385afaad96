#include "decoder/DynamicDecoderLibrary.h"

#include "decoder/LoadableModule.h"

namespace corvane::decoder {

// The entry points as the library exports them.
struct DynamicDecoderLibrary::EntryPoints {
    int32_t(CORVANE_CALL *play_mp3)(int32_t, CorvaneNotifyHandle);
    int16_t(CORVANE_CALL *play)(const char *);
    int16_t(CORVANE_CALL *fade_in)(const char *, float);
    int32_t(CORVANE_CALL *pause_playing)();
    int32_t(CORVANE_CALL *continue_playing)();
    int32_t(CORVANE_CALL *stop_playing)();
    int32_t(CORVANE_CALL *fade_out)(float);
    int32_t(CORVANE_CALL *seek_playing)(double);
    int16_t(CORVANE_CALL *is_finished)();
    int32_t(CORVANE_CALL *get_status)(int16_t *, double *, int16_t *, int16_t *, float *);
    int32_t(CORVANE_CALL *set_vu_interval)(int16_t *);
    int32_t(CORVANE_CALL *get_vis_info)(CorvaneVisInfo *);
    int16_t(CORVANE_CALL *get_id3_tag)(const char *, char *);
    int16_t(CORVANE_CALL *set_id3_tag)(const char *, const char *);
    int16_t(CORVANE_CALL *get_frame_info)(const char *, char *);
    int32_t(CORVANE_CALL *create_eq)(int16_t *, int16_t);
    int32_t(CORVANE_CALL *set_eq)(float *);
    int32_t(CORVANE_CALL *set_gain)(float *, float *);
    int32_t(CORVANE_CALL *eq_state)(int32_t);
};

namespace {

template <class Function>
void Resolve(void *module, const std::string &path, const char *name, Function &entry) {
    void *symbol = FindSymbol(module, name);
    if (!symbol) throw DecoderLoadError("decoder library " + path + " has no entry point " + name);
    entry = reinterpret_cast<Function>(symbol);
}

}  // namespace

DynamicDecoderLibrary::DynamicDecoderLibrary(const std::string &path) : path_(path) {
    std::string error;
    module_ = OpenModule(path, error);
    if (!module_) throw DecoderLoadError("cannot load decoder library " + path + ": " + error);
    auto entries = std::make_unique<EntryPoints>();
    try {
#define CORVANE_RESOLVE(name) Resolve(module_, path_, #name, entries->name)
        CORVANE_RESOLVE(play_mp3);
        CORVANE_RESOLVE(play);
        CORVANE_RESOLVE(fade_in);
        CORVANE_RESOLVE(pause_playing);
        CORVANE_RESOLVE(continue_playing);
        CORVANE_RESOLVE(stop_playing);
        CORVANE_RESOLVE(fade_out);
        CORVANE_RESOLVE(seek_playing);
        CORVANE_RESOLVE(is_finished);
        CORVANE_RESOLVE(get_status);
        CORVANE_RESOLVE(set_vu_interval);
        CORVANE_RESOLVE(get_id3_tag);
        CORVANE_RESOLVE(set_id3_tag);
        CORVANE_RESOLVE(get_frame_info);
        CORVANE_RESOLVE(create_eq);
        CORVANE_RESOLVE(set_eq);
        CORVANE_RESOLVE(set_gain);
        CORVANE_RESOLVE(eq_state);
        CORVANE_RESOLVE(get_vis_info);
#undef CORVANE_RESOLVE
    } catch (...) {
        CloseModule(module_);
        module_ = nullptr;
        throw;
    }
    entries_ = entries.release();
}

DynamicDecoderLibrary::~DynamicDecoderLibrary() {
    delete entries_;
    if (module_) CloseModule(module_);
}

int32_t DynamicDecoderLibrary::PlayMp3(int32_t reserved, CorvaneNotifyHandle handle) {
    return entries_->play_mp3(reserved, handle);
}
int16_t DynamicDecoderLibrary::Play(const char *path) { return entries_->play(path); }
int16_t DynamicDecoderLibrary::FadeIn(const char *path, float attackSeconds) {
    return entries_->fade_in(path, attackSeconds);
}
int32_t DynamicDecoderLibrary::PausePlaying() { return entries_->pause_playing(); }
int32_t DynamicDecoderLibrary::ContinuePlaying() { return entries_->continue_playing(); }
int32_t DynamicDecoderLibrary::StopPlaying() { return entries_->stop_playing(); }
int32_t DynamicDecoderLibrary::FadeOut(float decaySeconds) { return entries_->fade_out(decaySeconds); }
int32_t DynamicDecoderLibrary::SeekPlaying(double seconds) { return entries_->seek_playing(seconds); }
int16_t DynamicDecoderLibrary::IsFinished() { return entries_->is_finished(); }
int32_t DynamicDecoderLibrary::GetStatus(int16_t *status, double *position, int16_t *vu, int16_t *wave,
                                         float *spectrum) {
    return entries_->get_status(status, position, vu, wave, spectrum);
}
int32_t DynamicDecoderLibrary::SetVuInterval(int16_t *milliseconds) { return entries_->set_vu_interval(milliseconds); }
int16_t DynamicDecoderLibrary::GetId3Tag(const char *path, char *tag129) { return entries_->get_id3_tag(path, tag129); }
int16_t DynamicDecoderLibrary::SetId3Tag(const char *path, const char *tag) { return entries_->set_id3_tag(path, tag); }
int16_t DynamicDecoderLibrary::GetFrameInfo(const char *path, char *info201) {
    return entries_->get_frame_info(path, info201);
}
int32_t DynamicDecoderLibrary::CreateEq(int16_t *frequencies, int16_t count) {
    return entries_->create_eq(frequencies, count);
}
int32_t DynamicDecoderLibrary::SetEq(float *gains32) { return entries_->set_eq(gains32); }
int32_t DynamicDecoderLibrary::SetGain(float *left, float *right) { return entries_->set_gain(left, right); }
int32_t DynamicDecoderLibrary::EqState(int32_t on) { return entries_->eq_state(on); }
int32_t DynamicDecoderLibrary::GetVisInfo(CorvaneVisInfo *info) { return entries_->get_vis_info(info); }

}  // namespace corvane::decoder
