#pragma once
// The base of every automation object of the server: IUnknown with its
// reference count, IDispatch answered from the type information of the
// object's dual interface, and ISupportErrorInfo. A published class derives
// from DispatchObject<ItsInterface> and only translates its members to the
// core object, each body inside Call so that raised errors become error
// objects. Every object counts towards the server's live objects.
#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <thread>

#include "automation/win32/ComSupport.h"
#include "automation/win32/TypeInfoInvoke.h"

namespace corvane::automation {

template <class Interface, class... Extra>
class DispatchObject : public Interface, public ISupportErrorInfo, public Extra... {
public:
    DispatchObject(const DispatchObject &) = delete;
    DispatchObject &operator=(const DispatchObject &) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || AnswersAs(iid))
            *out = static_cast<Interface *>(this);
        else if (IsEqualIID(iid, IID_ISupportErrorInfo))
            *out = static_cast<ISupportErrorInfo *>(this);
        else
            *out = OtherInterface(iid);
        if (*out == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override {
        if (count == nullptr) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo **out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        ITypeInfo *info = ServerTypeInfo(iid_);
        if (info == nullptr) return TYPE_E_ELEMENTNOTFOUND;
        info->AddRef();
        *out = info;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR *names, UINT count, LCID,
                                            DISPID *ids) override {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        ITypeInfo *info = ServerTypeInfo(iid_);
        return info == nullptr ? TYPE_E_ELEMENTNOTFOUND : info->GetIDsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS *params,
                                     VARIANT *result, EXCEPINFO *exception, UINT *argumentError) override {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (std::this_thread::get_id() != owner_) return RPC_E_WRONG_THREAD;
        return InvokeThroughTypeInfo(ServerVtableTypeInfo(iid_), static_cast<Interface *>(this), member, flags,
                                     params, result, exception, argumentError);
    }

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
        return AnswersAs(iid) ? S_OK : S_FALSE;
    }

protected:
    // `source` names the object in error objects whose error names no source;
    // `earlierIid` is an identifier the interface had in an earlier version.
    DispatchObject(REFIID iid, const wchar_t *source, const IID *earlierIid = nullptr)
        : iid_(iid), earlierIid_(earlierIid), source_(source) {
        AddServerReference();
    }
    virtual ~DispatchObject() { ReleaseServerReference(); }

    // Further interfaces of a derived class.
    virtual void *OtherInterface(REFIID) { return nullptr; }

    template <class Body>
    HRESULT Call(Body &&body) noexcept {
        return Guarded(owner_, source_, iid_, body);
    }
    bool OnOwnerThread() const { return std::this_thread::get_id() == owner_; }

private:
    bool AnswersAs(REFIID iid) const {
        return IsEqualIID(iid, iid_) || (earlierIid_ != nullptr && IsEqualIID(iid, *earlierIid_));
    }

    const IID iid_;
    const IID *earlierIid_;
    const wchar_t *source_;
    const std::thread::id owner_ = std::this_thread::get_id();
    std::atomic<ULONG> references_{1};
};

// A new object of class Object, as the interface `iid` (the caller's
// reference), or the status of the failed request.
template <class Object>
HRESULT NewObjectAs(REFIID iid, void **out) {
    auto *made = new Object();
    const HRESULT status = made->QueryInterface(iid, out);
    made->Release();
    return status;
}

}  // namespace corvane::automation
