#include "automation/win32/ComSupport.h"

#include <oleauto.h>

#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace corvane::automation {

namespace {

HMODULE serverModule = nullptr;
std::atomic<long> serverReferences{0};

constexpr int32_t kOutOfMemory = 7;
constexpr int32_t kTypeMismatch = 13;

}  // namespace

void SetServerModule(HMODULE module) { serverModule = module; }
HMODULE ServerModule() { return serverModule; }

std::wstring ServerPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(serverModule, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

void AddServerReference() { ++serverReferences; }
void ReleaseServerReference() { --serverReferences; }
bool ServerInUse() { return serverReferences.load() != 0; }

ITypeLib *ServerTypeLibrary() {
    static std::once_flag once;
    static ITypeLib *library = nullptr;
    std::call_once(once, [] {
        if (FAILED(LoadTypeLibEx(ServerPath().c_str(), REGKIND_NONE, &library))) library = nullptr;
    });
    return library;
}

ITypeInfo *ServerTypeInfo(REFGUID guid) {
    static std::mutex mutex;
    static std::vector<std::pair<GUID, ITypeInfo *>> cache;
    std::lock_guard lock(mutex);
    for (auto &[known, info] : cache)
        if (IsEqualGUID(known, guid)) return info;
    ITypeLib *library = ServerTypeLibrary();
    ITypeInfo *info = nullptr;
    if (library == nullptr || FAILED(library->GetTypeInfoOfGuid(guid, &info))) return nullptr;
    cache.emplace_back(guid, info);
    return info;
}

ITypeInfo *ServerVtableTypeInfo(REFIID iid) {
    static std::mutex mutex;
    static std::vector<std::pair<GUID, ITypeInfo *>> cache;
    ITypeInfo *dispatch = ServerTypeInfo(iid);
    std::lock_guard lock(mutex);
    for (auto &[known, info] : cache)
        if (IsEqualGUID(known, iid)) return info;
    HREFTYPE reference = 0;
    ITypeInfo *vtable = nullptr;
    if (dispatch == nullptr || FAILED(dispatch->GetRefTypeOfImplType(-1, &reference)) ||
        FAILED(dispatch->GetRefTypeInfo(reference, &vtable)))
        return nullptr;
    cache.emplace_back(iid, vtable);
    return vtable;
}

GUID LibraryTypeId(const wchar_t *name) {
    ITypeLib *library = ServerTypeLibrary();
    ITypeInfo *info = nullptr;
    MEMBERID member = 0;
    USHORT found = 1;
    std::wstring wanted(name);
    GUID id = GUID_NULL;
    if (library == nullptr || FAILED(library->FindName(wanted.data(), 0, &info, &member, &found)) || found == 0)
        return id;
    TYPEATTR *attributes = nullptr;
    if (SUCCEEDED(info->GetTypeAttr(&attributes))) {
        id = attributes->guid;
        info->ReleaseTypeAttr(attributes);
    }
    info->Release();
    return id;
}

Text FromBstr(BSTR text) {
    if (text == nullptr) return {};
    return Text(reinterpret_cast<const char16_t *>(text), SysStringLen(text));
}

BSTR ToBstr(const Text &text) {
    BSTR result = SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text.data()), static_cast<UINT>(text.size()));
    if (result == nullptr) runtime::Raise(kOutOfMemory, u"Out of memory");
    return result;
}

VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

runtime::Variant FromVariant(const VARIANT &value) {
    const VARIANT *plain = &value;
    while (V_VT(plain) == (VT_BYREF | VT_VARIANT)) plain = V_VARIANTREF(plain);
    VARIANT copy;
    VariantInit(&copy);
    if (FAILED(VariantCopyInd(&copy, const_cast<VARIANT *>(plain)))) runtime::Raise(kTypeMismatch, u"Type mismatch");
    struct Clear {
        VARIANT *v;
        ~Clear() { VariantClear(v); }
    } clear{&copy};
    switch (V_VT(&copy)) {
    case VT_EMPTY: return {};
    case VT_ERROR: return runtime::Variant::Missing();
    case VT_BOOL: return runtime::Variant(V_BOOL(&copy) != VARIANT_FALSE);
    case VT_I2: return runtime::Variant(static_cast<int16_t>(V_I2(&copy)));
    case VT_I4: return runtime::Variant(static_cast<int32_t>(V_I4(&copy)));
    case VT_R4: return runtime::Variant(V_R4(&copy));
    case VT_R8: return runtime::Variant(V_R8(&copy));
    case VT_BSTR: return runtime::Variant(FromBstr(V_BSTR(&copy)));
    default: break;
    }
    const VARTYPE numeric = (V_VT(&copy) == VT_DISPATCH || V_VT(&copy) == VT_UNKNOWN || V_VT(&copy) == VT_NULL)
                                ? VT_BSTR : VT_R8;
    if (FAILED(VariantChangeType(&copy, &copy, 0, numeric))) runtime::Raise(kTypeMismatch, u"Type mismatch");
    return numeric == VT_BSTR ? runtime::Variant(FromBstr(V_BSTR(&copy))) : runtime::Variant(V_R8(&copy));
}

void ToVariant(const runtime::Variant &value, VARIANT *out) {
    VariantInit(out);
    switch (value.Type()) {
    case runtime::VariantType::Empty: break;
    case runtime::VariantType::Missing:
        V_VT(out) = VT_ERROR;
        V_ERROR(out) = DISP_E_PARAMNOTFOUND;
        break;
    case runtime::VariantType::Boolean:
        V_VT(out) = VT_BOOL;
        V_BOOL(out) = ToVariantBool(value.ToBoolean());
        break;
    case runtime::VariantType::Integer:
        V_VT(out) = VT_I2;
        V_I2(out) = value.ToInteger();
        break;
    case runtime::VariantType::Long:
        V_VT(out) = VT_I4;
        V_I4(out) = value.ToLong();
        break;
    case runtime::VariantType::Single:
        V_VT(out) = VT_R4;
        V_R4(out) = value.ToSingle();
        break;
    case runtime::VariantType::Double:
        V_VT(out) = VT_R8;
        V_R8(out) = value.ToDouble();
        break;
    case runtime::VariantType::String:
        V_BSTR(out) = ToBstr(value.ToText());
        V_VT(out) = VT_BSTR;
        break;
    case runtime::VariantType::Object: runtime::Raise(kTypeMismatch, u"Type mismatch");
    }
}

void ReplaceVariant(VARIANT *target, const runtime::Variant &value) {
    while (V_VT(target) == (VT_BYREF | VT_VARIANT)) target = V_VARIANTREF(target);
    VARIANT fresh;
    ToVariant(value, &fresh);
    VariantClear(target);
    *target = fresh;
}

HRESULT ReportError(const runtime::AutomationError &error, const wchar_t *fallbackSource, REFIID iid) {
    ICreateErrorInfo *create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        const Text source = error.Source().empty() ? Text(reinterpret_cast<const char16_t *>(fallbackSource))
                                                   : error.Source();
        create->SetGUID(iid);
        create->SetSource(const_cast<LPOLESTR>(reinterpret_cast<const wchar_t *>(source.c_str())));
        create->SetDescription(const_cast<LPOLESTR>(reinterpret_cast<const wchar_t *>(error.Description().c_str())));
        IErrorInfo *info = nullptr;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void **>(&info)))) {
            SetErrorInfo(0, info);
            info->Release();
        }
        create->Release();
    }
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<uint16_t>(error.Number()));
}

}  // namespace corvane::automation
