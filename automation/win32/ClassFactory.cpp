#include "automation/win32/ClassFactory.h"

#include <new>

#include "automation/win32/ComSupport.h"
#include "automation/win32/PublishedObjects.h"

namespace corvane::automation {

namespace {

using Maker = HRESULT (*)(REFIID, void **);

constexpr int32_t kCannotCreate = 429;

// Static objects: their references do not keep the server, their locks do.
class Factory final : public IClassFactory {
public:
    Factory(const wchar_t *source, Maker make) : source_(source), make_(make) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
        *out = static_cast<IClassFactory *>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        try {
            return make_(iid, out);
        } catch (const runtime::AutomationError &error) {
            ReportError(error, source_, iid);
            return E_FAIL;
        } catch (const std::bad_alloc &) {
            return E_OUTOFMEMORY;
        } catch (const std::exception &error) {
            ReportError(runtime::AutomationError(kCannotCreate, runtime::FromUtf8(error.what())), source_, iid);
            return E_FAIL;
        } catch (...) {
            return E_UNEXPECTED;
        }
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? AddServerReference() : ReleaseServerReference();
        return S_OK;
    }

private:
    const wchar_t *source_;
    Maker make_;
};

Factory playerFactory(L"CorvaneMP3.CVMP3Player", &CreatePlayerObject);
Factory playListFactory(L"CorvaneMP3.CVMP3PlayList", &CreatePlayListObject);

}  // namespace

IClassFactory *ClassFactoryFor(REFCLSID classId) {
    if (IsEqualCLSID(classId, CLSID_CVMP3Player)) return &playerFactory;
    if (IsEqualCLSID(classId, CLSID_CVMP3PlayList)) return &playListFactory;
    return nullptr;
}

}  // namespace corvane::automation
