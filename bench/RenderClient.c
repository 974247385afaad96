/* The render benchmark's client of the decoder library, as a C program
 * written against it would be: on Windows the DLL is loaded with LoadLibrary
 * from the program's own folder and its entry points are called through
 * __stdcall pointers resolved by their plain names; on Linux the same file
 * goes through dlopen (CORVANEMP3_LIBRARY names the library, if set).
 *
 *   render_client FILE   plays FILE into CORVANEMP3_OUTPUT, without a
 *                        notification handle, and prints the seconds it took
 */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "decoder/CorvaneMP3.h"

typedef int32_t(CORVANE_CALL *PlayMp3Call)(int32_t, CorvaneNotifyHandle);
typedef int16_t(CORVANE_CALL *PathCall)(const char *);
typedef int32_t(CORVANE_CALL *VoidCall)(void);
typedef int16_t(CORVANE_CALL *FinishedCall)(void);

#ifdef _WIN32
#include <windows.h>
static HMODULE library;
static int LoadDecoderLibrary(void) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    while (length > 0 && path[length - 1] != L'\\') --length;
    wcscpy(path + length, L"CorvaneMP3.dll");
    library = LoadLibraryW(path);
    return library != NULL;
}
static void *EntryPoint(const char *name) { return (void *)GetProcAddress(library, name); }
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
static void *library;
static int LoadDecoderLibrary(void) {
    const char *path = getenv("CORVANEMP3_LIBRARY");
    library = dlopen(path ? path : "libCorvaneMP3.so", RTLD_NOW);
    return library != NULL;
}
static void *EntryPoint(const char *name) { return dlsym(library, name); }
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

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: render_client FILE\n");
        return 2;
    }
    if (!LoadDecoderLibrary()) {
        fprintf(stderr, "render_client: cannot load the decoder library\n");
        return 1;
    }
    PlayMp3Call playMp3 = (PlayMp3Call)EntryPoint("play_mp3");
    PathCall play = (PathCall)EntryPoint("play");
    FinishedCall isFinished = (FinishedCall)EntryPoint("is_finished");
    VoidCall stopPlaying = (VoidCall)EntryPoint("stop_playing");
    if (!playMp3 || !play || !isFinished || !stopPlaying) {
        fprintf(stderr, "render_client: an entry point is missing\n");
        return 1;
    }
    playMp3(0, NULL);
    const double start = Seconds();
    if (play(argv[1]) != 0) {
        fprintf(stderr, "render_client: cannot play %s\n", argv[1]);
        return 1;
    }
    while (isFinished() != 1) Nap();
    printf("%.4f\n", Seconds() - start);
    stopPlaying();
    return 0;
}
