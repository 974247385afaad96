#include "automation/win32/EventPoints.h"

#include <olectl.h>

#include "automation/win32/ObjectEnumerator.h"

namespace corvane::automation {

ConnectionPoint::~ConnectionPoint() {
    for (auto &[cookie, sink] : sinks_) sink->Release();
}

HRESULT ConnectionPoint::QueryInterface(REFIID iid, void **out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IConnectionPoint)) return E_NOINTERFACE;
    *out = static_cast<IConnectionPoint *>(this);
    AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID *iid) {
    if (iid == nullptr) return E_POINTER;
    *iid = events_;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer **out) {
    if (out == nullptr) return E_POINTER;
    owner_.AddRef();
    *out = &owner_;
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown *sink, DWORD *cookie) {
    if (sink == nullptr || cookie == nullptr) return E_POINTER;
    *cookie = 0;
    IUnknown *asked = nullptr;
    const bool notifications = IsEqualIID(events_, IID_IPropertyNotifySink);
    if (FAILED(sink->QueryInterface(events_, reinterpret_cast<void **>(&asked))) &&
        (notifications || FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&asked)))))
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.emplace_back(*cookie, asked);
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
    for (auto at = sinks_.begin(); at != sinks_.end(); ++at) {
        if (at->first != cookie) continue;
        IUnknown *sink = at->second;
        sinks_.erase(at);
        sink->Release();
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections **out) {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
}

void ConnectionPoint::Fire(DISPID event) {
    std::vector<IUnknown *> called;
    for (auto &[cookie, sink] : sinks_) {
        sink->AddRef();
        called.push_back(sink);
    }
    const bool notifications = IsEqualIID(events_, IID_IPropertyNotifySink);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    for (IUnknown *sink : called) {
        if (notifications)
            static_cast<IPropertyNotifySink *>(sink)->OnChanged(event);
        else
            static_cast<IDispatch *>(sink)->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                                                   nullptr, nullptr, nullptr);
        sink->Release();
    }
}

EventPoints::EventPoints(IConnectionPointContainer &owner, std::initializer_list<const IID *> events)
    : owner_(owner) {
    for (const IID *iid : events) points_.push_back(std::make_unique<ConnectionPoint>(owner, *iid));
}

HRESULT EventPoints::Find(REFIID events, IConnectionPoint **out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    for (auto &point : points_) {
        if (!IsEqualIID(point->Events(), events)) continue;
        point->AddRef();
        *out = point.get();
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT EventPoints::Enumerate(IEnumConnectionPoints **out) {
    if (out == nullptr) return E_POINTER;
    std::vector<IUnknown *> points;
    for (auto &point : points_) points.push_back(point.get());
    *out = NewConnectionPointEnumerator(points);
    return *out ? S_OK : E_OUTOFMEMORY;
}

void EventPoints::Fire(DISPID event) {
    for (auto &point : points_)
        if (point.get() != propertyNotify_) point->Fire(event);
}

void EventPoints::AddPropertyNotifications() {
    if (propertyNotify_ != nullptr) return;
    points_.push_back(std::make_unique<ConnectionPoint>(owner_, IID_IPropertyNotifySink));
    propertyNotify_ = points_.back().get();
}

// Which property changed is not said: DISPID_UNKNOWN asks the container to
// take every property as possibly changed.
void EventPoints::PropertyChanged() {
    if (propertyNotify_ != nullptr) propertyNotify_->Fire(DISPID_UNKNOWN);
}

}  // namespace corvane::automation
