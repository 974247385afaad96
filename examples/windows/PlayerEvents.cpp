// PlayerEvents.cpp - the player control from C++, through its interfaces, with
// its events.
//
//   PlayerEvents FILE.mp3
//
// Creates the player by its class identifier, sets the file through the
// default interface (_CVMP3Player, declared in CorvaneMP3TypeLibrary.h),
// connects an event sink for __CVMP3Player, starts playback and runs a
// message loop until FinishedPlaying arrives; the event handler ends the loop
// with PostQuitMessage, as a window program's handler would.
//
// The control raises its events on the thread that created it, through a
// window and a timer of that thread: a single-threaded apartment whose
// thread runs a message loop, as every window program has. A console
// program must run one itself, as this one does.
//
// Register CorvaneMP3.ocx (of this program's architecture) first. With the
// environment variable CORVANEMP3_OUTPUT=null the audio is discarded instead
// of played, for a machine without an audio device.
#include <windows.h>
#include <ocidl.h>

#include <cstdio>

#include "CorvaneMP3TypeLibrary.h"

namespace {

// How long after the end of the track the message loop gives up waiting,
// should FinishedPlaying (and its quit message) never come.
constexpr UINT kGraceMilliseconds = 10000;

// The event sink: an IDispatch the control calls with the event's dispatch
// identifier. It lives on the stack of main, so it counts no references.
class PlayerEvents : public IDispatch {
public:
    int visualizationUpdates = 0;
    bool finished = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID___CVMP3Player) {
            *object = static_cast<IDispatch *>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // The control calls Invoke directly, so no type information is needed.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **info) override {
        *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *,
                                     UINT *) override {
        switch (id) {
        case 1:  // FinishedPlaying: the track has played to its end
            finished = true;
            PostQuitMessage(0);  // ends the message loop in PlayWithEvents
            return S_OK;
        case 2:  // VisualizationUpdate: new VUMeter, wave and spectrum values
            ++visualizationUpdates;
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }
};

// Prints a failed call's HRESULT and, when the control left one, its error
// description.
int Failed(const char *what, HRESULT result) {
    std::printf("%s failed: 0x%08lx", what, static_cast<unsigned long>(result));
    IErrorInfo *error = nullptr;
    BSTR description = nullptr;
    if (GetErrorInfo(0, &error) == S_OK) {
        if (SUCCEEDED(error->GetDescription(&description)) && description != nullptr)
            std::printf(" (%ls)", description);
        SysFreeString(description);
        error->Release();
    }
    std::printf("\n");
    return 1;
}

// Converts a command-line argument (ANSI code page) to a BSTR.
BSTR ToBstr(const char *text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    BSTR result = SysAllocStringLen(nullptr, length > 0 ? length - 1 : 0);
    if (result != nullptr && length > 0) MultiByteToWideChar(CP_ACP, 0, text, -1, result, length);
    return result;
}

// Plays the file with the sink connected; the player is released by main.
int PlayWithEvents(_CVMP3Player *player, const char *file) {
    BSTR name = ToBstr(file);
    HRESULT result = player->put_Filename(name);
    SysFreeString(name);
    if (FAILED(result)) return Failed("put_Filename", result);
    // The player keeps no name of a file it cannot read.
    BSTR kept = nullptr;
    player->get_Filename(&kept);
    const bool readable = kept != nullptr && SysStringLen(kept) > 0;
    SysFreeString(kept);
    if (!readable) return std::printf("cannot play %s: no such file, or not MPEG audio\n", file), 1;
    short length = 0;
    player->get_TrackLength(&length);
    std::printf("%s: %d s\n", file, length);

    // The connection point for the player's events.
    IConnectionPointContainer *container = nullptr;
    result = player->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(&container));
    if (FAILED(result)) return Failed("QueryInterface(IConnectionPointContainer)", result);
    IConnectionPoint *point = nullptr;
    result = container->FindConnectionPoint(DIID___CVMP3Player, &point);
    container->Release();
    if (FAILED(result)) return Failed("FindConnectionPoint(__CVMP3Player)", result);
    PlayerEvents sink;
    DWORD cookie = 0;
    result = point->Advise(&sink, &cookie);
    if (FAILED(result)) {
        point->Release();
        return Failed("Advise", result);
    }

    MSG message{};
    result = player->PlayStart();
    if (SUCCEEDED(result)) {
        std::printf("playing\n");
        // The loop that delivers the control's events, until the sink's
        // quit message ends it; a thread timer gives up should it never come.
        const UINT_PTR giveUp = SetTimer(nullptr, 0, length * 1000u + kGraceMilliseconds, nullptr);
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.hwnd == nullptr && message.message == WM_TIMER && message.wParam == giveUp) break;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        KillTimer(nullptr, giveUp);
    }
    point->Unadvise(cookie);
    point->Release();
    if (FAILED(result)) return Failed("PlayStart", result);
    if (!sink.finished) return std::printf("FinishedPlaying never arrived\n"), 1;
    if (message.message != WM_QUIT) return std::printf("FinishedPlaying arrived, but its quit message did not\n"), 1;
    std::printf("FinishedPlaying arrived\nVisualizationUpdate events: %d\n", sink.visualizationUpdates);
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) return std::fprintf(stderr, "usage: PlayerEvents FILE.mp3\n"), 2;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    HRESULT result = CoInitialize(nullptr);  // a single-threaded apartment
    if (FAILED(result)) return Failed("CoInitialize", result);
    _CVMP3Player *player = nullptr;
    result = CoCreateInstance(CLSID_CVMP3Player, nullptr, CLSCTX_INPROC_SERVER, IID__CVMP3Player,
                              reinterpret_cast<void **>(&player));
    int status = FAILED(result) ? Failed("CoCreateInstance(CVMP3Player); is CorvaneMP3.ocx registered?", result)
                                : PlayWithEvents(player, argv[1]);
    if (player != nullptr) player->Release();
    CoUninitialize();
    return status;
}
