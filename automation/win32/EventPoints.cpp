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
    IDispatch *dispatch = nullptr;
    if (FAILED(sink->QueryInterface(events_, reinterpret_cast<void **>(&dispatch))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&dispatch))))
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.emplace_back(*cookie, dispatch);
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
    for (auto at = sinks_.begin(); at != sinks_.end(); ++at) {
        if (at->first != cookie) continue;
        IDispatch *sink = at->second;
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
    std::vector<IDispatch *> called;
    for (auto &[cookie, sink] : sinks_) {
        sink->AddRef();
        called.push_back(sink);
    }
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    for (IDispatch *sink : called) {
        sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
        sink->Release();
    }
}

EventPoints::EventPoints(IConnectionPointContainer &owner, std::initializer_list<const IID *> events) {
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
    for (auto &point : points_) point->Fire(event);
}

}  // namespace corvane::automation
