// A plain C client of CorvaneMP3.dll, as a Windows program written against
// it would be: the DLL loaded with LoadLibrary from the program's own folder
// and every entry point resolved by its plain name.
//
//   decoder_client FOLDER FILE   the entry points, then the Windows file
//                                rules on copies of FILE made in FOLDER
//
// Failures are printed as "FAIL: ..." and give exit status 1.
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "decoder/CorvaneMP3.h"

typedef int16_t(CORVANE_CALL *TextCall)(const char *, char *);
typedef int16_t(CORVANE_CALL *SetTagCall)(const char *, const char *);

static const char *const kEntryPoints[] = {
    "play_mp3",    "play",          "fade_in",    "pause_playing", "continue_playing", "stop_playing", "fade_out",
    "seek_playing", "is_finished",  "get_status", "set_vu_interval", "get_id3_tag",    "set_id3_tag",
    "get_frame_info", "create_eq",  "set_eq",     "set_gain",      "eq_state",         "get_vis_info"};

static HMODULE library;
static int failures;

static void Expect(const char *what, int result, int expected) {
    if (result != expected) printf("FAIL: %s gave %d, not %d\n", what, result, expected), ++failures;
}

// A read-only copy refuses a tag; one held open without sharing is locked
// until let go; one under a name outside ASCII reads and takes a tag.
static void FileRules(const char *folder, const char *file) {
    TextCall getFrameInfo = (TextCall)GetProcAddress(library, "get_frame_info");
    TextCall getTag = (TextCall)GetProcAddress(library, "get_id3_tag");
    SetTagCall setTag = (SetTagCall)GetProcAddress(library, "set_id3_tag");
    char block[129] = "TAGWindows title";
    char text[201];
    char path[MAX_PATH];

    snprintf(path, sizeof path, "%s\\read-only.mp3", folder);
    CopyFileA(file, path, FALSE);
    SetFileAttributesA(path, FILE_ATTRIBUTE_READONLY);
    Expect("tag of a read-only file", setTag(path, block), 75);
    Expect("tag read of a read-only file", getTag(path, text), 0);
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);

    snprintf(path, sizeof path, "%s\\held.mp3", folder);
    CopyFileA(file, path, FALSE);
    HANDLE held = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    Expect("tag of a file held without sharing", setTag(path, block), 30074);
    Expect("tag read of a file held without sharing", getTag(path, text), 30074);
    CloseHandle(held);
    Expect("tag once it is let go", setTag(path, block), 0);

    // "Café.mp3" in the ANSI code page.
    wchar_t wideFolder[MAX_PATH], wide[MAX_PATH], wideFile[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, folder, -1, wideFolder, MAX_PATH);
    MultiByteToWideChar(CP_ACP, 0, file, -1, wideFile, MAX_PATH);
    swprintf(wide, MAX_PATH, L"%ls\\Caf\u00e9.mp3", wideFolder);
    CopyFileW(wideFile, wide, FALSE);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, path, sizeof path, NULL, NULL);
    Expect("frame information under a name outside ASCII", getFrameInfo(path, text), 1);
    Expect("tag under a name outside ASCII", setTag(path, block), 0);
    Expect("tag read back under a name outside ASCII", getTag(path, text), 0);
    Expect("the tag read back is the one written", memcmp(text, block, 19), 0);
    Expect("a missing file", getFrameInfo("Z:\\no\\such\\file.mp3", text), 53);
    Expect("a folder", setTag(folder, block), 75);
}

int main(int argc, char **argv) {
    if (argc != 3) return fprintf(stderr, "usage: decoder_client FOLDER FILE\n"), 2;
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    while (length > 0 && path[length - 1] != L'\\') --length;
    wcscpy(path + length, L"CorvaneMP3.dll");
    if ((library = LoadLibraryW(path)) == NULL) return printf("FAIL: cannot load CorvaneMP3.dll\n"), 1;
    for (size_t i = 0; i < sizeof kEntryPoints / sizeof kEntryPoints[0]; ++i)
        if (GetProcAddress(library, kEntryPoints[i]) == NULL) printf("FAIL: no entry point %s\n", kEntryPoints[i]), ++failures;
    if (failures == 0) FileRules(argv[1], argv[2]);
    return failures == 0 ? 0 : 1;
}
