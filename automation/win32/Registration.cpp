#include "automation/win32/Registration.h"

#include <oleauto.h>

#include <string>

#include "automation/win32/ComSupport.h"
#include "automation/win32/PublishedObjects.h"

namespace corvane::automation {

namespace {

struct ControlFacts {
    const CLSID *classId;
    const wchar_t *progId;
    const wchar_t *title;
    int toolboxBitmap;
    const wchar_t *version;
};

const ControlFacts kControls[] = {
    {&CLSID_CVMP3Player, L"CorvaneMP3.CVMP3Player", L"CVMP3Player", 30001, L"1.0"},
    {&CLSID_CVMP3PlayList, L"CorvaneMP3.CVMP3PlayList", L"CVMP3PlayList", 30000, L"1.1"},
};

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

// Writes a value (REG_SZ) under HKEY_CLASSES_ROOT\key, making the key.
HRESULT WriteKey(const std::wstring &key, const wchar_t *name, const std::wstring &value) {
    HKEY handle = nullptr;
    LONG status = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    status = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return HRESULT_FROM_WIN32(status);
}

HRESULT DeleteTree(const std::wstring &key) {
    const LONG status = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
        RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
        return S_OK;
    }
    return HRESULT_FROM_WIN32(status);
}

HRESULT RegisterControl(const ControlFacts &control, const std::wstring &server) {
    const std::wstring classKey = L"CLSID\\" + GuidText(*control.classId);
    const std::wstring library = GuidText(LIBID_CorvaneMP3);
    const struct {
        std::wstring key;
        const wchar_t *name;
        std::wstring value;
    } values[] = {
        {control.progId, nullptr, control.title},
        {std::wstring(control.progId) + L"\\CLSID", nullptr, GuidText(*control.classId)},
        {classKey, nullptr, control.title},
        {classKey + L"\\InprocServer32", nullptr, server},
        {classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {classKey + L"\\ProgID", nullptr, control.progId},
        {classKey + L"\\Control", nullptr, L""},
        {classKey + L"\\ToolboxBitmap32", nullptr, server + L", " + std::to_wstring(control.toolboxBitmap)},
        {classKey + L"\\MiscStatus", nullptr, L"0"},
        {classKey + L"\\MiscStatus\\1", nullptr, std::to_wstring(kControlMiscStatus)},
        {classKey + L"\\TypeLib", nullptr, library},
        {classKey + L"\\Version", nullptr, control.version},
    };
    for (const auto &value : values)
        if (HRESULT status = WriteKey(value.key, value.name, value.value); FAILED(status)) return status;
    return S_OK;
}

std::wstring FolderOf(const std::wstring &path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace

HRESULT RegisterServer() {
    ITypeLib *library = ServerTypeLibrary();
    if (library == nullptr) return TYPE_E_CANTLOADLIBRARY;
    std::wstring server = ServerPath();
    std::wstring folder = FolderOf(server);
    if (HRESULT status = RegisterTypeLib(library, server.data(), folder.data()); FAILED(status)) return status;
    for (const auto &control : kControls)
        if (HRESULT status = RegisterControl(control, server); FAILED(status)) return status;
    return S_OK;
}

HRESULT UnregisterServer() {
    HRESULT result = S_OK;
    for (const auto &control : kControls) {
        for (const std::wstring &key : {std::wstring(L"CLSID\\") + GuidText(*control.classId),
                                        std::wstring(control.progId)})
            if (HRESULT status = DeleteTree(key); FAILED(status)) result = status;
    }
    ITypeLib *library = ServerTypeLibrary();
    TLIBATTR *attributes = nullptr;
    if (library != nullptr && SUCCEEDED(library->GetLibAttr(&attributes))) {
        const HRESULT status = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum,
                                                 attributes->wMinorVerNum, attributes->lcid, attributes->syskind);
        if (FAILED(status) && status != TYPE_E_REGISTRYACCESS) result = status;
        library->ReleaseTLibAttr(attributes);
    }
    return result;
}

}  // namespace corvane::automation
