#pragma once
// The rules of the About box, apart from any window: what it shows when it
// loads, how its background is painted, how the link changes its look, and
// how it finds the system-information program. The Windows dialog
// (about/win32) calls these and draws what they say.
//
// about/ includes only runtime/.
#include <cstdint>
#include <vector>

#include "about/AboutPlatform.h"

namespace corvane::about {

// --- facts ------------------------------------------------------------------
inline constexpr char16_t kLibraryTitle[] = u"CorvaneMP3";
inline constexpr char16_t kMakerAddress[] = u"https://corvanestudio.example/";
inline constexpr char16_t kSoundFile[] = u"\\CorvaneClickz.wav";
inline constexpr uint32_t kSoundFlags = 0x13;  // asynchronous, no default sound, do not stop another
inline constexpr uint32_t kKeyAccess = 0x2003F;
inline constexpr char16_t kNoSysInfo[] = u"System Information Is Unavailable At This Time";
inline constexpr char16_t kDescription[] =
    u"CorvaneMP3 plays and organises MPEG audio files (Layers 1, 2 and 3): a player control with "
    u"visualization data and an equalizer, and a play-list control that keeps extended M3U lists, for "
    u"any container of ActiveX controls on 32-bit Windows, and the cvmp3 host on Linux.";
inline constexpr char16_t kMakerName[] = u"CorvaneStudio";

struct Version {
    int major, minor, revision;
};
// The server's version numbers (the build's).
Version ServerVersion();
// "Version 1.2.0".
Text VersionText(const Version &version);

// --- loading -----------------------------------------------------------------
// 2 to the power planes x bits of the desktop; the product overflowing 32
// bits raises error 6.
double ScreenColours(AboutPlatform &platform);

struct Rect {
    double left = 0, top = 0, width = 0, height = 0;
};

struct LoadedDialog {
    Text caption, title, version;
    bool richPicture = false;  // the 256-colour picture, not the 16-colour one
    double linkLeft = 0;
};

// What the dialog shows after loading, given where its copyright line is.
// The screen colours are read here, and afterwards the opening sound is
// played (its failures ignored).
LoadedDialog LoadDialog(AboutPlatform &platform, const Rect &copyright);
void PlayOpeningSound(AboutPlatform &platform);

// --- painting ------------------------------------------------------------------
enum class SystemColour { White, ButtonFace, ButtonShadow, Highlight3D };

struct PaintStep {
    enum Kind { Fill, Line } kind;
    double x1, y1, x2, y2;  // a filled rectangle's corners, or a line's ends
    SystemColour colour;
    bool operator==(const PaintStep &) const = default;
};

struct PaintLayout {
    double dialogWidth = 0;
    Rect activeX, version, description, disclaimer, icon, icon256, ok;
};

// The middle of the gap between one control and the next: (top + height +
// next top), rounded half to even, halved with the remainder dropped.
int64_t MiddleOfGap(double top, double height, double nextTop);
// The white band, the picture's shadow, the band's edge and the etched rule.
std::vector<PaintStep> PaintSteps(const PaintLayout &layout);

// --- the link ---------------------------------------------------------------------
enum class PointerOver { Link, Elsewhere, Unhandled };
// Whether the link is underlined (its hover look) after the pointer moved.
bool LinkUnderlined(bool underlined, PointerOver where);

// --- system information ----------------------------------------------------------
// Reads one registry value as text into `keyValue`; false (and `keyValue`
// empty) when the key or the value cannot be read.
bool GetKeyValue(AboutPlatform &platform, uint32_t root, const Text &keyName, const Text &valueName, Text &keyValue);
// Starts the system-information program, or says it is unavailable.
void StartSysInfo(AboutPlatform &platform);

}  // namespace corvane::about
