// The player control as an automation object: the control's site, the core
// player on it, and the translation of every member. Events raised by the
// player go to every sink connected to its event interface; the object stays
// alive until the event has been delivered, even if a handler lets it go.
#include <memory>

#include "about/win32/AboutDialog.h"
#include "automation/win32/ControlObject.h"
#include "automation/win32/PublishedObjects.h"
#include "player/CVMP3Player.h"

namespace corvane::automation {

namespace {

constexpr wchar_t kPlayerSource[] = L"CorvaneMP3.CVMP3Player";

class PlayerObject final : public ControlObject<_CVMP3Player> {
public:
    // A player made without a container (by a script) starts from the
    // defaults; a container's InitNew or Load comes after and sets them again.
    PlayerObject()
        : ControlObject(CLSID_CVMP3Player, IID__CVMP3Player, kPlayerSource, {&DIID___CVMP3Player}),
          player_(std::make_unique<player::CVMP3Player>(Site())) {
        Site().OnEvent([this](int32_t event) { DeliverEvent(event); });
        player_->InitProperties();
    }

    HRESULT STDMETHODCALLTYPE About() override {
        return Call([] { about::ShowAboutBox(); });
    }
    HRESULT STDMETHODCALLTYPE get_ChannelMode(BSTR *out) override { return GetText(out, &Core::ChannelMode); }
    HRESULT STDMETHODCALLTYPE get_Equalizer(_Equalizer **out) override {
        return Call([&] { *out = EqualizerObjectOf(player_->Equalizer()); });
    }
    HRESULT STDMETHODCALLTYPE get_FileSize(LONG *out) override {
        return Call([&] { *out = player_->FileSize(); });
    }
    HRESULT STDMETHODCALLTYPE get_Copyrighted(VARIANT *out) override {
        return Call([&] { ToVariant(player_->Copyrighted(), out); });
    }
    HRESULT STDMETHODCALLTYPE get_CRCExists(VARIANT_BOOL *out) override {
        return Call([&] { *out = ToVariantBool(player_->CRCExists()); });
    }
    HRESULT STDMETHODCALLTYPE get_DataRate(LONG *out) override {
        return Call([&] { *out = player_->DataRate(); });
    }
    HRESULT STDMETHODCALLTYPE get_Frames(LONG *out) override {
        return Call([&] { *out = player_->Frames(); });
    }
    HRESULT STDMETHODCALLTYPE get_GfxWaveFormSample(::CorvaneMP3Channels *channel, short *index, short *out) override {
        return Call([&] {
            WithEnum<corvane::CorvaneMP3Channels>(channel, [&](auto &slot) {
                *out = player_->GfxWaveFormSample(slot, *index);
            });
        });
    }
    HRESULT STDMETHODCALLTYPE get_GfxWaveFormLBound(LONG *out) override {
        return Call([&] { *out = player_->GfxWaveFormLBound(); });
    }
    HRESULT STDMETHODCALLTYPE get_GfxWaveFormUBound(LONG *out) override {
        return Call([&] { *out = player_->GfxWaveFormUBound(); });
    }
    HRESULT STDMETHODCALLTYPE get_Layer(BSTR *out) override { return GetText(out, &Core::Layer); }
    HRESULT STDMETHODCALLTYPE get_MPEGVersion(BSTR *out) override { return GetText(out, &Core::MPEGVersion); }
    HRESULT STDMETHODCALLTYPE get_Original(VARIANT_BOOL *out) override {
        return Call([&] { *out = ToVariantBool(player_->Original()); });
    }
    HRESULT STDMETHODCALLTYPE get_SampleRate(LONG *out) override {
        return Call([&] { *out = player_->SampleRate(); });
    }
    HRESULT STDMETHODCALLTYPE get_ID3Album(BSTR *out) override { return GetTag(out, &Core::ID3Album); }
    HRESULT STDMETHODCALLTYPE put_ID3Album(BSTR *value) override { return SetText(value, &Core::SetID3Album); }
    HRESULT STDMETHODCALLTYPE get_ID3Artist(BSTR *out) override { return GetTag(out, &Core::ID3Artist); }
    HRESULT STDMETHODCALLTYPE put_ID3Artist(BSTR *value) override { return SetText(value, &Core::SetID3Artist); }
    HRESULT STDMETHODCALLTYPE get_ID3Comment(BSTR *out) override { return GetTag(out, &Core::ID3Comment); }
    HRESULT STDMETHODCALLTYPE put_ID3Comment(BSTR *value) override { return SetText(value, &Core::SetID3Comment); }
    HRESULT STDMETHODCALLTYPE get_ID3Genre(short *out) override {
        return Call([&] { *out = player_->ID3Genre(); });
    }
    HRESULT STDMETHODCALLTYPE put_ID3Genre(short *value) override {
        return Call([&] { player_->SetID3Genre(*value); });
    }
    HRESULT STDMETHODCALLTYPE get_ID3Title(BSTR *out) override { return GetTag(out, &Core::ID3Title); }
    HRESULT STDMETHODCALLTYPE put_ID3Title(BSTR *value) override { return SetText(value, &Core::SetID3Title); }
    HRESULT STDMETHODCALLTYPE get_ID3Year(BSTR *out) override { return GetTag(out, &Core::ID3Year); }
    HRESULT STDMETHODCALLTYPE put_ID3Year(BSTR *value) override { return SetText(value, &Core::SetID3Year); }
    HRESULT STDMETHODCALLTYPE get_ChangeInterval(short *out) override {
        return Call([&] { *out = player_->ChangeInterval(); });
    }
    HRESULT STDMETHODCALLTYPE put_ChangeInterval(short *value) override {
        return Call([&] { player_->SetChangeInterval(*value); });
    }
    HRESULT STDMETHODCALLTYPE get_Filename(BSTR *out) override { return GetText(out, &Core::Filename); }
    HRESULT STDMETHODCALLTYPE put_Filename(BSTR value) override {
        return Call([&] { player_->SetFilename(FromBstr(value)); });
    }
    HRESULT STDMETHODCALLTYPE get_SpectrumAnalysis(::CorvaneMP3Channels *channel, short *index, float *out) override {
        return Call([&] {
            WithEnum<corvane::CorvaneMP3Channels>(channel, [&](auto &slot) {
                *out = player_->SpectrumAnalysis(slot, *index);
            });
        });
    }
    HRESULT STDMETHODCALLTYPE get_TrackPosition(::CorvaneMP3Seek *from, double *out) override {
        return Call([&] {
            WithEnum<corvane::CorvaneMP3Seek>(from, [&](auto &origin) { *out = player_->TrackPosition(origin); });
        });
    }
    HRESULT STDMETHODCALLTYPE put_TrackPosition(::CorvaneMP3Seek *from, double value) override {
        return Call([&] {
            WithEnum<corvane::CorvaneMP3Seek>(from, [&](auto &origin) { player_->SetTrackPosition(origin, value); });
        });
    }
    HRESULT STDMETHODCALLTYPE get_TrackLength(short *out) override {
        return Call([&] { *out = player_->TrackLength(); });
    }
    HRESULT STDMETHODCALLTYPE PlayPause() override {
        return Call([&] { player_->PlayPause(); });
    }
    HRESULT STDMETHODCALLTYPE PlayStart() override {
        return Call([&] { player_->PlayStart(); });
    }
    HRESULT STDMETHODCALLTYPE PlayStop() override {
        return Call([&] { player_->PlayStop(); });
    }
    HRESULT STDMETHODCALLTYPE PlayFadeIn(double *attackTime) override {
        return Call([&] { player_->PlayFadeIn(*attackTime); });
    }
    HRESULT STDMETHODCALLTYPE PlayFadeOut(float *decayTime) override {
        return Call([&] { player_->PlayFadeOut(*decayTime); });
    }
    HRESULT STDMETHODCALLTYPE get_IsPaused(VARIANT_BOOL *out) override {
        return Call([&] { *out = ToVariantBool(player_->IsPaused()); });
    }
    HRESULT STDMETHODCALLTYPE get_IsPlaying(VARIANT_BOOL *out) override {
        return Call([&] { *out = ToVariantBool(player_->IsPlaying()); });
    }
    HRESULT STDMETHODCALLTYPE get_VUMeter(::CorvaneMP3Channels *channel, short *out) override {
        return Call([&] {
            WithEnum<corvane::CorvaneMP3Channels>(channel, [&](auto &slot) { *out = player_->VUMeter(slot); });
        });
    }
    HRESULT STDMETHODCALLTYPE get_Channels(short *out) override {
        return Call([&] { *out = player_->Channels(); });
    }
    HRESULT STDMETHODCALLTYPE put_Channels(short *value) override {
        return Call([&] { player_->SetChannels(*value); });
    }
    HRESULT STDMETHODCALLTYPE get_DeviceName(BSTR *out) override { return GetText(out, &Core::DeviceName); }
    HRESULT STDMETHODCALLTYPE put_DeviceName(BSTR *value) override { return SetText(value, &Core::SetDeviceName); }
    HRESULT STDMETHODCALLTYPE get_GenreList(short *genre, BSTR *out) override {
        return Call([&] { *out = ToBstr(player_->GenreList(*genre)); });
    }

private:
    using Core = player::CVMP3Player;

    template <class Get>
    HRESULT GetText(BSTR *out, Get get) {
        return Call([&] { *out = ToBstr(((*player_).*get)()); });
    }
    HRESULT GetTag(BSTR *out, runtime::Text (Core::*get)()) {
        return Call([&] { *out = ToBstr(((*player_).*get)()); });
    }
    HRESULT SetText(BSTR *value, void (Core::*set)(runtime::Text &)) {
        return Call([&] { WithText(value, [&](runtime::Text &text) { ((*player_).*set)(text); }); });
    }

    // The player raises events from inside its own work; a handler that
    // releases the last reference must not destroy it there, so the
    // reference taken here is given back from the message loop.
    void DeliverEvent(int32_t event) {
        AddRef();
        Fire(event);
        Site().PostToLoop([this] { Release(); });
    }

    void InitProperties() override { player_->InitProperties(); }
    void ReadProperties(runtime::PropertyBag &bag) override { player_->ReadProperties(bag); }
    void WriteProperties(runtime::PropertyBag &bag) override { player_->WriteProperties(bag); }
    void Paint() override { player_->Paint(); }
    void Resize(int32_t width, int32_t height) override { player_->Resize(width, height); }

    std::unique_ptr<player::CVMP3Player> player_;
};

}  // namespace

HRESULT CreatePlayerObject(REFIID iid, void **out) { return NewObjectAs<PlayerObject>(iid, out); }

}  // namespace corvane::automation
