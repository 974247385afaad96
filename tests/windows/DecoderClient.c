/* A plain C client of the decoder library, as a Windows program written
 * against it would be: the DLL loaded with LoadLibrary from the program's own
 * folder, every entry point resolved by its plain name and called through a
 * __stdcall pointer. The Linux build runs the same file through dlopen, so
 * that the harness can compare what both libraries report.
 *
 *   decoder_client exports                 all entry points resolve
 *   decoder_client info FILE...            one line per file: result|text
 *   decoder_client tag FILE...             one line per file: result|hex
 *   decoder_client play FILE               plays it with a window receiving
 *                                          the notifications (Windows only)
 *   decoder_client semantics FOLDER FILE   Windows file rules on copies of FILE
 *   decoder_client compare A.wav B.wav     same length, samples within 1 LSB
 *   decoder_client render FILE             plays FILE into CORVANEMP3_OUTPUT and
 *                                          prints the seconds it took
 *
 * Failures are printed as "FAIL: ..." and give exit status 1. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "decoder/CorvaneMP3.h"

#ifdef _WIN32
#include <windows.h>
#define LIBRARY_FILE "CorvaneMP3.dll"
static double Seconds(void) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}
static void Nap(void) { Sleep(1); }
#else
#include <dlfcn.h>
#include <time.h>
#define LIBRARY_FILE "libCorvaneMP3.so"
static double Seconds(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}
static void Nap(void) {
    const struct timespec pause = {0, 1000000};
    nanosleep(&pause, NULL);
}
#endif

typedef int16_t(CORVANE_CALL *TextCall)(const char *, char *);
typedef int16_t(CORVANE_CALL *SetTagCall)(const char *, const char *);
typedef int32_t(CORVANE_CALL *PlayMp3Call)(int32_t, CorvaneNotifyHandle);
typedef int16_t(CORVANE_CALL *PathCall)(const char *);
typedef int32_t(CORVANE_CALL *VoidCall)(void);
typedef int16_t(CORVANE_CALL *FinishedCall)(void);
typedef int32_t(CORVANE_CALL *StatusCall)(int16_t *, double *, int16_t *, int16_t *, float *);
typedef int32_t(CORVANE_CALL *IntervalCall)(int16_t *);

static const char *const kEntryPoints[] = {
    "play_mp3",    "play",        "fade_in",    "pause_playing",   "continue_playing", "stop_playing",
    "fade_out",    "seek_playing", "is_finished", "get_status",     "set_vu_interval",  "get_id3_tag",
    "set_id3_tag", "get_frame_info", "create_eq", "set_eq",         "set_gain",         "eq_state",
    "get_vis_info"};
enum { kEntryPointCount = sizeof kEntryPoints / sizeof kEntryPoints[0] };

static void *library;
static int failures;

static void Fail(const char *what, const char *detail) {
    printf("FAIL: %s %s\n", what, detail);
    ++failures;
}

#ifdef _WIN32
static int LoadDecoderLibrary(void) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    while (length > 0 && path[length - 1] != L'\\') --length;
    wcscpy(path + length, L"CorvaneMP3.dll");
    library = LoadLibraryW(path);
    return library != NULL;
}
static void *EntryPoint(const char *name) { return (void *)GetProcAddress((HMODULE)library, name); }
#else
static int LoadDecoderLibrary(void) {
    const char *path = getenv("CORVANEMP3_LIBRARY");
    library = dlopen(path ? path : LIBRARY_FILE, RTLD_NOW);
    return library != NULL;
}
static void *EntryPoint(const char *name) { return dlsym(library, name); }
#endif

static int Exports(void) {
    for (int i = 0; i < kEntryPointCount; ++i)
        if (EntryPoint(kEntryPoints[i]) == NULL) Fail("missing entry point", kEntryPoints[i]);
    printf("%d entry points\n", kEntryPointCount);
    return failures == 0;
}

static void Info(int count, char **files) {
    TextCall getFrameInfo = (TextCall)EntryPoint("get_frame_info");
    for (int i = 0; i < count; ++i) {
        char text[201];
        memset(text, 'x', sizeof text);
        const int16_t result = getFrameInfo(files[i], text);
        printf("%d|%.200s\n", result, text);
    }
}

static void Tag(int count, char **files) {
    TextCall getTag = (TextCall)EntryPoint("get_id3_tag");
    for (int i = 0; i < count; ++i) {
        char block[129];
        const int16_t result = getTag(files[i], block);
        printf("%d|", result);
        for (int k = 0; k < 128; ++k) printf("%02x", (unsigned char)block[k]);
        printf("\n");
    }
}

/* Without a notification handle: the time from the start to the end. */
static void Render(const char *file) {
    ((PlayMp3Call)EntryPoint("play_mp3"))(0, NULL);
    FinishedCall isFinished = (FinishedCall)EntryPoint("is_finished");
    const double start = Seconds();
    if (((PathCall)EntryPoint("play"))(file) != 0) {
        Fail("play failed for", file);
        return;
    }
    while (isFinished() != 1) Nap();
    printf("%.4f\n", Seconds() - start);
    ((VoidCall)EntryPoint("stop_playing"))();
}

#ifdef _WIN32
static UINT notifyMessage;
static DWORD mainThread;
static int notifications, offThread;

static LRESULT CALLBACK NotifyProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == notifyMessage) {
        ++notifications;
        if (GetCurrentThreadId() != mainThread) ++offThread;
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

/* Plays FILE into whatever output CORVANEMP3_OUTPUT names, answering the
 * window's messages until the end; counts the notifications and the ends
 * that get_status reports. */
static void Play(const char *file) {
    WNDCLASSW type = {0};
    type.lpfnWndProc = NotifyProc;
    type.lpszClassName = L"CorvaneDecoderClient";
    RegisterClassW(&type);
    HWND window = CreateWindowExW(0, type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    notifyMessage = RegisterWindowMessageA(CORVANE_NOTIFY_MESSAGE);
    mainThread = GetCurrentThreadId();
    if (window == NULL) {
        Fail("no window", "");
        return;
    }
    int16_t interval = 50;
    ((IntervalCall)EntryPoint("set_vu_interval"))(&interval);
    ((PlayMp3Call)EntryPoint("play_mp3"))(0, window);
    const int16_t started = ((PathCall)EntryPoint("play"))(file);
    if (started != 0) {
        char number[16];
        snprintf(number, sizeof number, "%d", started);
        Fail("play returned", number);
        return;
    }
    StatusCall getStatus = (StatusCall)EntryPoint("get_status");
    FinishedCall isFinished = (FinishedCall)EntryPoint("is_finished");
    int ends = 0, polls = 0;
    const DWORD deadline = GetTickCount() + 120000;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        int16_t status = -1;
        double position = 0;
        getStatus(&status, &position, NULL, NULL, NULL);
        ++polls;
        if (status == CORVANE_STATUS_ENDED) ++ends;
        if (status == CORVANE_STATUS_STOPPED && isFinished() == 1) break;
        if (GetTickCount() > deadline) {
            Fail("no end within two minutes", "");
            break;
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_ALLINPUT);
    }
    ((VoidCall)EntryPoint("stop_playing"))();
    MSG message;
    while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    printf("notifications %d, ends %d, off-thread %d\n", notifications, ends, offThread);
    if (ends != 1) Fail("ends reported", "not exactly once");
    if (notifications < 2) Fail("notifications", "fewer than two");
    if (offThread != 0) Fail("notifications", "handled off the window's thread");
    DestroyWindow(window);
}

static void ExpectResult(const char *what, int16_t result, int16_t expected) {
    char detail[64];
    snprintf(detail, sizeof detail, "gave %d, not %d", result, expected);
    if (result != expected) Fail(what, detail);
}

/* Copies of FILE in FOLDER: a read-only one refuses a tag, one held open
 * without sharing is locked, one under a name outside ASCII reads and
 * takes a tag. */
static void Semantics(const char *folder, const char *file) {
    TextCall getFrameInfo = (TextCall)EntryPoint("get_frame_info");
    TextCall getTag = (TextCall)EntryPoint("get_id3_tag");
    SetTagCall setTag = (SetTagCall)EntryPoint("set_id3_tag");
    char block[129] = "TAGWindows title";
    char text[201];
    char path[MAX_PATH];

    snprintf(path, sizeof path, "%s\\read-only.mp3", folder);
    CopyFileA(file, path, FALSE);
    SetFileAttributesA(path, FILE_ATTRIBUTE_READONLY);
    ExpectResult("tag of a read-only file", setTag(path, block), 75);
    ExpectResult("tag read of a read-only file", getTag(path, text), 0);
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);

    snprintf(path, sizeof path, "%s\\held.mp3", folder);
    CopyFileA(file, path, FALSE);
    HANDLE held = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    ExpectResult("tag of a file held without sharing", setTag(path, block), 30074);
    ExpectResult("tag read of a file held without sharing", getTag(path, text), 30074);
    CloseHandle(held);
    ExpectResult("tag once it is let go", setTag(path, block), 0);

    /* "Café.mp3" in the ANSI code page. */
    wchar_t wideFolder[MAX_PATH], wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, folder, -1, wideFolder, MAX_PATH);
    swprintf(wide, MAX_PATH, L"%ls\\Caf\u00e9.mp3", wideFolder);
    wchar_t wideFile[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, file, -1, wideFile, MAX_PATH);
    CopyFileW(wideFile, wide, FALSE);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, path, sizeof path, NULL, NULL);
    ExpectResult("frame information under a name outside ASCII", getFrameInfo(path, text), 1);
    ExpectResult("tag under a name outside ASCII", setTag(path, block), 0);
    ExpectResult("tag read back under a name outside ASCII", getTag(path, text), 0);
    if (memcmp(text, block, 19) != 0) Fail("tag read back", "differs");
    ExpectResult("a missing file", getFrameInfo("Z:\\no\\such\\file.mp3", text), 53);
    ExpectResult("a folder", setTag(folder, block), 75);
    printf("semantics checked\n");
}
#endif

/* The 16-bit samples of a WAV file the engine wrote (a 44-byte header). */
static short *ReadSamples(const char *path, long *count) {
    FILE *file = fopen(path, "rb");
    if (file == NULL) return NULL;
    fseek(file, 0, SEEK_END);
    const long bytes = ftell(file) - 44;
    fseek(file, 44, SEEK_SET);
    short *samples = bytes > 0 ? malloc((size_t)bytes) : NULL;
    *count = samples != NULL ? (long)fread(samples, 2, (size_t)bytes / 2, file) : 0;
    fclose(file);
    return samples;
}

static int Compare(const char *a, const char *b) {
    long countA = 0, countB = 0, differing = 0;
    short *samplesA = ReadSamples(a, &countA), *samplesB = ReadSamples(b, &countB);
    if (samplesA == NULL || samplesB == NULL || countA != countB) {
        printf("FAIL: lengths differ: %ld and %ld samples\n", countA, countB);
        return 1;
    }
    for (long i = 0; i < countA; ++i) differing += abs(samplesA[i] - samplesB[i]) > 1;
    printf("%ld samples, %ld differ by more than one step\n", countA, differing);
    free(samplesA);
    free(samplesB);
    return differing == 0 ? 0 : 1;
}

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: decoder_client exports|info|tag|play|semantics ...\n");
        return 2;
    }
    if (strcmp(argv[1], "compare") != 0 && !LoadDecoderLibrary()) {
        printf("FAIL: cannot load %s\n", LIBRARY_FILE);
        return 1;
    }
    const char *command = argv[1];
    if (strcmp(command, "compare") == 0 && argc == 4) return Compare(argv[2], argv[3]);
    if (!Exports()) return 1;
    if (strcmp(command, "info") == 0) Info(argc - 2, argv + 2);
    else if (strcmp(command, "tag") == 0) Tag(argc - 2, argv + 2);
    else if (strcmp(command, "render") == 0 && argc == 3) Render(argv[2]);
#ifdef _WIN32
    else if (strcmp(command, "play") == 0 && argc == 3) Play(argv[2]);
    else if (strcmp(command, "semantics") == 0 && argc == 4) Semantics(argv[2], argv[3]);
#endif
    else if (strcmp(command, "exports") != 0) {
        fprintf(stderr, "decoder_client: cannot use '%s' here\n", command);
        return 2;
    }
    return failures == 0 ? 0 : 1;
}
