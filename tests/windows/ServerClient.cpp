// A C++ client of the in-process server, for what scripts cannot do; the
// checks are tables of call and expected result.
//   server_client typelib OCX          prints the type library as read back
//   server_client protocol OCX FILE    entry points, class factories and
//                                      unloading; the interfaces, events,
//                                      connection points and IDispatch answers
//                                      of each object; the enumerator; threads
//   server_client events FILE          sinks on a player's events while FILE plays
//   server_client container OCX FILE   both controls sited in a container of
//                                      its own: ambients, persistence, extent,
//                                      drawing
//   server_client atlhost              both controls made by ProgID in ATL's
//                                      host window paint their images
//   server_client about                the About box opened through the player
// Each failed check prints FAIL; the exit status is the number of failures.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "CorvaneMP3TypeLibrary.h"
#include "CorvaneVersion.h"

namespace {

int failures = 0;
bool Check(bool ok, const char *what) {
    if (!ok) ++failures, std::printf("FAIL: %s\n", what);
    return ok;
}
// A table's row: what is checked, what came back and what must.
struct Row {
    const char *what;
    long long got, expected;
};
template <size_t N>
void CheckRows(const Row (&rows)[N]) {
    for (const Row &row : rows)
        if (!Check(row.got == row.expected, row.what)) std::printf("  got %#llx, not %#llx\n", row.got, row.expected);
}

template <class Interface = IUnknown>
Interface *Query(IUnknown *object, REFIID iid) {
    void *out = nullptr;
    return object && SUCCEEDED(object->QueryInterface(iid, &out)) ? static_cast<Interface *>(out) : nullptr;
}
// The pointer `object` answers for `iid`, without keeping a reference.
IUnknown *Answer(IUnknown *object, REFIID iid) {
    IUnknown *answer = Query(object, iid);
    if (answer) answer->Release();
    return answer;
}
IUnknown *NewObject(REFCLSID classId) {
    IUnknown *object = nullptr;
    CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void **>(&object));
    return object;
}

// The other end of every connection: a client site that answers the ambient
// user mode, a property-change sink and an event sink, counting what it hears.
class Client final : public IOleClientSite, public IDispatch, public IPropertyNotifySink {
public:
    int ambientQueries = 0, changes = 0, finished = 0, updates = 0;
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
        if (id == DISPID_AMBIENT_USERMODE && result) {
            ++ambientQueries;
            V_VT(result) = VT_BOOL, V_BOOL(result) = VARIANT_TRUE;
            return S_OK;
        }
        if (id < 0) return DISP_E_MEMBERNOTFOUND;  // the other ambients
        (id == 1 ? finished : updates) += 1;       // FinishedPlaying, VisualizationUpdate
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
        return VariantCopy(&values.back().second, value);
    }
    std::wstring Keys() const {
        std::wstring keys;
        for (auto &[key, value] : values) keys += key + L" ";
        return keys;
    }
};

// A number as `type`; VT_ERROR is an argument left out.
VARIANT Value(VARTYPE type, double number = 0) {
    VARIANT value{};
    V_VT(&value) = VT_R8, V_R8(&value) = number;
    if (type == VT_ERROR || (type & VT_BYREF)) V_VT(&value) = type, V_ERROR(&value) = DISP_E_PARAMNOTFOUND;
    else VariantChangeType(&value, &value, 0, type);
    return value;
}
VARIANT Str(const wchar_t *text) {
    VARIANT value{};
    V_VT(&value) = VT_BSTR, V_BSTR(&value) = SysAllocString(text);
    return value;
}

std::wstring Text(VARIANT value) {
    VariantChangeType(&value, &value, 0, VT_BSTR);
    std::wstring text = V_VT(&value) == VT_BSTR && V_BSTR(&value) ? V_BSTR(&value) : L"?";
    VariantClear(&value);
    return text;
}

// A call by name through IDispatch, taking its arguments (first to last); a
// put names its last.
HRESULT Invoke(IUnknown *object, const wchar_t *member, WORD flags, std::vector<VARIANT> arguments = {},
               VARIANT *result = nullptr, UINT *argumentError = nullptr) {
    auto *dispatch = Query<IDispatch>(object, IID_IDispatch);
    DISPID id = 0, put = DISPID_PROPERTYPUT;
    LPOLESTR name = const_cast<LPOLESTR>(member);
    std::reverse(arguments.begin(), arguments.end());
    const UINT named = flags == DISPATCH_PROPERTYPUT ? 1 : 0;
    DISPPARAMS params{arguments.data(), named ? &put : nullptr, static_cast<UINT>(arguments.size()), named};
    VARIANT ignored{};
    HRESULT status = dispatch ? dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id) : E_NOINTERFACE;
    if (SUCCEEDED(status))
        status = dispatch->Invoke(id, IID_NULL, 0, flags, &params, result ? result : &ignored, nullptr, argumentError);
    VariantClear(&ignored);
    for (VARIANT &argument : arguments) VariantClear(&argument);
    if (dispatch) dispatch->Release();
    return status;
}
std::wstring Get(IUnknown *object, const wchar_t *member) {
    VARIANT result{};
    Invoke(object, member, DISPATCH_PROPERTYGET, {}, &result);
    return Text(result);
}
// An object a property gives, with the caller's reference.
IUnknown *ObjectOf(IUnknown *object, const wchar_t *member, std::vector<VARIANT> arguments = {}) {
    VARIANT result{};
    Invoke(object, member, DISPATCH_PROPERTYGET, std::move(arguments), &result);
    return V_VT(&result) == VT_DISPATCH ? V_DISPATCH(&result) : (VariantClear(&result), nullptr);
}
HRESULT Put(IUnknown *object, const wchar_t *member, VARIANT value) {
    return Invoke(object, member, DISPATCH_PROPERTYPUT, {value});
}

IConnectionPoint *PointOf(IUnknown *object, REFIID events) {
    auto *container = Query<IConnectionPointContainer>(object, IID_IConnectionPointContainer);
    IConnectionPoint *point = nullptr;
    if (container && FAILED(container->FindConnectionPoint(events, &point))) point = nullptr;
    if (container) container->Release();
    return point;
}
bool Connects(IUnknown *object, REFIID events, IUnknown *sink) {
    IConnectionPoint *point = PointOf(object, events);
    DWORD cookie = 0;
    const bool connected = point && SUCCEEDED(point->Advise(sink, &cookie)) && cookie != 0;
    if (point) point->Release();
    return connected;
}

void Pump(DWORD milliseconds, const int &until) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds && until == 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
}

int Events(const wchar_t *file) {
    IUnknown *player = NewObject(CLSID_CVMP3Player);
    IConnectionPoint *point = PointOf(player, DIID___CVMP3Player);
    Client first, second, gone;
    DWORD cookies[3] = {};
    if (!Check(point && SUCCEEDED(point->Advise(static_cast<IDispatch *>(&first), &cookies[0])) &&
                   SUCCEEDED(point->Advise(static_cast<IDispatch *>(&second), &cookies[1])) &&
                   SUCCEEDED(point->Advise(static_cast<IDispatch *>(&gone), &cookies[2])), "three sinks connect"))
        return failures;
    const HRESULT left = point->Unadvise(cookies[2]), again = point->Unadvise(cookies[2]);
    Put(player, L"Filename", Str(file));
    Put(player, L"ChangeInterval", Value(VT_I2, 10));
    const HRESULT started = Invoke(player, L"PlayStart", DISPATCH_METHOD);
    Pump(60000, first.finished);
    Pump(500, gone.finished);  // anything late would show now
    CheckRows({{"a sink leaves", left, S_OK},
               {"a sink leaves once", again, CONNECT_E_NOCONNECTION},
               {"the fixture starts", started, S_OK},
               {"FinishedPlaying reaches the first sink once", first.finished, 1},
               {"FinishedPlaying reaches the second sink once", second.finished, 1},
               {"VisualizationUpdate reaches the sinks often", first.updates >= 3, 1},
               {"VisualizationUpdate reaches every sink alike", second.updates, first.updates},
               {"a sink that left hears nothing", gone.finished + gone.updates, 0}});
    point->Release();
    player->Release();
    return failures;
}

// The identifiers the play list's and the entry's interfaces had in the
// earlier version, which its clients were built against.
GUID Earlier(const wchar_t *text) {
    GUID id = GUID_NULL;
    IIDFromString(text, &id);
    return id;
}

// The event interface an object names, and how many connection points it lists.
bool NamesEvents(IUnknown *object, REFIID events, ULONG points) {
    auto *classInfo = Query<IProvideClassInfo2>(object, IID_IProvideClassInfo2);
    auto *container = Query<IConnectionPointContainer>(object, IID_IConnectionPointContainer);
    GUID named = GUID_NULL;
    IEnumConnectionPoints *listed = nullptr;
    IConnectionPoint *found[4] = {};
    ULONG count = 0;
    if (classInfo) classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &named), classInfo->Release();
    if (container && SUCCEEDED(container->EnumConnectionPoints(&listed))) listed->Next(4, found, &count), listed->Release();
    for (ULONG i = 0; i < count; ++i) found[i]->Release();
    if (container) container->Release();
    return IsEqualIID(named, events) && count == points;
}

HRESULT RichErrors(IUnknown *object, REFIID iid) {
    auto *errors = Query<ISupportErrorInfo>(object, IID_ISupportErrorInfo);
    const HRESULT status = errors ? errors->InterfaceSupportsErrorInfo(iid) : E_NOINTERFACE;
    if (errors) errors->Release();
    return status;
}

// Steps through the play list's enumerator: each row a step and the keys of
// the entries it gives.
void WalkEnumerator(IUnknown *list) {
    VARIANT enumerator{};
    Invoke(list, L"NewEnum", DISPATCH_PROPERTYGET, {}, &enumerator);
    auto *items = V_VT(&enumerator) == VT_UNKNOWN ? Query<IEnumVARIANT>(V_UNKNOWN(&enumerator), IID_IEnumVARIANT) : nullptr;
    VariantClear(&enumerator);
    if (!Check(items != nullptr, "the play list gives an enumerator")) return;
    enum Step { Next, Skip, Reset, Clone };
    const struct {
        Step step;
        ULONG count;
        HRESULT status;
        const wchar_t *keys;
    } walk[] = {{Next, 1, S_OK, L"a "}, {Next, 3, S_FALSE, L"b c "}, {Next, 1, S_FALSE, L""},     {Reset, 0, S_OK, L""},
                {Skip, 1, S_OK, L""},   {Clone, 0, S_OK, L""},       {Next, 1, S_OK, L"b "},      {Skip, 5, S_FALSE, L""},
                {Reset, 0, S_OK, L""},  {Next, 3, S_OK, L"a b c "}};
    for (const auto &row : walk) {
        VARIANT got[3];
        ULONG fetched = 0;
        IEnumVARIANT *clone = nullptr;
        HRESULT status = row.step == Next ? items->Next(row.count, got, &fetched)
                         : row.step == Skip ? items->Skip(row.count)
                         : row.step == Reset ? items->Reset() : items->Clone(&clone);
        if (clone) items->Release(), items = clone;  // the clone goes on from where its original stood
        std::wstring keys;
        for (ULONG i = 0; i < fetched; ++i) keys += Get(V_DISPATCH(&got[i]), L"Key") + L" ", VariantClear(&got[i]);
        if (!Check(status == row.status && keys == row.keys, "the enumerator steps, skips, resets and clones"))
            std::printf("  step %d: %#lx, keys %ls\n", int(&row - walk), static_cast<unsigned long>(status), keys.c_str());
    }
    items->Release();
}

int Protocol(const wchar_t *ocx, const wchar_t *file) {
    HMODULE server = LoadLibraryW(ocx);
    auto canUnload = reinterpret_cast<HRESULT(WINAPI *)()>(GetProcAddress(server, "DllCanUnloadNow"));
    auto getClass = reinterpret_cast<HRESULT(WINAPI *)(REFCLSID, REFIID, void **)>(GetProcAddress(server, "DllGetClassObject"));
    if (!Check(canUnload && getClass, "the entry points are exported")) return failures;
    IClassFactory *none = nullptr, *factory = nullptr;
    IUnknown *list = nullptr, *aggregate = nullptr;
    getClass(CLSID_CVMP3PlayList, IID_IClassFactory, reinterpret_cast<void **>(&factory));
    CheckRows({{"no class factory for a class clients cannot create",
                getClass(CLSID_Equalizer, IID_IClassFactory, reinterpret_cast<void **>(&none)), CLASS_E_CLASSNOTAVAILABLE},
               {"an idle server may unload", canUnload(), S_OK},
               {"a server is locked", factory->LockServer(TRUE), S_OK},
               {"a locked server stays", canUnload(), S_FALSE},
               {"a server is unlocked", factory->LockServer(FALSE), S_OK},
               {"the controls are not aggregated",
                factory->CreateInstance(factory, IID_IUnknown, reinterpret_cast<void **>(&aggregate)), CLASS_E_NOAGGREGATION},
               {"a play list is made", factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void **>(&list)), S_OK},
               {"a live object keeps the server", canUnload(), S_FALSE}});
    for (const wchar_t *bitmap : {MAKEINTRESOURCEW(30000), MAKEINTRESOURCEW(30001)}) {
        auto *image = static_cast<HBITMAP>(LoadImageW(server, bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        BITMAP shape{};
        Check(image && GetObjectW(image, sizeof shape, &shape) && shape.bmWidth == 16 && shape.bmHeight == 15 &&
                  shape.bmBitsPixel == 4, "the toolbox bitmaps have 16 colours and 16 x 15 pixels");
        if (image) DeleteObject(image);
    }

    // Three entries keyed a, b and c; the player's equalizer with one band.
    for (const wchar_t *key : {L"a", L"b", L"c"})
        Invoke(list, L"AddEntry", DISPATCH_METHOD, {Str(file), Value(VT_ERROR), Value(VT_ERROR), Str(key)});
    IUnknown *player = NewObject(CLSID_CVMP3Player), *entry = ObjectOf(list, L"PlayListEntries", {Value(VT_I4, 1)});
    IUnknown *equalizer = ObjectOf(player, L"Equalizer");
    Invoke(equalizer, L"AddBand", DISPATCH_METHOD, {Value(VT_I2, 1000)});
    IUnknown *band = ObjectOf(equalizer, L"Band", {Value(VT_I2, 1), Value(VT_I4, corEQBandsByIndex)});
    if (!Check(entry && equalizer && band, "an entry, the player's equalizer and a band")) return failures;

    Client client;
    Bag notASink;
    IUnknown *sink = static_cast<IDispatch *>(&client);
    short interval = 5;
    VARIANT typed = Value(VT_BYREF | VT_I2), count{};
    V_I2REF(&typed) = &interval;
    UINT argument = 99;
    HRESULT fromOtherThread = S_OK;
    auto *typedList = Query<_CVMP3PlayList>(list, IID__CVMP3PlayList);
    LONG entries = 0;
    std::thread([&] { fromOtherThread = typedList->get_Count(&entries); }).join();
    typedList->Release();
    CheckRows({
        {"the play list answers its earlier identifier with itself", Answer(list, Earlier(L"{EACE834D-4BB5-41E4-BE9A-105DFF9B1320}")) == list, 1},
        {"an entry answers its earlier identifier with itself", Answer(entry, Earlier(L"{2ADD31FA-F8EB-4AE1-92A7-F314D3C21E79}")) == entry, 1},
        {"the player is no play list", Answer(player, IID__CVMP3PlayList) == nullptr, 1},
        {"the equalizer is no control", Answer(equalizer, IID_IOleObject) == nullptr, 1},
        {"a band has no events", Answer(band, IID_IConnectionPointContainer) == nullptr, 1},
        {"the play list has rich errors", RichErrors(list, IID__CVMP3PlayList), S_OK},
        {"a band has rich errors", RichErrors(band, IID__EqualizerBand), S_OK},
        {"rich errors only for an object's own interface", RichErrors(list, IID__CVMP3Player), S_FALSE},
        {"the player's events and connection points", NamesEvents(player, DIID___CVMP3Player, 2), 1},
        {"the play list's events and connection points", NamesEvents(list, DIID___CVMP3PlayList, 3), 1},
        {"the equalizer's events and connection points", NamesEvents(equalizer, DIID___Equalizer, 1), 1},
        {"the player's events connect", Connects(player, DIID___CVMP3Player, sink), 1},
        {"the play list's events connect", Connects(list, DIID___CVMP3PlayList, sink), 1},
        {"the play list's events connect under their earlier identifier", Connects(list, DIID___CVMP3PlayList_v0, sink), 1},
        {"the equalizer's events connect", Connects(equalizer, DIID___Equalizer, sink), 1},
        {"the player's property changes connect", Connects(player, IID_IPropertyNotifySink, sink), 1},
        {"no play-list events on a player", Connects(player, DIID___CVMP3PlayList, sink), 0},
        {"no sink that cannot take a call", Connects(player, DIID___CVMP3Player, &notASink), 0},
        {"a property called as a method", Invoke(list, L"Count", DISPATCH_METHOD, {}, &count), S_OK},
        {"a property called as a method gives its value", V_I4(&count), 3},
        {"a typed by-reference argument", Invoke(player, L"ChangeInterval", DISPATCH_PROPERTYPUT, {typed}), S_OK},
        {"what the member keeps goes back into a typed by-reference argument", interval, 10},
        {"an extra argument", Invoke(list, L"Count", DISPATCH_PROPERTYGET, {Value(VT_I4, 3)}), DISP_E_BADPARAMCOUNT},
        {"a missing argument", Invoke(player, L"GenreList", DISPATCH_PROPERTYGET), DISP_E_BADPARAMCOUNT},
        {"a text where a number belongs",
         Invoke(list, L"MovePlayListEntry", DISPATCH_METHOD, {Str(L"seven"), Str(L"seven")}, nullptr, &argument),
         DISP_E_TYPEMISMATCH},
        {"a type mismatch names its argument (the first is last)", argument, 1},
        {"a number too large for its type", Invoke(player, L"ChangeInterval", DISPATCH_PROPERTYPUT, {Value(VT_R8, 1e300)}),
         DISP_E_OVERFLOW},
        {"a method is no property", Invoke(player, L"PlayStop", DISPATCH_PROPERTYPUT, {Value(VT_I4, 1)}), DISP_E_MEMBERNOTFOUND},
        {"a call from another thread is refused", fromOtherThread, RPC_E_WRONG_THREAD},
    });
    WalkEnumerator(list);

    for (IUnknown *object : {band, equalizer, entry, player, list}) object->Release();
    Check(canUnload() == S_OK, "with every object released the server may unload");
    return failures;
}

// --- a container of our own --------------------------------------------------

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

// One control through its life in the container, its property `name` set
// to `value` (which the call takes).
void Embed(HMODULE server, REFCLSID classId, const wchar_t *image, const wchar_t *name, VARIANT value,
           const wchar_t *savedKeys) {
    std::printf("-- %ls\n", image);
    Client container;
    Bag early, bag;
    IUnknown *control = NewObject(classId), *fromBag = NewObject(classId), *fromStream = NewObject(classId);
    auto *object = Query<IOleObject>(control, IID_IOleObject);
    auto *bagPersistence = Query<IPersistPropertyBag>(control, IID_IPersistPropertyBag);
    auto *streamPersistence = Query<IPersistStreamInit>(control, IID_IPersistStreamInit);
    auto *view = Query<IViewObject2>(control, IID_IViewObject2);
    auto *quick = Query<IQuickActivate>(control, IID_IQuickActivate);
    auto *loadBag = Query<IPersistPropertyBag>(fromBag, IID_IPersistPropertyBag);
    auto *loadStream = Query<IPersistStreamInit>(fromStream, IID_IPersistStreamInit);
    if (!Check(object && bagPersistence && streamPersistence && view && quick && loadBag && loadStream,
               "the control protocol is there")) return;
    const bool onlyDefaults = bagPersistence->Save(&early, FALSE, TRUE) == S_OK && early.values.empty();
    const RECTL bounds{0, 0, 32, 32};
    const auto drawn = Pixels([&](HDC dc) { view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0); });
    SIZEL size{5000, 5000}, now{};
    object->SetExtent(DVASPECT_CONTENT, &size);
    object->GetExtent(DVASPECT_CONTENT, &now);
    // The site and the property sink in one call, as a form designer does.
    QACONTAINER site{sizeof(QACONTAINER)};
    site.pClientSite = &container;
    site.pPropertyNotifySink = &container;
    QACONTROL answer{sizeof(QACONTROL)};
    IStream *stream = nullptr, *cut = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    CreateStreamOnHGlobal(nullptr, TRUE, &cut);
    CheckRows({{"saved before any initialisation, a control holds only defaults", onlyDefaults, 1},
               {"Draw paints the control's bitmap", drawn == ResourcePixels(server, image) && drawn[0] != drawn[32 * 16 + 16], 1},
               {"any extent comes back as 32 pixels", now.cx == now.cy && now.cx > 700 && now.cx < 1000, 1},
               {"quick activation", quick->QuickActivate(&site, &answer), S_OK},
               {"quick activation answers the misc status", answer.dwMiscStatus, 0x20591},
               {"quick activation connects the property sink", answer.dwPropNotifyCookie != 0, 1},
               {"a new control", bagPersistence->InitNew(), S_OK},
               {"a property changes", Put(control, name, value), S_OK},
               {"a changed property is announced", container.changes > 0, 1},
               {"a changed property makes the control dirty", streamPersistence->IsDirty(), S_OK},
               {"the control saves to a bag", bagPersistence->Save(&bag, TRUE, TRUE), S_OK},
               {"the bag holds exactly the values that differ from their defaults", bag.Keys() == savedKeys, 1},
               {"saved, the control is clean", streamPersistence->IsDirty(), S_FALSE},
               {"the control saves to a stream", streamPersistence->Save(stream, TRUE), S_OK},
               {"a fresh control loads the bag", loadBag->Load(&bag, nullptr), S_OK},
               {"the value comes back from the bag", Get(fromBag, name) == Get(control, name), 1},
               {"a fresh control loads the stream", (stream->Seek({}, STREAM_SEEK_SET, nullptr), loadStream->Load(stream)), S_OK},
               {"the value comes back from the stream", Get(fromStream, name) == Get(control, name), 1}});
    stream->Seek({}, STREAM_SEEK_SET, nullptr);
    stream->CopyTo(cut, ULARGE_INTEGER{{6, 0}}, nullptr, nullptr);
    cut->Seek({}, STREAM_SEEK_SET, nullptr);
    Check(loadStream->Load(cut) == E_FAIL, "a truncated stream is refused");
    for (IUnknown *unknown : {static_cast<IUnknown *>(loadBag), static_cast<IUnknown *>(loadStream), fromBag, fromStream,
                              static_cast<IUnknown *>(cut), static_cast<IUnknown *>(stream), static_cast<IUnknown *>(view),
                              static_cast<IUnknown *>(quick), static_cast<IUnknown *>(streamPersistence),
                              static_cast<IUnknown *>(bagPersistence)})
        unknown->Release();
    object->SetClientSite(nullptr);
    object->Release();
    control->Release();
}

int Containers(const wchar_t *ocx, const wchar_t *file) {
    HMODULE server = LoadLibraryW(ocx);
    Embed(server, CLSID_CVMP3Player, L"MP3_CONTROL", L"ChangeInterval", Value(VT_I2, 40), L"ChangeInterval ");
    Embed(server, CLSID_CVMP3PlayList, L"PLAYLIST_CONTROL", L"Filename", Str(file), L"FileName ");
    // A read-only property asks the container whether it runs a program, and
    // there keeps its value without a word.
    Client program;
    IUnknown *running = NewObject(CLSID_CVMP3Player);
    auto *object = Query<IOleObject>(running, IID_IOleObject);
    object->SetClientSite(&program);
    CheckRows({{"Channels is set", Put(running, L"Channels", Value(VT_I2, 5)), S_OK},
               {"Channels asks the container's user mode", program.ambientQueries, 1},
               {"Channels keeps its value", Get(running, L"Channels") == L"0", 1}});
    object->SetClientSite(nullptr);
    object->Release();
    running->Release();
    return failures;
}

// --- Wine's ATL host window --------------------------------------------------

// Made by ProgID and activated in place, each control's own window shows its
// image.
int AtlHost() {
    using CreateControlEx = HRESULT(WINAPI *)(LPCOLESTR, HWND, IStream *, IUnknown **, IUnknown **, REFIID, IUnknown *);
    HMODULE atl = LoadLibraryW(L"atl.dll");
    auto init = reinterpret_cast<BOOL(WINAPI *)()>(GetProcAddress(atl, "AtlAxWinInit"));
    auto create = reinterpret_cast<CreateControlEx>(GetProcAddress(atl, "AtlAxCreateControlEx"));
    if (!Check(init && create && init(), "ATL's host is there")) return failures;
    HWND frame = CreateWindowExW(0, L"STATIC", L"CorvaneMP3 host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                 nullptr, nullptr, nullptr, nullptr);
    const std::pair<const wchar_t *, const wchar_t *> controls[] = {{L"CorvaneMP3.CVMP3Player", L"MP3_CONTROL"},
                                                                    {L"CorvaneMP3.CVMP3PlayList", L"PLAYLIST_CONTROL"}};
    for (const auto &[progId, image] : controls) {
        HWND host = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, frame, nullptr, nullptr, nullptr);
        IUnknown *site = nullptr, *control = nullptr;
        const HRESULT made = create(progId, host, nullptr, &site, &control, IID_NULL, nullptr);
        std::printf("-- %ls: %#lx\n", progId, static_cast<unsigned long>(made));
        if (!Check(SUCCEEDED(made) && control != nullptr, "ATL's host creates the control by its ProgID")) continue;
        auto *inPlace = Query<IOleInPlaceObject>(control, IID_IOleInPlaceObject);
        HWND window = nullptr;
        bool painted = false;
        if (inPlace && SUCCEEDED(inPlace->GetWindow(&window)) && window) {
            const auto expected = ResourcePixels(GetModuleHandleW(L"CorvaneMP3.ocx"), image);
            // What the screen shows settles once the X server has drawn it.
            for (int look = 0, never = 0; look < 30 && !painted; ++look) {
                RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                Pump(100, never);
                RECT area;
                GetWindowRect(window, &area);
                painted = Pixels([&](HDC dc) {
                              HDC screen = GetDC(nullptr);
                              BitBlt(dc, 0, 0, 32, 32, screen, area.left, area.top, SRCCOPY);
                              ReleaseDC(nullptr, screen);
                          }) == expected;
            }
        }
        Check(painted, "activated in place, the control's window paints its image");
        if (inPlace) inPlace->Release();
        control->Release();
        if (site) site->Release();
        DestroyWindow(host);
    }
    DestroyWindow(frame);
    return failures;
}

// --- the About box -----------------------------------------------------------

bool Underlined(HWND label) {
    LOGFONTW font{};
    auto *handle = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    return handle && GetObjectW(handle, sizeof font, &font) && font.lfUnderline;
}

// About blocks until the dialog closes; a second thread finds the dialog,
// checks it, moves the "pointer" over the link and away, and presses OK.
int AboutBox() {
    constexpr int kVersionLabel = 203, kWebLinkLabel = 209;
    IUnknown *player = NewObject(CLSID_CVMP3Player);
    HWND dialog = nullptr;
    std::wstring version(64, L'\0');
    bool before = true, over = false, after = true;
    std::thread helper([&] {
        for (int wait = 0; wait < 200 && dialog == nullptr; ++wait, Sleep(50))
            dialog = FindWindowW(nullptr, L"About CorvaneMP3");
        if (!dialog) return;
        version.resize(GetDlgItemTextW(dialog, kVersionLabel, version.data(), 64));
        // The virtual display's pointer rests where the dialog opened: moved
        // off it, and its notices handled, it takes no part in the checks.
        RECT area;
        GetWindowRect(dialog, &area);
        SetCursorPos(area.left > 0 ? 0 : area.right + 1, 0);
        Sleep(300);
        HWND link = GetDlgItem(dialog, kWebLinkLabel);
        before = Underlined(link);
        SendMessageW(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        over = Underlined(link);
        SendMessageW(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(dialog), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        after = Underlined(link);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    const HRESULT shown = Invoke(player, L"About", DISPATCH_METHOD);
    helper.join();
    CheckRows({{"About opens a window captioned \"About CorvaneMP3\"", dialog != nullptr, 1},
               {"the dialog shows the version", version == L"Version " CORVANE_VERSION_TEXT_WIDE, 1},
               {"the link is not underlined before the pointer comes", before, 0},
               {"the link is underlined while the pointer is over it", over, 1},
               {"the link is not underlined once the pointer left", after, 0},
               {"About returns when OK is pressed", shown, S_OK}});
    player->Release();
    return failures;
}

// --- the type library read back ----------------------------------------------

std::string Narrow(BSTR text) {
    std::string out;
    for (UINT i = 0; text && i < SysStringLen(text); ++i) out += static_cast<char>(text[i]);
    SysFreeString(text);
    return out;
}
std::string NameOf(ITypeInfo *info) {
    BSTR name = nullptr;
    info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    return Narrow(name);
}
std::string TypeText(ITypeInfo *info, const TYPEDESC &type) {
    if (type.vt == VT_PTR) return TypeText(info, *type.lptdesc) + "*";
    if (type.vt != VT_USERDEFINED) return "vt" + std::to_string(type.vt);
    ITypeInfo *referenced = nullptr;
    std::string name = SUCCEEDED(info->GetRefTypeInfo(type.hreftype, &referenced)) ? NameOf(referenced) : "";
    if (referenced) referenced->Release();
    return name;
}

// One line per type and per member: kind, name, identifier, flags, help
// context and help string, and each parameter's name, type and flags.
int TypeLibrary(const wchar_t *ocx) {
    static const char *kinds[] = {"enum", "record", "module", "interface", "dispinterface", "coclass", "alias", "union"};
    ITypeLib *library = nullptr;
    if (!Check(SUCCEEDED(LoadTypeLibEx(ocx, REGKIND_NONE, &library)), "the type library loads")) return failures;
    TLIBATTR *about = nullptr;
    library->GetLibAttr(&about);
    BSTR name, help, file;
    DWORD context = 0;
    library->GetDocumentation(-1, &name, &help, nullptr, &file);
    std::printf("library %s %d.%d lcid %#lx syskind %d flags %#x help \"%s\" file \"%s\"\n", Narrow(name).c_str(),
                about->wMajorVerNum, about->wMinorVerNum, about->lcid, about->syskind, about->wLibFlags,
                Narrow(help).c_str(), Narrow(file).c_str());
    for (UINT t = 0; t < library->GetTypeInfoCount(); ++t) {
        ITypeInfo *info = nullptr, *dual = nullptr;
        TYPEATTR *type = nullptr;
        HREFTYPE reference = 0;
        library->GetTypeInfo(t, &info);
        info->GetTypeAttr(&type);
        // A dual interface is listed by its vtable side.
        if ((type->wTypeFlags & TYPEFLAG_FDUAL) && SUCCEEDED(info->GetRefTypeOfImplType(-1, &reference)) &&
            SUCCEEDED(info->GetRefTypeInfo(reference, &dual)))
            info->ReleaseTypeAttr(type), info->Release(), info = dual, info->GetTypeAttr(&type);
        info->GetDocumentation(MEMBERID_NIL, &name, &help, &context, nullptr);
        std::printf("%s %s %d.%d flags %#x context %lu \"%s\"", kinds[type->typekind], Narrow(name).c_str(),
                    type->wMajorVerNum, type->wMinorVerNum, type->wTypeFlags, context, Narrow(help).c_str());
        if (type->typekind == TKIND_ALIAS) std::printf(" of %s", TypeText(info, type->tdescAlias).c_str());
        std::printf("\n");
        for (UINT i = 0; i < type->cImplTypes; ++i) {
            INT flags = 0;
            ITypeInfo *implemented = nullptr;
            info->GetRefTypeOfImplType(i, &reference);
            info->GetImplTypeFlags(i, &flags);
            info->GetRefTypeInfo(reference, &implemented);
            std::printf("  implements %s flags %#x\n", NameOf(implemented).c_str(), flags);
            implemented->Release();
        }
        for (UINT v = 0; v < type->cVars; ++v) {
            VARDESC *var = nullptr;
            info->GetVarDesc(v, &var);
            info->GetDocumentation(var->memid, &name, &help, nullptr, nullptr);
            std::printf("  const %s = %ld \"%s\"\n", Narrow(name).c_str(), V_I4(var->lpvarValue), Narrow(help).c_str());
            info->ReleaseVarDesc(var);
        }
        for (UINT f = 0; f < type->cFuncs; ++f) {
            FUNCDESC *function = nullptr;
            BSTR names[16];
            UINT named = 0;
            info->GetFuncDesc(f, &function);
            if (!(function->wFuncFlags & FUNCFLAG_FRESTRICTED)) {  // IUnknown's and IDispatch's own are
                info->GetNames(function->memid, names, 16, &named);
                info->GetDocumentation(function->memid, nullptr, &help, &context, nullptr);
                std::printf("  %#lx kind %d %s flags %#x context %lu \"%s\" (", static_cast<unsigned long>(function->memid),
                            function->invkind, Narrow(names[0]).c_str(), function->wFuncFlags, context, Narrow(help).c_str());
                for (SHORT p = 0; p < function->cParams; ++p) {
                    const ELEMDESC &param = function->lprgelemdescParam[p];
                    // A put shares its identifier with the get, whose names GetNames gives.
                    const bool known = function->invkind != INVOKE_PROPERTYPUT && p + 1 < static_cast<SHORT>(named);
                    std::printf("%s%s %s %#x", p ? ", " : "", known ? Narrow(names[p + 1]).c_str() : "-",
                                TypeText(info, param.tdesc).c_str(), param.paramdesc.wParamFlags);
                }
                std::printf(")\n");
            }
            info->ReleaseFuncDesc(function);
        }
        info->ReleaseTypeAttr(type);
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
    else if (command == L"atlhost") result = AtlHost();
    else if (command == L"about") result = AboutBox();
    else std::printf("usage: server_client events FILE | protocol OCX FILE | typelib OCX | container OCX FILE | atlhost | about\n");
    CoUninitialize();
    return result;
}
