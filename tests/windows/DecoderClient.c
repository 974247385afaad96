/* A plain C client of the decoder library, as a Windows program written
 * against it would be: the DLL loaded with LoadLibrary from the program's own
 * folder, every entry point resolved by its plain name and called through a
 * __stdcall pointer. The Linux build runs the same file through dlopen, so
 * that the benchmark can time both libraries alike.
 *
 *   decoder_client exports                 all entry points resolve
 *   decoder_client semantics FOLDER FILE   Windows file rules on copies of FILE
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

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: decoder_client exports|render|semantics ...\n");
        return 2;
    }
    if (!LoadDecoderLibrary()) {
        printf("FAIL: cannot load %s\n", LIBRARY_FILE);
        return 1;
    }
    const char *command = argv[1];
    if (!Exports()) return 1;
    if (strcmp(command, "render") == 0 && argc == 3) Render(argv[2]);
#ifdef _WIN32
    else if (strcmp(command, "semantics") == 0 && argc == 4) Semantics(argv[2], argv[3]);
#endif
    else if (strcmp(command, "exports") != 0) {
        fprintf(stderr, "decoder_client: cannot use '%s' here\n", command);
        return 2;
    }
    return failures == 0 ? 0 : 1;
}
