#include "automation/win32/ObjectEnumerator.h"

#include <oleauto.h>

#include <atomic>
#include <new>

#include "automation/win32/ComSupport.h"

namespace corvane::automation {

namespace {

struct VariantItem {
    using Item = VARIANT;
    static void Copy(const VARIANT &from, VARIANT *to) {
        VariantInit(to);
        VariantCopy(to, const_cast<VARIANT *>(&from));
    }
    static void Clear(VARIANT &item) { VariantClear(&item); }
};

struct PointItem {
    using Item = IConnectionPoint *;
    static void Copy(IConnectionPoint *const &from, IConnectionPoint **to) {
        from->AddRef();
        *to = from;
    }
    static void Clear(IConnectionPoint *&item) { item->Release(); }
};

template <class Enumeration, class Traits>
class Enumerator final : public Enumeration {
public:
    using Item = typename Traits::Item;

    explicit Enumerator(const std::vector<Item> &items, ULONG position = 0) : position_(position) {
        items_.resize(items.size());
        for (size_t i = 0; i < items.size(); ++i) Traits::Copy(items[i], &items_[i]);
        AddServerReference();
    }
    ~Enumerator() {
        for (Item &item : items_) Traits::Clear(item);
        ReleaseServerReference();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, __uuidof(Enumeration))) return E_NOINTERFACE;
        *out = static_cast<Enumeration *>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, Item *out, ULONG *fetched) override {
        if (out == nullptr || (wanted > 1 && fetched == nullptr)) return E_POINTER;
        ULONG given = 0;
        for (; given < wanted && position_ < items_.size(); ++given, ++position_)
            Traits::Copy(items_[position_], &out[given]);
        if (fetched) *fetched = given;
        return given == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const ULONG left = static_cast<ULONG>(items_.size()) - position_;
        position_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Enumeration **out) override {
        if (out == nullptr) return E_POINTER;
        *out = new (std::nothrow) Enumerator(items_, position_);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

private:
    std::vector<Item> items_;
    ULONG position_;
    std::atomic<ULONG> references_{1};
};

}  // namespace

IEnumVARIANT *NewVariantEnumerator(const std::vector<VARIANT> &items) {
    return new (std::nothrow) Enumerator<IEnumVARIANT, VariantItem>(items);
}

IEnumConnectionPoints *NewConnectionPointEnumerator(const std::vector<IUnknown *> &points) {
    std::vector<IConnectionPoint *> typed;
    for (IUnknown *point : points) typed.push_back(static_cast<IConnectionPoint *>(point));
    return new (std::nothrow) Enumerator<IEnumConnectionPoints, PointItem>(typed);
}

}  // namespace corvane::automation
