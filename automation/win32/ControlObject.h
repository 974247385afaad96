#pragma once
// What makes a published control a control: the OLE control protocol a form
// designer or a scripting host uses to site it, activate it in place, save
// and load it, and draw it. The core object does the work through the
// container notifications it already has (InitProperties, ReadProperties,
// WriteProperties, Paint, Resize); this layer only calls them at the right
// moments and translates units, bags and streams. A derived class names its
// core's notifications; everything else is here, once for both controls.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>

#include "automation/win32/ControlPersistence.h"
#include "automation/win32/EventSourceObject.h"
#include "automation/win32/Registration.h"
#include "automation/win32/ServerControlSite.h"

namespace corvane::automation {

template <class Interface>
class ControlObject
    : public EventSourceObject<Interface, IOleObject, IOleControl, IOleInPlaceObject, IOleInPlaceActiveObject,
                               IViewObject2, IPersistPropertyBag, IPersistStreamInit, IQuickActivate> {
    using Base = EventSourceObject<Interface, IOleObject, IOleControl, IOleInPlaceObject, IOleInPlaceActiveObject,
                                   IViewObject2, IPersistPropertyBag, IPersistStreamInit, IQuickActivate>;

public:
    // --- IOleObject ---------------------------------------------------------
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite *site) override {
        site_.SetClientSite(site);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite **out) override {
        if (out == nullptr) return E_POINTER;
        *out = site_.ClientSite();
        if (*out) (*out)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD) override {
        InPlaceDeactivate();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker **out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject *, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject **out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite *site, LONG, HWND parent,
                                     LPCRECT position) override {
        if (site != nullptr && site_.ClientSite() == nullptr) site_.SetClientSite(site);
        switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE: return ActivateInPlace(parent, position);
        case OLEIVERB_HIDE:
            if (window_) ShowWindow(window_, SW_HIDE);
            return S_OK;
        default: return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
        }
    }
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB **out) override { return OleRegEnumVerbs(classId_, out); }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID *out) override { return GetClassID(out); }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR *out) override {
        return OleRegGetUserType(classId_, form, out);
    }
    // The core keeps its own size (the extent it sets through its site).
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL *size) override {
        if (size == nullptr) return E_POINTER;
        if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
        Resize(HimetricToTwips(size->cx), HimetricToTwips(size->cy));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL *size) override {
        if (size == nullptr) return E_POINTER;
        if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
        if (site_.ExtentWidth() == 0) Resize(0, 0);  // not sized yet: the core's own size
        *size = {TwipsToHimetric(site_.ExtentWidth()), TwipsToHimetric(site_.ExtentHeight())};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink *sink, DWORD *cookie) override {
        if (adviseHolder_ == nullptr && FAILED(CreateOleAdviseHolder(&adviseHolder_))) return E_OUTOFMEMORY;
        return adviseHolder_->Advise(sink, cookie);
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        return adviseHolder_ ? adviseHolder_->Unadvise(cookie) : OLE_E_NOCONNECTION;
    }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA **out) override {
        if (out) *out = nullptr;
        return adviseHolder_ ? adviseHolder_->EnumAdvise(out) : E_FAIL;
    }
    // What the registry says (set-client-site-first, invisible at run time...).
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD *status) override {
        if (status == nullptr) return E_POINTER;
        if (SUCCEEDED(OleRegGetMiscStatus(classId_, aspect, status))) return S_OK;
        *status = kControlMiscStatus;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE *) override { return E_NOTIMPL; }

    // --- IOleControl ----------------------------------------------------------
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO *info) override {
        if (info == nullptr) return E_POINTER;
        info->hAccel = nullptr;
        info->cAccel = 0;
        info->dwFlags = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID) override {
        if (window_) InvalidateRect(window_, nullptr, TRUE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL) override { return S_OK; }

    // --- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject ---------------
    HRESULT STDMETHODCALLTYPE GetWindow(HWND *out) override {
        if (out == nullptr) return E_POINTER;
        *out = window_;
        return window_ ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override {
        if (window_ == nullptr) return S_OK;
        DestroyWindow(window_);
        window_ = nullptr;
        IOleInPlaceSite *inPlace = InPlaceSite();
        if (inPlace) {
            inPlace->OnInPlaceDeactivate();
            inPlace->Release();
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT) override {
        if (position == nullptr) return E_POINTER;
        if (window_)
            MoveWindow(window_, position->left, position->top, position->right - position->left,
                       position->bottom - position->top, TRUE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow *, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

    // --- IViewObject2 ---------------------------------------------------------
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void *, DVTARGETDEVICE *, HDC, HDC dc, LPCRECTL bounds,
                                   LPCRECTL, BOOL(STDMETHODCALLTYPE *)(ULONG_PTR), ULONG_PTR) override {
        if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
        if (dc == nullptr || bounds == nullptr) return E_INVALIDARG;
        PaintInto(dc, {bounds->left, bounds->top});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void *, DVTARGETDEVICE *, HDC, LOGPALETTE **out) override {
        if (out) *out = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void *, DWORD *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink *sink) override {
        if (sink) sink->AddRef();
        if (viewSink_) viewSink_->Release();
        viewSink_ = sink;
        viewAspects_ = aspects;
        viewFlags_ = flags;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD *aspects, DWORD *flags, IAdviseSink **sink) override {
        if (aspects) *aspects = viewAspects_;
        if (flags) *flags = viewFlags_;
        if (sink) {
            *sink = viewSink_;
            if (viewSink_) viewSink_->AddRef();
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE *, LPSIZEL size) override {
        return GetExtent(aspect, size);
    }

    // --- IPersist, IPersistPropertyBag, IPersistStreamInit ---------------------
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID *out) override {
        if (out == nullptr) return E_POINTER;
        *out = classId_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InitNew() override {
        return Persisting([&] { InitProperties(); });
    }
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag *bag, IErrorLog *log) override {
        if (bag == nullptr) return E_POINTER;
        return Persisting([&] {
            ContainerPropertyBag saved(*bag, log);
            ReadProperties(saved);
        });
    }
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag *bag, BOOL clearDirty, BOOL) override {
        if (bag == nullptr) return E_POINTER;
        return Saving(clearDirty, [&] {
            ContainerPropertyBag saved(*bag, nullptr);
            WriteProperties(saved);
        });
    }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return site_.Dirty() ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(IStream *stream) override {
        if (!this->OnOwnerThread()) return RPC_E_WRONG_THREAD;
        const HRESULT status = LoadFromStream(stream, [&](runtime::PropertyBag &bag) { ReadProperties(bag); });
        if (SUCCEEDED(status)) site_.SetDirty(false);
        return status;
    }
    HRESULT STDMETHODCALLTYPE Save(IStream *stream, BOOL clearDirty) override {
        if (!this->OnOwnerThread()) return RPC_E_WRONG_THREAD;
        const HRESULT status = SaveToStream(stream, [&](runtime::PropertyBag &bag) { WriteProperties(bag); });
        if (SUCCEEDED(status) && clearDirty) site_.SetDirty(false);
        return status;
    }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER *size) override {
        if (size == nullptr) return E_POINTER;
        size->QuadPart = SavedSize([&](runtime::PropertyBag &bag) { WriteProperties(bag); });
        return S_OK;
    }

    // --- IQuickActivate: the site, the sinks and the status in one call ----
    HRESULT STDMETHODCALLTYPE QuickActivate(QACONTAINER *container, QACONTROL *control) override {
        if (container == nullptr || control == nullptr) return E_POINTER;
        if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL)) return E_INVALIDARG;
        SetClientSite(container->pClientSite);
        if (container->pAdviseSink) SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
        control->dwPropNotifyCookie = AdviseOn(IID_IPropertyNotifySink, container->pPropertyNotifySink);
        control->dwEventCookie = AdviseOn(this->DefaultEvents(), container->pUnkEventSink);
        GetMiscStatus(DVASPECT_CONTENT, &control->dwMiscStatus);
        control->dwViewStatus = 0;
        control->dwPointerActivationPolicy = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetContentExtent(LPSIZEL size) override { return SetExtent(DVASPECT_CONTENT, size); }
    HRESULT STDMETHODCALLTYPE GetContentExtent(LPSIZEL size) override { return GetExtent(DVASPECT_CONTENT, size); }

protected:
    ControlObject(REFCLSID classId, REFIID iid, const wchar_t *source, std::initializer_list<const IID *> events,
                  const IID *earlierIid = nullptr)
        : Base(classId, iid, source, events, earlierIid), classId_(classId) {
        this->Events().AddPropertyNotifications();
        site_.OnPropertyChanged([this] { this->Events().PropertyChanged(); });
        paint_ = [this](HDC dc) { PaintInto(dc, {0, 0}); };
    }
    ~ControlObject() override {
        InPlaceDeactivate();
        if (viewSink_) viewSink_->Release();
        if (adviseHolder_) adviseHolder_->Release();
    }

    void *OtherInterface(REFIID iid) override {
        if (void *found = Base::OtherInterface(iid)) return found;
        if (IsEqualIID(iid, IID_IOleObject)) return static_cast<IOleObject *>(this);
        if (IsEqualIID(iid, IID_IOleControl)) return static_cast<IOleControl *>(this);
        if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject))
            return static_cast<IOleInPlaceObject *>(this);
        if (IsEqualIID(iid, IID_IOleInPlaceActiveObject)) return static_cast<IOleInPlaceActiveObject *>(this);
        if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2))
            return static_cast<IViewObject2 *>(this);
        if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistPropertyBag))
            return static_cast<IPersistPropertyBag *>(this);
        if (IsEqualIID(iid, IID_IPersistStreamInit)) return static_cast<IPersistStreamInit *>(this);
        if (IsEqualIID(iid, IID_IQuickActivate)) return static_cast<IQuickActivate *>(this);
        return nullptr;
    }

    ServerControlSite &Site() { return site_; }

    // The core's container notifications.
    virtual void InitProperties() = 0;
    virtual void ReadProperties(runtime::PropertyBag &bag) = 0;
    virtual void WriteProperties(runtime::PropertyBag &bag) = 0;
    virtual void Paint() = 0;
    virtual void Resize(int32_t widthTwips, int32_t heightTwips) = 0;

private:
    DWORD AdviseOn(REFIID events, IUnknown *sink) {
        IConnectionPoint *point = nullptr;
        DWORD cookie = 0;
        if (sink && SUCCEEDED(this->FindConnectionPoint(events, &point))) {
            if (FAILED(point->Advise(sink, &cookie))) cookie = 0;
            point->Release();
        }
        return cookie;
    }

    template <class Step>
    HRESULT Persisting(Step &&step) {
        if (!this->OnOwnerThread()) return RPC_E_WRONG_THREAD;
        step();
        site_.SetDirty(false);
        return S_OK;
    }
    template <class Step>
    HRESULT Saving(BOOL clearDirty, Step &&step) {
        if (!this->OnOwnerThread()) return RPC_E_WRONG_THREAD;
        try {
            step();
        } catch (...) {
            return STG_E_CANTSAVE;
        }
        if (clearDirty) site_.SetDirty(false);
        return S_OK;
    }

    void PaintInto(HDC dc, POINT origin) {
        site_.BeginDrawing(dc, origin);
        Paint();
        site_.EndDrawing();
    }

    IOleInPlaceSite *InPlaceSite() {
        IOleInPlaceSite *inPlace = nullptr;
        if (site_.ClientSite())
            site_.ClientSite()->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void **>(&inPlace));
        return inPlace;
    }

    // In-place activation: a child window of the container's, where the
    // control paints its image.
    HRESULT ActivateInPlace(HWND parent, LPCRECT position) {
        if (window_) return S_OK;
        IOleInPlaceSite *inPlace = InPlaceSite();
        if (inPlace == nullptr) return E_NOINTERFACE;
        HRESULT status = inPlace->CanInPlaceActivate();
        if (status == S_OK) {
            inPlace->OnInPlaceActivate();
            HWND siteWindow = nullptr;
            inPlace->GetWindow(&siteWindow);
            RECT where = position ? *position : RECT{0, 0, 32, 32};
            window_ = CreateControlWindow(parent ? parent : siteWindow, where, &paint_);
            status = window_ ? S_OK : E_FAIL;
        } else {
            status = E_FAIL;
        }
        inPlace->Release();
        return status;
    }

    const CLSID classId_;
    ServerControlSite site_;
    std::function<void(HDC)> paint_;
    HWND window_ = nullptr;
    IOleAdviseHolder *adviseHolder_ = nullptr;
    IAdviseSink *viewSink_ = nullptr;
    DWORD viewAspects_ = 0, viewFlags_ = 0;
};

}  // namespace corvane::automation
