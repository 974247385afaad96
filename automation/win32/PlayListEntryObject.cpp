// A play-list entry as an automation object; it also answers under the
// identifier its interface had in the earlier version.
#include "automation/win32/DispatchObject.h"
#include "automation/win32/PublishedObjects.h"
#include "automation/win32/WrapperCache.h"
#include "playlist/PlayListEntry.h"

namespace corvane::automation {

namespace {

constexpr wchar_t kEntrySource[] = L"CorvaneMP3.PlayListEntry";

const IID &EarlierEntryIid() {
    static const GUID iid = LibraryTypeId(L"PlayListEntry___v0");
    return iid;
}

class EntryObject final : public DispatchObject<_PlayListEntry> {
public:
    explicit EntryObject(std::shared_ptr<playlist::PlayListEntry> core)
        : DispatchObject(IID__PlayListEntry, kEntrySource, &EarlierEntryIid()), core_(std::move(core)) {}
    ~EntryObject() override { ForgetWrapper(core_.get()); }

    HRESULT STDMETHODCALLTYPE get_ChannelMode(BSTR *out) override { return GetText(out, &Core::ChannelMode); }
    HRESULT STDMETHODCALLTYPE get_GenreList(short *genre, BSTR *out) override {
        return Call([&] { *out = ToBstr(core_->GenreList(*genre)); });
    }
    HRESULT STDMETHODCALLTYPE get_MPEGVersion(BSTR *out) override { return GetText(out, &Core::MPEGVersion); }
    HRESULT STDMETHODCALLTYPE get_FileSize(LONG *out) override {
        return Call([&] { *out = core_->FileSize(); });
    }
    HRESULT STDMETHODCALLTYPE get_Filename(BSTR *out) override { return GetText(out, &Core::Filename); }
    HRESULT STDMETHODCALLTYPE get_TrackLength(short *out) override {
        return Call([&] { *out = core_->TrackLength(); });
    }
    HRESULT STDMETHODCALLTYPE get_ID3Album(BSTR *out) override { return GetText(out, &Core::ID3Album); }
    HRESULT STDMETHODCALLTYPE put_ID3Album(BSTR *value) override { return SetText(value, &Core::SetID3Album); }
    HRESULT STDMETHODCALLTYPE get_ID3Artist(BSTR *out) override { return GetText(out, &Core::ID3Artist); }
    HRESULT STDMETHODCALLTYPE put_ID3Artist(BSTR *value) override { return SetText(value, &Core::SetID3Artist); }
    HRESULT STDMETHODCALLTYPE get_ID3Comment(BSTR *out) override { return GetText(out, &Core::ID3Comment); }
    HRESULT STDMETHODCALLTYPE put_ID3Comment(BSTR *value) override { return SetText(value, &Core::SetID3Comment); }
    HRESULT STDMETHODCALLTYPE get_ID3Genre(short *out) override {
        return Call([&] { *out = core_->ID3Genre(); });
    }
    HRESULT STDMETHODCALLTYPE put_ID3Genre(short *value) override {
        return Call([&] { core_->SetID3Genre(*value); });
    }
    HRESULT STDMETHODCALLTYPE get_ID3Title(BSTR *out) override { return GetText(out, &Core::ID3Title); }
    HRESULT STDMETHODCALLTYPE put_ID3Title(BSTR *value) override { return SetText(value, &Core::SetID3Title); }
    HRESULT STDMETHODCALLTYPE get_ID3Year(BSTR *out) override { return GetText(out, &Core::ID3Year); }
    HRESULT STDMETHODCALLTYPE put_ID3Year(BSTR *value) override { return SetText(value, &Core::SetID3Year); }
    HRESULT STDMETHODCALLTYPE get_Copyrighted(VARIANT_BOOL *out) override {
        return Call([&] { *out = ToVariantBool(core_->Copyrighted()); });
    }
    HRESULT STDMETHODCALLTYPE get_CRCExists(VARIANT_BOOL *out) override {
        return Call([&] { *out = ToVariantBool(core_->CRCExists()); });
    }
    HRESULT STDMETHODCALLTYPE get_DataRate(LONG *out) override {
        return Call([&] { *out = core_->DataRate(); });
    }
    HRESULT STDMETHODCALLTYPE get_Frames(LONG *out) override {
        return Call([&] { *out = core_->Frames(); });
    }
    HRESULT STDMETHODCALLTYPE get_Layer(BSTR *out) override { return GetText(out, &Core::Layer); }
    HRESULT STDMETHODCALLTYPE get_Original(VARIANT_BOOL *out) override {
        return Call([&] { *out = ToVariantBool(core_->Original()); });
    }
    HRESULT STDMETHODCALLTYPE get_SampleRate(LONG *out) override {
        return Call([&] { *out = core_->SampleRate(); });
    }
    HRESULT STDMETHODCALLTYPE SetFileName(BSTR *filename, LONG *out) override {
        return Call([&] { WithText(filename, [&](runtime::Text &name) { *out = core_->SetFileName(name); }); });
    }
    HRESULT STDMETHODCALLTYPE get_Tag(BSTR *out) override { return GetText(out, &Core::Tag); }
    HRESULT STDMETHODCALLTYPE put_Tag(BSTR value) override {
        return Call([&] { core_->SetTag(FromBstr(value)); });
    }
    HRESULT STDMETHODCALLTYPE get_Key(BSTR *out) override { return GetText(out, &Core::Key); }

private:
    using Core = playlist::PlayListEntry;

    template <class Get>
    HRESULT GetText(BSTR *out, Get get) {
        return Call([&] { *out = ToBstr((*core_.*get)()); });
    }
    HRESULT SetText(BSTR *value, void (Core::*set)(runtime::Text &)) {
        return Call([&] { WithText(value, [&](runtime::Text &text) { (*core_.*set)(text); }); });
    }

    std::shared_ptr<Core> core_;
};

}  // namespace

_PlayListEntry *EntryObjectOf(const std::shared_ptr<playlist::PlayListEntry> &core) {
    return WrapperOf<EntryObject, _PlayListEntry>(core);
}

}  // namespace corvane::automation
