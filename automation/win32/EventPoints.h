#pragma once
// The connection points of an object's event interface: a client connects a
// sink (any IDispatch) with Advise and leaves with Unadvise; Fire calls
// every connected sink. A control also has one for IPropertyNotifySink, through
// which its container learns that a saved property changed. A connection
// point is part of its object: its references are the object's.
#include <windows.h>
#include <ocidl.h>

#include <memory>
#include <utility>
#include <vector>

namespace corvane::automation {

class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer &owner, REFIID events) : owner_(owner), events_(events) {}
    ~ConnectionPoint();
    ConnectionPoint(const ConnectionPoint &) = delete;
    ConnectionPoint &operator=(const ConnectionPoint &) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID *iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer **out) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown *sink, DWORD *cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections **out) override;

    // Calls the event with this dispatch identifier on every sink, in the
    // order they connected (for IPropertyNotifySink: OnChanged). A sink that
    // disconnects meanwhile is still called this once; one that fails does
    // not stop the others.
    void Fire(DISPID event);
    REFIID Events() const { return events_; }

private:
    IConnectionPointContainer &owner_;
    const IID events_;
    std::vector<std::pair<DWORD, IUnknown *>> sinks_;  // each as the interface it was asked for
    DWORD nextCookie_ = 1;
};

// The connection points of one object, one per event-interface identifier
// it accepts (the first is the current one), and for a control the one for
// property-change notifications.
class EventPoints {
public:
    EventPoints(IConnectionPointContainer &owner, std::initializer_list<const IID *> events);

    HRESULT Find(REFIID events, IConnectionPoint **out);
    HRESULT Enumerate(IEnumConnectionPoints **out);
    void Fire(DISPID event);
    void AddPropertyNotifications();
    void PropertyChanged();

private:
    IConnectionPointContainer &owner_;
    std::vector<std::unique_ptr<ConnectionPoint>> points_;
    ConnectionPoint *propertyNotify_ = nullptr;
};

}  // namespace corvane::automation
