// A C++ client of the in-process server, for what scripts cannot do:
//   server_client events FILE          connects two sinks to a player's events,
//                                      plays FILE and counts the events
//   server_client protocol OCX FILE    entry points, unloading, identities,
//                                      connection points, threads, bad calls
//   server_client typelib OCX          prints the type library as read back
// Each check that fails prints FAIL; the exit status is the number of failures.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdio>
#include <string>
#include <thread>

#include "CorvaneMP3TypeLibrary.h"

namespace {

int failures = 0;
void Check(bool ok, const char *what) {
    if (!ok) ++failures, std::printf("FAIL: %s\n", what);
}

// Counts the events it receives, by dispatch identifier.
class Sink final : public IDispatch {
public:
    int finished = 0, updates = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        *out = (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, DIID___CVMP3Player))
                   ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *,
                                     UINT *) override {
        (id == 1 ? finished : updates) += 1;
        return S_OK;
    }
};

void PumpFor(DWORD milliseconds, const Sink &until) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds && until.finished == 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
}

template <class Interface>
Interface *Query(IUnknown *object, REFIID iid) {
    void *out = nullptr;
    return SUCCEEDED(object->QueryInterface(iid, &out)) ? static_cast<Interface *>(out) : nullptr;
}

// Whether the object answers `iid` with the very interface pointer `object`.
bool AnswersWithItself(IUnknown *object, REFIID iid) {
    IUnknown *answer = Query<IUnknown>(object, iid);
    if (answer) answer->Release();
    return answer == object;
}

DWORD Connect(IUnknown *object, REFIID events, IUnknown *sink) {
    DWORD cookie = 0;
    auto *container = Query<IConnectionPointContainer>(object, IID_IConnectionPointContainer);
    IConnectionPoint *point = nullptr;
    if (container && SUCCEEDED(container->FindConnectionPoint(events, &point))) {
        if (FAILED(point->Advise(sink, &cookie))) cookie = 0;
        point->Release();
    }
    if (container) container->Release();
    return cookie;
}

int Events(const wchar_t *file) {
    _CVMP3Player *player = nullptr;
    Check(SUCCEEDED(CoCreateInstance(CLSID_CVMP3Player, nullptr, CLSCTX_INPROC_SERVER, IID__CVMP3Player,
                                     reinterpret_cast<void **>(&player))), "the player is created by class");
    if (!player) return failures;
    auto *classInfo = Query<IProvideClassInfo2>(player, IID_IProvideClassInfo2);
    GUID events = GUID_NULL;
    Check(classInfo && SUCCEEDED(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events)) &&
              IsEqualIID(events, DIID___CVMP3Player), "the class names its event interface");
    if (classInfo) classInfo->Release();
    Sink first, second;
    Check(Connect(player, DIID___CVMP3Player, &first) != 0 && Connect(player, DIID___CVMP3Player, &second) != 0,
          "two sinks connect");
    BSTR name = SysAllocString(file);
    short interval = 10;
    player->put_Filename(name);
    player->put_ChangeInterval(&interval);
    Check(SUCCEEDED(player->PlayStart()), "the fixture starts");
    PumpFor(60000, first);
    PumpFor(500, Sink{});  // anything late would show now
    std::printf("events: finished %d/%d, updates %d/%d\n", first.finished, second.finished, first.updates,
                second.updates);
    Check(first.finished == 1 && second.finished == 1, "FinishedPlaying reaches every sink exactly once");
    Check(first.updates >= 3 && second.updates == first.updates, "VisualizationUpdate reaches every sink, often");
    SysFreeString(name);
    player->Release();
    return failures;
}

using CanUnload = HRESULT(WINAPI *)();
using GetClassObject = HRESULT(WINAPI *)(REFCLSID, REFIID, void **);

GUID TypeIdNamed(ITypeLib *library, const wchar_t *name) {
    ITypeInfo *info = nullptr;
    MEMBERID member = 0;
    USHORT found = 1;
    std::wstring wanted(name);
    GUID id = GUID_NULL;
    if (FAILED(library->FindName(wanted.data(), 0, &info, &member, &found)) || found == 0) return id;
    TYPEATTR *attributes = nullptr;
    info->GetTypeAttr(&attributes);
    id = attributes->guid;
    info->ReleaseTypeAttr(attributes);
    info->Release();
    return id;
}

int Protocol(const wchar_t *ocx, const wchar_t *file) {
    HMODULE server = LoadLibraryW(ocx);
    auto canUnload = reinterpret_cast<CanUnload>(GetProcAddress(server, "DllCanUnloadNow"));
    auto getClass = reinterpret_cast<GetClassObject>(GetProcAddress(server, "DllGetClassObject"));
    if (!canUnload || !getClass) return Check(false, "the entry points are exported"), failures;
    const struct {
        const wchar_t *name;
        LONG width, height;
    } bitmaps[] = {{L"MP3_CONTROL", 32, 32}, {L"PLAYLIST_CONTROL", 32, 32}, {MAKEINTRESOURCEW(30000), 16, 15},
                   {MAKEINTRESOURCEW(30001), 16, 15}};
    for (const auto &expected : bitmaps) {
        auto *image = static_cast<HBITMAP>(LoadImageW(server, expected.name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        BITMAP shape{};
        Check(image && GetObjectW(image, sizeof shape, &shape) && shape.bmWidth == expected.width &&
                  shape.bmHeight == expected.height && shape.bmBitsPixel == 4,
              "the server carries its 16-colour bitmaps at their sizes");
        if (image) DeleteObject(image);
    }
    IClassFactory *factory = nullptr;
    Check(getClass(CLSID_Equalizer, IID_IClassFactory, reinterpret_cast<void **>(&factory)) ==
              CLASS_E_CLASSNOTAVAILABLE, "no class factory for a class clients cannot create");
    Check(canUnload() == S_OK, "an idle server may unload");
    getClass(CLSID_CVMP3PlayList, IID_IClassFactory, reinterpret_cast<void **>(&factory));
    factory->LockServer(TRUE);
    Check(canUnload() == S_FALSE, "a locked server stays");
    factory->LockServer(FALSE);
    _CVMP3PlayList *list = nullptr;
    factory->CreateInstance(nullptr, IID__CVMP3PlayList, reinterpret_cast<void **>(&list));
    Check(list && canUnload() == S_FALSE, "a live object keeps the server");

    ITypeLib *library = nullptr;
    LoadTypeLibEx(ocx, REGKIND_NONE, &library);
    Check(AnswersWithItself(list, TypeIdNamed(library, L"CVMP3PlayList___v0")),
          "the play list answers its earlier identifier with the same interface");
    Sink silent;
    Check(Connect(list, DIID___CVMP3PlayList_v0, &silent) != 0 && Connect(list, DIID___CVMP3PlayList, &silent) != 0,
          "the play list's events connect under both identifiers");
    auto *errors = Query<ISupportErrorInfo>(list, IID_ISupportErrorInfo);
    Check(errors && errors->InterfaceSupportsErrorInfo(IID__CVMP3PlayList) == S_OK, "rich errors are announced");

    BSTR name = SysAllocString(file);
    VARIANT_BOOL added = VARIANT_FALSE;
    list->AddEntry(&name, nullptr, nullptr, nullptr, &added);
    VARIANT index;
    V_VT(&index) = VT_I4, V_I4(&index) = 1;
    _PlayListEntry *entry = nullptr;
    list->get_PlayListEntries(&index, &entry);
    Check(added && entry && AnswersWithItself(entry, TypeIdNamed(library, L"PlayListEntry___v0")),
          "an entry answers its earlier identifier with the same interface");

    // Calls through IDispatch with wrong arguments get the standard answers.
    DISPID count = 0;
    LPOLESTR countName = const_cast<LPOLESTR>(L"Count");
    list->GetIDsOfNames(IID_NULL, &countName, 1, 0, &count);
    VARIANT result, extra;
    VariantInit(&result);
    V_VT(&extra) = VT_I4, V_I4(&extra) = 3;
    DISPPARAMS oneTooMany{&extra, nullptr, 1, 0};
    Check(list->Invoke(count, IID_NULL, 0, DISPATCH_PROPERTYGET, &oneTooMany, &result, nullptr, nullptr) ==
              DISP_E_BADPARAMCOUNT, "an extra argument is refused");
    V_VT(&extra) = VT_BSTR, V_BSTR(&extra) = SysAllocString(L"seven");
    DISPID removeEntry = 0;
    LPOLESTR removeName = const_cast<LPOLESTR>(L"MovePlayListEntry");
    list->GetIDsOfNames(IID_NULL, &removeName, 1, 0, &removeEntry);
    VARIANT moves[2];
    moves[0] = extra, moves[1] = extra;
    DISPPARAMS wrongType{moves, nullptr, 2, 0};
    UINT wrong = 99;
    Check(list->Invoke(removeEntry, IID_NULL, 0, DISPATCH_METHOD, &wrongType, &result, nullptr, &wrong) ==
              DISP_E_TYPEMISMATCH && wrong == 1, "a text where a number belongs is a type mismatch");
    VariantClear(&extra);

    LONG fromOtherThread = 0;
    std::thread([&] { fromOtherThread = list->get_Count(&count); }).join();
    Check(fromOtherThread == RPC_E_WRONG_THREAD, "a call from another thread is refused");

    _CVMP3Player *player = nullptr;
    getClass(CLSID_CVMP3Player, IID_IClassFactory, reinterpret_cast<void **>(&factory));
    factory->CreateInstance(nullptr, IID__CVMP3Player, reinterpret_cast<void **>(&player));
    _Equalizer *equalizer = nullptr;
    player->get_Equalizer(&equalizer);
    Check(Connect(equalizer, DIID___Equalizer, &silent) != 0, "the equalizer's event interface connects");
    player->Release();
    short bands = -1;
    Check(SUCCEEDED(equalizer->get_BandCount(&bands)) && bands == 0, "the equalizer outlives its player");

    SysFreeString(name);
    equalizer->Release();
    entry->Release();
    errors->Release();
    list->Release();
    library->Release();
    Check(canUnload() == S_OK, "with every object released the server may unload");
    return failures;
}

const char *KindName(TYPEKIND kind) {
    static const char *names[] = {"enum", "record", "module", "interface", "dispinterface", "coclass", "alias", "union"};
    return kind < TKIND_MAX ? names[kind] : "?";
}

std::string Narrow(BSTR text) {
    std::string out;
    for (UINT i = 0; text && i < SysStringLen(text); ++i) out += static_cast<char>(text[i]);
    return out;
}

std::string TypeText(ITypeInfo *info, const TYPEDESC &type) {
    if (type.vt == VT_PTR) return TypeText(info, *type.lptdesc) + "*";
    if (type.vt != VT_USERDEFINED) return "vt" + std::to_string(type.vt);
    ITypeInfo *referenced = nullptr;
    BSTR name = nullptr;
    if (SUCCEEDED(info->GetRefTypeInfo(type.hreftype, &referenced))) {
        referenced->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
        referenced->Release();
    }
    std::string text = Narrow(name);
    SysFreeString(name);
    return text;
}

// One line per type and per member: kind, name, identifier, flags, help
// context and help string, and each parameter's name, type and flags.
int TypeLibrary(const wchar_t *ocx) {
    ITypeLib *library = nullptr;
    if (FAILED(LoadTypeLibEx(ocx, REGKIND_NONE, &library))) return Check(false, "the type library loads"), failures;
    TLIBATTR *libraryAttributes = nullptr;
    library->GetLibAttr(&libraryAttributes);
    BSTR name, help, file;
    library->GetDocumentation(-1, &name, &help, nullptr, &file);
    std::printf("library %s %d.%d lcid %#lx syskind %d flags %#x help \"%s\" file \"%s\"\n", Narrow(name).c_str(),
                libraryAttributes->wMajorVerNum, libraryAttributes->wMinorVerNum, libraryAttributes->lcid,
                libraryAttributes->syskind, libraryAttributes->wLibFlags, Narrow(help).c_str(), Narrow(file).c_str());
    for (UINT t = 0; t < library->GetTypeInfoCount(); ++t) {
        ITypeInfo *info = nullptr;
        library->GetTypeInfo(t, &info);
        TYPEATTR *attributes = nullptr;
        info->GetTypeAttr(&attributes);
        HREFTYPE vtableSide = 0;
        ITypeInfo *dual = nullptr;  // a dual interface is listed by its vtable side
        if ((attributes->wTypeFlags & TYPEFLAG_FDUAL) && SUCCEEDED(info->GetRefTypeOfImplType(-1, &vtableSide)) &&
            SUCCEEDED(info->GetRefTypeInfo(vtableSide, &dual))) {
            info->ReleaseTypeAttr(attributes);
            info->Release();
            info = dual;
            info->GetTypeAttr(&attributes);
        }
        DWORD context = 0;
        info->GetDocumentation(MEMBERID_NIL, &name, &help, &context, nullptr);
        std::printf("%s %s %d.%d flags %#x context %lu \"%s\"", KindName(attributes->typekind), Narrow(name).c_str(),
                    attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->wTypeFlags, context,
                    Narrow(help).c_str());
        if (attributes->typekind == TKIND_ALIAS) std::printf(" of %s", TypeText(info, attributes->tdescAlias).c_str());
        std::printf("\n");
        for (UINT i = 0; i < attributes->cImplTypes; ++i) {
            HREFTYPE reference = 0;
            INT flags = 0;
            ITypeInfo *implemented = nullptr;
            info->GetRefTypeOfImplType(i, &reference);
            info->GetImplTypeFlags(i, &flags);
            info->GetRefTypeInfo(reference, &implemented);
            implemented->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
            std::printf("  implements %s flags %#x\n", Narrow(name).c_str(), flags);
            implemented->Release();
        }
        for (UINT v = 0; v < attributes->cVars; ++v) {
            VARDESC *var = nullptr;
            info->GetVarDesc(v, &var);
            info->GetDocumentation(var->memid, &name, nullptr, nullptr, nullptr);
            std::printf("  const %s = %ld\n", Narrow(name).c_str(), V_I4(var->lpvarValue));
            info->ReleaseVarDesc(var);
        }
        for (UINT f = 0; f < attributes->cFuncs; ++f) {
            FUNCDESC *function = nullptr;
            info->GetFuncDesc(f, &function);
            if (function->wFuncFlags & FUNCFLAG_FRESTRICTED) {  // IUnknown's and IDispatch's own
                info->ReleaseFuncDesc(function);
                continue;
            }
            BSTR names[16];
            UINT named = 0;
            info->GetNames(function->memid, names, 16, &named);
            info->GetDocumentation(function->memid, nullptr, &help, &context, nullptr);
            std::printf("  %#lx kind %d %s flags %#x context %lu \"%s\" (", static_cast<unsigned long>(function->memid),
                        function->invkind, Narrow(names[0]).c_str(), function->wFuncFlags, context,
                        Narrow(help).c_str());
            for (SHORT p = 0; p < function->cParams; ++p) {
                const ELEMDESC &param = function->lprgelemdescParam[p];
                // A put shares its identifier with the get, whose names GetNames gives.
                const bool known = function->invkind != INVOKE_PROPERTYPUT && p + 1 < static_cast<SHORT>(named);
                std::printf("%s%s %s %#x", p ? ", " : "", known ? Narrow(names[p + 1]).c_str() : "-",
                            TypeText(info, param.tdesc).c_str(), param.paramdesc.wParamFlags);
            }
            std::printf(")\n");
            for (UINT n = 0; n < named; ++n) SysFreeString(names[n]);
            info->ReleaseFuncDesc(function);
        }
        info->ReleaseTypeAttr(attributes);
        info->Release();
    }
    return failures;
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
    CoInitialize(nullptr);
    const std::wstring command = argc > 1 ? argv[1] : L"";
    int result = 1;
    if (command == L"events" && argc > 2) result = Events(argv[2]);
    else if (command == L"protocol" && argc > 3) result = Protocol(argv[2], argv[3]);
    else if (command == L"typelib" && argc > 2) result = TypeLibrary(argv[2]);
    else std::printf("usage: server_client events FILE | protocol OCX FILE | typelib OCX\n");
    CoUninitialize();
    return result;
}
