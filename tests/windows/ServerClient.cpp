// A C++ client of the in-process server, for what scripts cannot do:
//   server_client events FILE          connects two sinks to a player's events,
//                                      plays FILE and counts the events
//   server_client protocol OCX FILE    entry points, unloading, identities,
//                                      connection points, threads, bad calls
//   server_client typelib OCX          prints the type library as read back
//   server_client atlhost FILE         both controls made by ProgID in ATL's
//                                      host window, driven through IDispatch
//   server_client about                opens the About box through the player,
//                                      checks it and closes it
//   server_client container OCX FILE   sites both controls in a container of
//                                      its own: ambients, saving and loading
//                                      through a property bag and a stream,
//                                      sizing, and drawing into memory
// Each check that fails prints FAIL; the exit status is the number of failures.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "CorvaneMP3TypeLibrary.h"
#include "CorvaneVersion.h"

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

// Every member of an object's interface called through IDispatch with
// arguments of every awkward kind, in every count up to one too many: each
// call must come back with a status (success, or an error the automation
// layer or the member reports), never a crash. The About box is left out:
// it waits for a person.
int SweepMembers(IDispatch *object) {
    wchar_t scratch[MAX_PATH];  // where a file named by an odd argument may land
    GetTempPathW(MAX_PATH, scratch);
    SetCurrentDirectoryW(scratch);
    ITypeInfo *info = nullptr;
    TYPEATTR *attributes = nullptr;
    if (FAILED(object->GetTypeInfo(0, 0, &info)) || FAILED(info->GetTypeAttr(&attributes))) return 0;
    int calls = 0;
    for (UINT f = 0; f < attributes->cFuncs; ++f) {
        FUNCDESC *function = nullptr;
        info->GetFuncDesc(f, &function);
        const DISPID member = function->memid;
        const SHORT declared = function->cParams;
        info->ReleaseFuncDesc(function);
        if (member == DISPID_ABOUTBOX || member == DISPID_UNKNOWN) continue;
        for (VARTYPE kind : {VT_EMPTY, VT_NULL, VT_I2, VT_R8, VT_BSTR, VT_BOOL, VT_DISPATCH, VT_ERROR}) {
            for (SHORT count = 0; count <= declared + 1; ++count) {
                std::vector<VARIANT> arguments(static_cast<size_t>(count));
                for (VARIANT &argument : arguments) {
                    VariantInit(&argument);
                    V_VT(&argument) = kind;
                    if (kind == VT_I2) V_I2(&argument) = -32768;
                    if (kind == VT_R8) V_R8(&argument) = 1e300;
                    if (kind == VT_BSTR) V_BSTR(&argument) = SysAllocString(L"\xD800 not a number");
                    if (kind == VT_DISPATCH) V_DISPATCH(&argument) = nullptr;
                    if (kind == VT_ERROR) V_ERROR(&argument) = DISP_E_PARAMNOTFOUND;
                }
                for (WORD flags : {WORD{DISPATCH_METHOD | DISPATCH_PROPERTYGET}, WORD{DISPATCH_PROPERTYPUT}}) {
                    DISPID put = DISPID_PROPERTYPUT;
                    const bool putting = flags == DISPATCH_PROPERTYPUT;
                    if (putting && count == 0) continue;
                    DISPPARAMS params{arguments.data(), putting ? &put : nullptr, static_cast<UINT>(count), putting ? 1u : 0u};
                    VARIANT result;
                    VariantInit(&result);
                    EXCEPINFO exception{};
                    UINT argumentError = 0;
                    object->Invoke(member, IID_NULL, 0, flags, &params, &result, &exception, &argumentError);
                    VariantClear(&result);
                    SysFreeString(exception.bstrSource);
                    SysFreeString(exception.bstrDescription);
                    SysFreeString(exception.bstrHelpFile);
                    ++calls;
                }
                for (VARIANT &argument : arguments) VariantClear(&argument);
            }
        }
    }
    info->ReleaseTypeAttr(attributes);
    info->Release();
    return calls;
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

    // A copy: the sweep below writes whatever it likes into the entry's tag.
    wchar_t copy[MAX_PATH];
    GetTempPathW(MAX_PATH, copy);
    wcscat(copy, L"corvane-protocol.mp3");
    CopyFileW(file, copy, FALSE);
    BSTR name = SysAllocString(copy);
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
    Check(SweepMembers(list) > 500 && SweepMembers(entry) > 500, "every play-list and entry member survives bad arguments");

    _CVMP3Player *player = nullptr;
    getClass(CLSID_CVMP3Player, IID_IClassFactory, reinterpret_cast<void **>(&factory));
    factory->CreateInstance(nullptr, IID__CVMP3Player, reinterpret_cast<void **>(&player));
    _Equalizer *equalizer = nullptr;
    player->get_Equalizer(&equalizer);
    Check(Connect(equalizer, DIID___Equalizer, &silent) != 0, "the equalizer's event interface connects");
    player->Release();
    short bands = -1;
    Check(SUCCEEDED(equalizer->get_BandCount(&bands)) && bands == 0, "the equalizer outlives its player");
    Check(SweepMembers(equalizer) > 200, "every equalizer member survives bad arguments");
    _CVMP3Player *swept = nullptr;
    factory->CreateInstance(nullptr, IID__CVMP3Player, reinterpret_cast<void **>(&swept));
    Check(SweepMembers(swept) > 1000, "every player member survives bad arguments");
    swept->Release();

    SysFreeString(name);
    equalizer->Release();
    entry->Release();
    errors->Release();
    list->Release();
    library->Release();
    Check(canUnload() == S_OK, "with every object released the server may unload");
    return failures;
}

// --- a container of our own --------------------------------------------------

// The client site: it answers the ambient user mode and counts what it is
// asked; property-change notifications are counted too.
class Container final : public IOleClientSite, public IDispatch, public IPropertyNotifySink {
public:
    bool userMode = true;
    int ambientQueries = 0, changes = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) *out = static_cast<IOleClientSite *>(this);
        else if (IsEqualIID(iid, IID_IDispatch)) *out = static_cast<IDispatch *>(this);
        else if (IsEqualIID(iid, IID_IPropertyNotifySink)) *out = static_cast<IPropertyNotifySink *>(this);
        else *out = nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer **out) override { return *out = nullptr, E_NOINTERFACE; }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *result, EXCEPINFO *,
                                     UINT *) override {
        if (id != DISPID_AMBIENT_USERMODE || result == nullptr) return DISP_E_MEMBERNOTFOUND;
        ++ambientQueries;
        V_VT(result) = VT_BOOL, V_BOOL(result) = userMode ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID) override { return ++changes, S_OK; }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
};

// A property bag that keeps what it is given, in order.
class Bag final : public IPropertyBag {
public:
    std::vector<std::pair<std::wstring, VARIANT>> values;
    ~Bag() { for (auto &value : values) VariantClear(&value.second); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        *out = (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag)) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT *value, IErrorLog *) override {
        for (auto &[key, stored] : values)
            if (key == name) return VariantCopy(value, &stored);
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT *value) override {
        values.emplace_back(name, VARIANT{});
        VariantInit(&values.back().second);
        return VariantCopy(&values.back().second, value);
    }
    std::wstring Keys() const {
        std::wstring keys;
        for (auto &[key, value] : values) keys += key + L" ";
        return keys;
    }
};

VARIANT Property(IUnknown *control, const wchar_t *name) {
    auto *dispatch = Query<IDispatch>(control, IID_IDispatch);
    DISPID id = 0;
    LPOLESTR member = const_cast<LPOLESTR>(name);
    VARIANT result;
    VariantInit(&result);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (dispatch && SUCCEEDED(dispatch->GetIDsOfNames(IID_NULL, &member, 1, 0, &id)))
        dispatch->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
    if (dispatch) dispatch->Release();
    return result;
}

HRESULT SetProperty(IUnknown *control, const wchar_t *name, VARIANT value) {
    auto *dispatch = Query<IDispatch>(control, IID_IDispatch);
    DISPID id = 0, put = DISPID_PROPERTYPUT;
    LPOLESTR member = const_cast<LPOLESTR>(name);
    DISPPARAMS one{&value, &put, 1, 1};
    HRESULT status = dispatch->GetIDsOfNames(IID_NULL, &member, 1, 0, &id);
    if (SUCCEEDED(status)) status = dispatch->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &one, nullptr, nullptr, nullptr);
    dispatch->Release();
    return status;
}

std::wstring Text(VARIANT value) {
    VariantChangeType(&value, &value, 0, VT_BSTR);
    std::wstring text = V_VT(&value) == VT_BSTR && V_BSTR(&value) ? V_BSTR(&value) : L"?";
    VariantClear(&value);
    return text;
}

// The pixels `draw` leaves in a 32 x 32 memory bitmap, as 0xRRGGBB values.
std::vector<DWORD> Pixels(const std::function<void(HDC)> &draw) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB};
    void *bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP surface = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, surface);
    draw(dc);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<DWORD *>(bits), static_cast<DWORD *>(bits) + 32 * 32);
    SelectObject(dc, old);
    DeleteObject(surface);
    DeleteDC(dc);
    for (DWORD &pixel : pixels) pixel &= 0xFFFFFF;
    return pixels;
}

// The pixels of one of the server's 32 x 32 bitmap resources.
std::vector<DWORD> ResourcePixels(HMODULE server, const wchar_t *name) {
    HBITMAP resource = static_cast<HBITMAP>(LoadImageW(server, name, IMAGE_BITMAP, 0, 0, 0));
    const auto pixels = Pixels([&](HDC dc) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, resource);
        BitBlt(dc, 0, 0, 32, 32, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    });
    DeleteObject(resource);
    return pixels;
}

IUnknown *NewControl(REFCLSID classId) {
    IUnknown *control = nullptr;
    CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void **>(&control));
    return control;
}

// One control through its whole life in the container.
void Embed(HMODULE server, REFCLSID classId, const wchar_t *image, const wchar_t *name, VARIANT value,
           const wchar_t *savedKeys) {
    std::printf("-- %ls\n", image);
    Container container;
    IUnknown *control = NewControl(classId);
    auto *object = Query<IOleObject>(control, IID_IOleObject);
    auto *bagPersistence = Query<IPersistPropertyBag>(control, IID_IPersistPropertyBag);
    auto *streamPersistence = Query<IPersistStreamInit>(control, IID_IPersistStreamInit);
    auto *view = Query<IViewObject2>(control, IID_IViewObject2);
    if (!object || !bagPersistence || !streamPersistence || !view) return Check(false, "the control protocol is there");

    Bag early;
    Check(bagPersistence->Save(&early, FALSE, TRUE) == S_OK && early.values.empty(),
          "saved before any initialisation, a control holds only defaults");

    // Drawn before anything else, and drawn as its bitmap resource.
    const RECTL bounds{0, 0, 32, 32};
    const auto drawn = Pixels([&](HDC dc) { view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0); });
    const auto expected = ResourcePixels(server, image);
    Check(drawn == expected && drawn[0] != drawn[32 * 16 + 16], "Draw paints the control's bitmap");

    DWORD status = 0;
    object->GetMiscStatus(DVASPECT_CONTENT, &status);
    Check(status == 0x20591, "the misc status comes from the registry");
    SIZEL size{5000, 5000}, now{};
    object->SetExtent(DVASPECT_CONTENT, &size);
    object->GetExtent(DVASPECT_CONTENT, &now);
    Check(now.cx == now.cy && now.cx > 700 && now.cx < 1000, "any extent comes back as 32 pixels");

    // The site and the property sink in one call, as a form designer does.
    auto *quick = Query<IQuickActivate>(control, IID_IQuickActivate);
    QACONTAINER site{sizeof(QACONTAINER)};
    site.pClientSite = &container;
    site.pPropertyNotifySink = &container;
    QACONTROL answer{sizeof(QACONTROL)};
    Check(quick && quick->QuickActivate(&site, &answer) == S_OK && answer.dwMiscStatus == 0x20591 &&
              answer.dwPropNotifyCookie != 0, "quick activation connects the container and answers the status");
    if (quick) quick->Release();
    const DWORD cookie = answer.dwPropNotifyCookie;
    bagPersistence->InitNew();
    Check(SetProperty(control, name, value) == S_OK && cookie != 0 && container.changes > 0 &&
              streamPersistence->IsDirty() == S_OK, "a changed property is announced and makes the control dirty");

    Bag bag;
    Check(bagPersistence->Save(&bag, TRUE, TRUE) == S_OK && bag.Keys() == savedKeys &&
              streamPersistence->IsDirty() == S_FALSE, "the bag holds exactly the values that differ from their defaults");
    IStream *stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    Check(streamPersistence->Save(stream, TRUE) == S_OK, "the control saves to a stream");
    const std::wstring before = Text(Property(control, name));

    IUnknown *fromBag = NewControl(classId);
    auto *loadBag = Query<IPersistPropertyBag>(fromBag, IID_IPersistPropertyBag);
    Check(loadBag->Load(&bag, nullptr) == S_OK && Text(Property(fromBag, name)) == before, "a fresh control loads the bag");
    IUnknown *fromStream = NewControl(classId);
    auto *loadStream = Query<IPersistStreamInit>(fromStream, IID_IPersistStreamInit);
    stream->Seek({}, STREAM_SEEK_SET, nullptr);
    Check(loadStream->Load(stream) == S_OK && Text(Property(fromStream, name)) == before, "a fresh control loads the stream");

    // A stream cut short fails cleanly; a value of the wrong type reads as the default.
    IStream *cut = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &cut);
    stream->Seek({}, STREAM_SEEK_SET, nullptr);
    ULARGE_INTEGER six{{6, 0}};
    stream->CopyTo(cut, six, nullptr, nullptr);
    cut->Seek({}, STREAM_SEEK_SET, nullptr);
    Check(loadStream->Load(cut) == E_FAIL, "a truncated stream is refused");
    Bag wrong;
    VARIANT text;
    V_VT(&text) = VT_BSTR, V_BSTR(&text) = SysAllocString(L"not a number");
    wrong.Write(L"ChangeInterval", &text);
    wrong.Write(L"Channels", &text);
    VariantClear(&text);
    Check(loadBag->Load(&wrong, nullptr) == S_OK, "a bag with values of the wrong type loads");

    for (auto *unknown : {static_cast<IUnknown *>(loadBag), static_cast<IUnknown *>(loadStream), fromBag, fromStream,
                          static_cast<IUnknown *>(cut), static_cast<IUnknown *>(stream), static_cast<IUnknown *>(view),
                          static_cast<IUnknown *>(streamPersistence), static_cast<IUnknown *>(bagPersistence)})
        unknown->Release();
    object->SetClientSite(nullptr);
    object->Release();
    control->Release();
}

int Containers(const wchar_t *ocx, const wchar_t *file) {
    HMODULE server = LoadLibraryW(ocx);
    VARIANT interval;
    V_VT(&interval) = VT_I2, V_I2(&interval) = 40;
    Embed(server, CLSID_CVMP3Player, L"MP3_CONTROL", L"ChangeInterval", interval, L"ChangeInterval ");
    VARIANT name;
    V_VT(&name) = VT_BSTR, V_BSTR(&name) = SysAllocString(file);
    Embed(server, CLSID_CVMP3PlayList, L"PLAYLIST_CONTROL", L"Filename", name, L"FileName ");
    VariantClear(&name);

    // A player's five saved values come back in their order.
    Bag full, again;
    const std::pair<const wchar_t *, VARIANT> saved[] = {
        {L"FileName", {}}, {L"Channels", {}}, {L"ChangeInterval", {}}, {L"DeviceName", {}}, {L"PlaybackRate", {}}};
    for (auto [key, value] : saved) {
        V_VT(&value) = VT_BSTR, V_BSTR(&value) = SysAllocString(L"7");
        full.Write(key, &value);
        VariantClear(&value);
    }
    IUnknown *reloaded = NewControl(CLSID_CVMP3Player);
    auto *reloadedBag = Query<IPersistPropertyBag>(reloaded, IID_IPersistPropertyBag);
    reloadedBag->Load(&full, nullptr);
    reloadedBag->Save(&again, TRUE, TRUE);
    Check(again.Keys() == L"FileName Channels ChangeInterval DeviceName PlaybackRate ",
          "the player saves its five values in their order");
    reloadedBag->Release();
    reloaded->Release();

    // A read-only property asks the container whether it runs a program, and
    // there keeps its value without a word.
    Container program;
    IUnknown *running = NewControl(CLSID_CVMP3Player);
    auto *runningObject = Query<IOleObject>(running, IID_IOleObject);
    runningObject->SetClientSite(&program);
    VARIANT channels;
    V_VT(&channels) = VT_I2, V_I2(&channels) = 5;
    Check(SetProperty(running, L"Channels", channels) == S_OK && program.ambientQueries == 1 &&
              Text(Property(running, L"Channels")) == L"0", "Channels asks the ambient user mode and stays");
    runningObject->Release();
    running->Release();

    // In a form designer (user mode off) the player asks the container.
    Container designer;
    designer.userMode = false;
    IUnknown *player = NewControl(CLSID_CVMP3Player);
    auto *object = Query<IOleObject>(player, IID_IOleObject);
    object->SetClientSite(&designer);
    VARIANT rate;
    V_VT(&rate) = VT_I2, V_I2(&rate) = 10;
    SetProperty(player, L"ChangeInterval", rate);
    Check(V_I2(&rate) == 10 && Text(Property(player, L"ChangeInterval")) == L"10", "a designer's control still works");
    object->Release();
    player->Release();
    return failures;
}

// --- Wine's ATL host window --------------------------------------------------

using CreateControlEx = HRESULT(WINAPI *)(LPCOLESTR, HWND, IStream *, IUnknown **, IUnknown **, REFIID, IUnknown *);

int AtlHost(const wchar_t *file) {
    HMODULE atl = LoadLibraryW(L"atl.dll");
    auto init = reinterpret_cast<BOOL(WINAPI *)()>(GetProcAddress(atl, "AtlAxWinInit"));
    auto create = reinterpret_cast<CreateControlEx>(GetProcAddress(atl, "AtlAxCreateControlEx"));
    if (!init || !create || !init()) return Check(false, "ATL's host is there"), failures;
    HWND frame = CreateWindowExW(0, L"STATIC", L"CorvaneMP3 host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                 nullptr, nullptr, nullptr, nullptr);
    for (const wchar_t *progId : {L"CorvaneMP3.CVMP3Player", L"CorvaneMP3.CVMP3PlayList"}) {
        HWND host = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, frame, nullptr,
                                    nullptr, nullptr);
        IUnknown *site = nullptr, *control = nullptr;
        const HRESULT made = create(progId, host, nullptr, &site, &control, IID_NULL, nullptr);
        std::printf("-- %ls: %#lx\n", progId, static_cast<unsigned long>(made));
        Check(SUCCEEDED(made) && control != nullptr, "ATL's host creates the control by its ProgID");
        if (!control) continue;
        const bool player = std::wstring(progId).find(L"Player") != std::wstring::npos;
        // Activated in place, the control's own window shows its image.
        auto *inPlace = Query<IOleInPlaceObject>(control, IID_IOleInPlaceObject);
        HWND window = nullptr;
        if (inPlace && SUCCEEDED(inPlace->GetWindow(&window)) && window) {
            const auto expected =
                ResourcePixels(GetModuleHandleW(L"CorvaneMP3.ocx"), player ? L"MP3_CONTROL" : L"PLAYLIST_CONTROL");
            // What the screen shows settles once the X server has drawn it.
            bool painted = false;
            for (int look = 0; look < 30 && !painted; ++look) {
                RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                PumpFor(100, Sink{});
                RECT area;
                GetWindowRect(window, &area);
                painted = Pixels([&](HDC dc) {
                              HDC screen = GetDC(nullptr);
                              BitBlt(dc, 0, 0, 32, 32, screen, area.left, area.top, SRCCOPY);
                              ReleaseDC(nullptr, screen);
                          }) == expected;
            }
            Check(painted, "the control's window paints its image");
        } else {
            Check(false, "ATL's host activates the control in place");
        }
        if (inPlace) inPlace->Release();
        if (player) {
            VARIANT interval;
            V_VT(&interval) = VT_I2, V_I2(&interval) = 3;
            SetProperty(control, L"ChangeInterval", interval);
            Check(Text(Property(control, L"ChangeInterval")) == L"10" &&
                      Text(Property(control, L"DeviceName")) == L"Maltrex Wave Mapper",
                  "the hosted player answers through IDispatch");
        } else {
            auto *list = Query<_CVMP3PlayList>(control, IID__CVMP3PlayList);
            BSTR name = SysAllocString(file);
            VARIANT_BOOL added = VARIANT_FALSE;
            LONG count = 0;
            Check(list && SUCCEEDED(list->AddEntry(&name, nullptr, nullptr, nullptr, &added)) && added &&
                      SUCCEEDED(list->get_Count(&count)) && count == 1, "the hosted play list takes an entry");
            SysFreeString(name);
            if (list) list->Release();
        }
        control->Release();
        if (site) site->Release();
        DestroyWindow(host);
    }
    DestroyWindow(frame);
    return failures;
}

// --- the About box -----------------------------------------------------------

constexpr int kVersionLabel = 203, kWebLinkLabel = 209;

bool Underlined(HWND label) {
    LOGFONTW font{};
    auto *handle = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    return handle && GetObjectW(handle, sizeof font, &font) && font.lfUnderline;
}

// About blocks until the dialog closes; a second thread finds the dialog,
// checks it, moves the "pointer" over the link and away, and presses OK.
int AboutBox() {
    _CVMP3Player *player = nullptr;
    CoCreateInstance(CLSID_CVMP3Player, nullptr, CLSCTX_INPROC_SERVER, IID__CVMP3Player, reinterpret_cast<void **>(&player));
    if (!player) return Check(false, "a player is created"), failures;
    bool found = false;
    std::thread helper([&] {
        HWND dialog = nullptr;
        for (int wait = 0; wait < 200 && dialog == nullptr; ++wait, Sleep(50))
            dialog = FindWindowW(nullptr, L"About CorvaneMP3");
        found = dialog != nullptr;
        if (!found) return;
        wchar_t version[64] = {};
        GetDlgItemTextW(dialog, kVersionLabel, version, 64);
        Check(std::wstring(version) == L"Version " CORVANE_VERSION_TEXT_WIDE, "the dialog shows the version");
        // The virtual display's pointer rests where the dialog opened: moved
        // off it, and its notices handled, it takes no part in the checks.
        RECT area;
        GetWindowRect(dialog, &area);
        SetCursorPos(area.left > 0 ? 0 : area.right + 1, 0);
        Sleep(300);
        HWND link = GetDlgItem(dialog, kWebLinkLabel);
        const bool before = Underlined(link);
        SendMessageW(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        const bool over = Underlined(link);
        SendMessageW(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(dialog), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        const bool after = Underlined(link);
        if (before || !over || after) std::printf("underlined before %d, over %d, after %d\n", before, over, after);
        Check(!before && over && !after, "the link is underlined while the pointer is over it");
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    const HRESULT shown = player->About();
    helper.join();
    Check(found, "About opens a window captioned \"About CorvaneMP3\"");
    Check(shown == S_OK, "About returns when OK is pressed");
    player->Release();
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
            info->GetDocumentation(var->memid, &name, &help, nullptr, nullptr);
            std::printf("  const %s = %ld \"%s\"\n", Narrow(name).c_str(), V_I4(var->lpvarValue), Narrow(help).c_str());
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
    else if (command == L"container" && argc > 3) result = Containers(argv[2], argv[3]);
    else if (command == L"atlhost" && argc > 2) result = AtlHost(argv[2]);
    else if (command == L"about") result = AboutBox();
    else std::printf("usage: server_client events FILE | protocol OCX FILE | typelib OCX | container OCX FILE | atlhost FILE | about\n");
    CoUninitialize();
    return result;
}
