#pragma once
// An automation object with events: its class names an event interface as
// its default source, so it is a connection-point container and tells a
// client its class and that interface (IProvideClassInfo2).
#include <ocidl.h>

#include <initializer_list>

#include "automation/win32/DispatchObject.h"
#include "automation/win32/EventPoints.h"

namespace corvane::automation {

template <class Interface, class... Extra>
class EventSourceObject : public DispatchObject<Interface, IConnectionPointContainer, IProvideClassInfo2, Extra...> {
    using Base = DispatchObject<Interface, IConnectionPointContainer, IProvideClassInfo2, Extra...>;

public:
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints **out) override {
        return events_.Enumerate(out);
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID events, IConnectionPoint **out) override {
        return events_.Find(events, out);
    }

    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo **out) override {
        if (out == nullptr) return E_POINTER;
        *out = ServerTypeInfo(classId_);
        if (*out == nullptr) return TYPE_E_ELEMENTNOTFOUND;
        (*out)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID *out) override {
        if (out == nullptr) return E_POINTER;
        if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
        *out = eventsIid_;
        return S_OK;
    }

protected:
    // The first event identifier is the current one; any further ones are
    // earlier identifiers under which a client may still connect.
    EventSourceObject(REFCLSID classId, REFIID iid, const wchar_t *source, std::initializer_list<const IID *> events,
                      const IID *earlierIid = nullptr)
        : Base(iid, source, earlierIid), classId_(classId), eventsIid_(**events.begin()),
          events_(*this, events) {}

    void *OtherInterface(REFIID iid) override {
        if (IsEqualIID(iid, IID_IConnectionPointContainer)) return static_cast<IConnectionPointContainer *>(this);
        if (IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_IProvideClassInfo2))
            return static_cast<IProvideClassInfo2 *>(this);
        return nullptr;
    }

    void Fire(DISPID event) { events_.Fire(event); }
    REFIID DefaultEvents() const { return eventsIid_; }
    EventPoints &Events() { return events_; }

private:
    const CLSID classId_;
    const IID eventsIid_;
    EventPoints events_;
};

}  // namespace corvane::automation
