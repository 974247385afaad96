#include "about/AboutBox.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "CorvaneVersion.h"
#include "runtime/AutomationError.h"

namespace corvane::about {

namespace {

constexpr int32_t kOverflow = 6;
constexpr uint32_t kDirectoryBuffer = 256;
constexpr uint32_t kValueBuffer = 1024;

// Hexadecimal digits of a byte, without leading zeros ("0", "7", "1F").
Text HexDigits(uint8_t byte) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(byte));
    return runtime::FromAscii(digits);
}

// "&h" and hexadecimal digits read as a number and written in decimal, as
// the automation runtime formats such a text: up to four digits are a 16-bit
// number, up to eight a 32-bit one; a text that is no such number stays.
Text FormatHexNumber(const Text &digits) {
    if (digits.empty() || digits.size() > 8) {
        if (digits.size() > 8) runtime::Raise(kOverflow, u"Overflow");
        return u"&h" + digits;
    }
    uint32_t value = 0;
    for (char16_t c : digits) {
        const int digit = c >= u'0' && c <= u'9' ? c - u'0' : c >= u'A' && c <= u'F' ? c - u'A' + 10
                        : c >= u'a' && c <= u'f' ? c - u'a' + 10 : -1;
        if (digit < 0) return u"&h" + digits;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    const int64_t number = digits.size() <= 4 ? int64_t{static_cast<int16_t>(value)} : int64_t{static_cast<int32_t>(value)};
    return runtime::ToText(number);
}

Text TextOfValue(const AboutPlatform::RegistryValue &value) {
    Text text;
    const size_t length = std::min<size_t>(value.reportedLength, value.data.size());
    for (size_t i = 0; i + 1 < length; i += 2)
        text.push_back(static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8)));
    if (!text.empty() && text.back() == u'\0') text.pop_back();
    return text;
}

}  // namespace

Version ServerVersion() { return {CORVANE_VERSION_MAJOR, CORVANE_VERSION_MINOR, CORVANE_VERSION_PATCH}; }

Text VersionText(const Version &version) {
    return u"Version " + runtime::ToText(int64_t{version.major}) + u"." + runtime::ToText(int64_t{version.minor}) +
           u"." + runtime::ToText(int64_t{version.revision});
}

double ScreenColours(AboutPlatform &platform) {
    const int64_t planes = platform.DesktopCapability(kColourPlanes);
    const int64_t bits = platform.DesktopCapability(kBitsPerPixel);
    const int64_t product = planes * bits;
    if (product > std::numeric_limits<int32_t>::max() || product < std::numeric_limits<int32_t>::min())
        runtime::Raise(kOverflow, u"Overflow");
    return std::pow(2.0, static_cast<double>(product));
}

LoadedDialog LoadDialog(AboutPlatform &platform, const Rect &copyright) {
    LoadedDialog dialog;
    dialog.linkLeft = copyright.left + copyright.width;
    dialog.richPicture = ScreenColours(platform) > 256;
    dialog.caption = Text(u"About ") + kLibraryTitle;
    dialog.version = VersionText(ServerVersion());
    dialog.title = kLibraryTitle;
    platform.ProcessPendingMessages();
    PlayOpeningSound(platform);
    return dialog;
}

void PlayOpeningSound(AboutPlatform &platform) {
    runtime::Absorb([&] {
        const Text file = platform.WindowsDirectory(kDirectoryBuffer) + kSoundFile;
        if (platform.WaveOutputDevices() <= 0) return;
        if (!platform.FileExists(file))
            platform.PlaySoundFile({}, 0);
        else
            platform.PlaySoundFile(file, kSoundFlags);
    });
}

int64_t MiddleOfGap(double top, double height, double nextTop) {
    return static_cast<int64_t>(std::nearbyint(top + height + nextTop)) / 2;
}

std::vector<PaintStep> PaintSteps(const PaintLayout &l) {
    using enum SystemColour;
    const double edge = static_cast<double>(MiddleOfGap(l.activeX.top, l.activeX.height, l.version.top));
    const double shadowLeft = l.icon256.left + 4, shadowTop = l.icon256.top + 4;
    const double shadowRight = l.icon256.left + l.icon256.width + 3, shadowBottom = l.icon256.top + l.icon256.height + 3;
    const double crossLeft = l.icon.left + l.icon256.width - 1, crossRight = shadowRight + 1;
    const double rule = static_cast<double>(MiddleOfGap(l.description.top, l.description.height, l.disclaimer.top));
    const double ruleRight = l.version.left + l.ok.width;
    return {
        {PaintStep::Fill, 0, 0, l.dialogWidth, edge, White},
        {PaintStep::Fill, shadowLeft, shadowTop, shadowRight, edge, ButtonFace},
        {PaintStep::Fill, shadowLeft, edge, shadowRight, shadowBottom, ButtonShadow},
        {PaintStep::Line, 0, edge, l.dialogWidth, edge, ButtonFace},
        {PaintStep::Line, 0, edge + 1, l.dialogWidth, edge + 1, Highlight3D},
        {PaintStep::Line, crossLeft, edge, crossRight, edge, ButtonShadow},
        {PaintStep::Line, crossLeft, edge + 1, crossRight, edge + 1, ButtonFace},
        {PaintStep::Line, l.version.left, rule, ruleRight, rule, ButtonShadow},
        {PaintStep::Line, l.version.left, rule + 1, ruleRight, rule + 1, Highlight3D},
    };
}

bool LinkUnderlined(bool underlined, PointerOver where) {
    switch (where) {
    case PointerOver::Link: return true;
    case PointerOver::Elsewhere: return false;
    case PointerOver::Unhandled: break;
    }
    return underlined;
}

bool GetKeyValue(AboutPlatform &platform, uint32_t root, const Text &keyName, const Text &valueName, Text &keyValue) {
    const AboutPlatform::KeyHandle key = platform.OpenKey(root, keyName, kKeyAccess);
    if (key == 0) {
        keyValue.clear();
        return false;
    }
    const auto value = platform.QueryValue(key, valueName, kValueBuffer);
    if (!value) {
        keyValue.clear();
        platform.CloseKey(key);
        return false;
    }
    if (value->type == kStringValue) {
        keyValue = TextOfValue(*value);
    } else if (value->type == kNumberValue) {
        const size_t length = std::min<size_t>(value->reportedLength, value->data.size());
        size_t kept = length;
        if (kept > 0 && value->data[kept - 1] == 0) --kept;  // the value's bytes are its characters here
        for (size_t i = kept; i > 0; --i) keyValue += HexDigits(value->data[i - 1]);
        keyValue = FormatHexNumber(keyValue);
    }
    platform.CloseKey(key);
    return true;
}

void StartSysInfo(AboutPlatform &platform) {
    bool started = false;
    runtime::Absorb([&] {
        Text path;
        if (GetKeyValue(platform, kLocalMachine, u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", u"PATH", path)) {
            started = platform.StartProgram(path);
            return;
        }
        if (GetKeyValue(platform, kLocalMachine, u"SOFTWARE\\Microsoft\\Shared Tools Location", u"MSINFO", path)) {
            const Text program = path + u"\\MSINFO32.EXE";
            if (platform.FileExists(program)) started = platform.StartProgram(program);
        }
    });
    if (!started) platform.ShowMessage(kNoSysInfo);
}

}  // namespace corvane::about
