// The play-list control as an automation object. It answers under its
// interface's current and earlier identifiers and accepts connections to its
// event interface (which has no events) under both event identifiers.
#include <memory>

#include "about/win32/AboutDialog.h"
#include "automation/win32/ControlObject.h"
#include "automation/win32/ObjectEnumerator.h"
#include "automation/win32/PublishedObjects.h"
#include "playlist/CVMP3PlayList.h"

namespace corvane::automation {

namespace {

constexpr wchar_t kPlayListSource[] = L"CorvaneMP3.CVMP3PlayList";

const IID &EarlierPlayListIid() {
    static const GUID iid = LibraryTypeId(L"CVMP3PlayList___v0");
    return iid;
}

// An optional argument a vtable caller may leave out with a null pointer.
runtime::Variant Optional(const LONG *value) {
    return value ? runtime::Variant(static_cast<int32_t>(*value)) : runtime::Variant::Missing();
}
runtime::Variant Optional(const BSTR *value) {
    return value ? runtime::Variant(FromBstr(*value)) : runtime::Variant::Missing();
}
runtime::Variant Optional(const VARIANT *value) { return value ? FromVariant(*value) : runtime::Variant::Missing(); }

class PlayListObject final : public ControlObject<_CVMP3PlayList> {
public:
    PlayListObject()
        : ControlObject(CLSID_CVMP3PlayList, IID__CVMP3PlayList, kPlayListSource,
                        {&DIID___CVMP3PlayList, &DIID___CVMP3PlayList_v0}, &EarlierPlayListIid()),
          list_(std::make_unique<playlist::CVMP3PlayList>(Site())) {}

    HRESULT STDMETHODCALLTYPE About() override {
        return Call([] { about::ShowAboutBox(); });
    }
    HRESULT STDMETHODCALLTYPE AddEntry(BSTR *filename, LONG *beforeFile, LONG *afterFile, BSTR *key,
                                       VARIANT_BOOL *out) override {
        return Call([&] {
            WithText(filename, [&](runtime::Text &name) {
                *out = ToVariantBool(list_->AddEntry(name, Optional(beforeFile), Optional(afterFile), Optional(key)));
            });
        });
    }
    HRESULT STDMETHODCALLTYPE Clear() override {
        return Call([&] { list_->Clear(); });
    }
    HRESULT STDMETHODCALLTYPE get_Count(LONG *out) override {
        return Call([&] { *out = list_->Count(); });
    }
    HRESULT STDMETHODCALLTYPE get_Filename(BSTR *out) override {
        return Call([&] { *out = ToBstr(list_->Filename()); });
    }
    HRESULT STDMETHODCALLTYPE put_Filename(BSTR *value) override {
        return Call([&] { WithText(value, [&](runtime::Text &name) { list_->SetFilename(name); }); });
    }
    HRESULT STDMETHODCALLTYPE LoadPlayList(VARIANT *filename) override {
        return Call([&] {
            runtime::Variant name = Optional(filename);
            name.IsMissing() ? list_->LoadPlayList() : list_->LoadPlayList(name);
        });
    }
    HRESULT STDMETHODCALLTYPE SavePlayList(VARIANT *filename) override {
        return Call([&] {
            runtime::Variant name = Optional(filename);
            name.IsMissing() ? list_->SavePlayList() : list_->SavePlayList(name);
        });
    }
    HRESULT STDMETHODCALLTYPE MovePlayListEntry(LONG *fileToMove, ::CorvanePlayListMovement *moveTo,
                                                LONG *targetFile) override {
        return Call([&] {
            int32_t moved = *fileToMove;
            WithEnum<corvane::CorvanePlayListMovement>(moveTo, [&](auto &movement) {
                list_->MovePlayListEntry(moved, movement, Optional(targetFile));
            });
            *fileToMove = moved;
        });
    }
    HRESULT STDMETHODCALLTYPE get_PlayListEntries(VARIANT *index, _PlayListEntry **out) override {
        return Call([&] { *out = EntryObjectOf(list_->PlayListEntries(Optional(index))); });
    }
    HRESULT STDMETHODCALLTYPE get_NewEnum(IUnknown **out) override {
        return Call([&] { *out = ObjectEnumerator(list_->NewEnum(), EntryObjectOf); });
    }
    HRESULT STDMETHODCALLTYPE RemoveEntry(VARIANT *index) override {
        return Call([&] { list_->RemoveEntry(Optional(index)); });
    }
    HRESULT STDMETHODCALLTYPE Sort(::CorvanePlayListSortType *sortType, ::CorvanePlayListSortOrder *sortOrder) override {
        return Call([&] {
            WithEnum<corvane::CorvanePlayListSortType>(sortType, [&](auto &type) {
                WithEnum<corvane::CorvanePlayListSortOrder>(sortOrder, [&](auto &order) { list_->Sort(type, order); });
            });
        });
    }
    HRESULT STDMETHODCALLTYPE get_TotalPlayListTime(double *out) override {
        return Call([&] { *out = list_->TotalPlayListTime(); });
    }

private:
    // A new play list is empty already: it has no defaults to set.
    void InitProperties() override {}
    void ReadProperties(runtime::PropertyBag &bag) override { list_->ReadProperties(bag); }
    void WriteProperties(runtime::PropertyBag &bag) override { list_->WriteProperties(bag); }
    void Paint() override { list_->Paint(); }
    void Resize(int32_t width, int32_t height) override { list_->Resize(width, height); }

    std::unique_ptr<playlist::CVMP3PlayList> list_;
};

}  // namespace

HRESULT CreatePlayListObject(REFIID iid, void **out) { return NewObjectAs<PlayListObject>(iid, out); }

}  // namespace corvane::automation
