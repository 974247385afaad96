// The About box's rules against a fake system that records every call.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "about/AboutBox.h"
#include "runtime/AutomationError.h"

namespace corvane::about {
namespace {

class FakeSystem : public AboutPlatform {
public:
    int32_t planes = 1, bits = 32, waveDevices = 1;
    std::map<Text, RegistryValue> registry;  // "key|value"
    std::vector<Text> files, startable;
    std::vector<std::string> calls;

    int32_t DesktopCapability(uint32_t index) override { return index == kColourPlanes ? planes : bits; }
    KeyHandle OpenKey(uint32_t, const Text &name, uint32_t access) override {
        calls.push_back("open " + runtime::ToUtf8(name) + " " + std::to_string(access));
        return std::ranges::any_of(registry, [&](auto &item) { return item.first.starts_with(name + u"|"); }) ? 1 : 0;
    }
    std::optional<RegistryValue> QueryValue(KeyHandle, const Text &name, uint32_t) override {
        auto found = std::ranges::find_if(registry, [&](auto &item) { return item.first.ends_with(u"|" + name); });
        return found == registry.end() ? std::nullopt : std::optional(found->second);
    }
    void CloseKey(KeyHandle) override { calls.push_back("close"); }
    bool StartProgram(const Text &path) override {
        return calls.push_back("start " + runtime::ToUtf8(path)), std::ranges::count(startable, path) > 0;
    }
    bool FileExists(const Text &path) override {
        return calls.push_back("exists " + runtime::ToUtf8(path)), std::ranges::count(files, path) > 0;
    }
    void ShowMessage(const Text &text) override { calls.push_back("message " + runtime::ToUtf8(text)); }
    int32_t WaveOutputDevices() override { return calls.push_back("devices"), waveDevices; }
    Text WindowsDirectory(uint32_t) override { return calls.push_back("windir"), u"C:\\WINDOWS"; }
    void PlaySoundFile(const Text &file, uint32_t flags) override {
        calls.push_back("sound '" + runtime::ToUtf8(file) + "' " + std::to_string(flags));
    }
    void OpenWithShell(const Text &address) override { calls.push_back("open " + runtime::ToUtf8(address)); }
    void ProcessPendingMessages() override { calls.push_back("pump"); }
};

AboutPlatform::RegistryValue Text16(const std::u16string &text) {
    AboutPlatform::RegistryValue value{kStringValue, {}, 0};
    for (char16_t c : text) value.data.insert(value.data.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)});
    value.reportedLength = static_cast<uint32_t>(value.data.size());
    return value;
}

TEST(AboutBox, LoadShowsTheTitleVersionAndThePictureForTheScreenAndThenPlaysTheClick) {
    for (auto [bits, rich] : {std::pair{8, false}, {16, true}}) {  // more than 256 colours
        FakeSystem system;
        system.bits = bits;
        system.files = {u"C:\\WINDOWS\\CorvaneClickz.wav"};
        const LoadedDialog dialog = LoadDialog(system, {120, 300, 80, 15});
        EXPECT_EQ(dialog.richPicture, rich) << bits;
        EXPECT_EQ(dialog.version, VersionText(ServerVersion()));
        EXPECT_EQ(dialog.linkLeft, 200);
        EXPECT_EQ(system.calls, (std::vector<std::string>{"pump", "windir", "devices",
                                                          "exists C:\\WINDOWS\\CorvaneClickz.wav",
                                                          "sound 'C:\\WINDOWS\\CorvaneClickz.wav' 19"}));
    }
    EXPECT_EQ(VersionText({1, 2, 30}), u"Version 1.2.30");
    FakeSystem huge;
    huge.planes = 65536, huge.bits = 65536;
    EXPECT_THROW(ScreenColours(huge), runtime::AutomationError);
}

TEST(AboutBox, TheClickIsSilentWithoutADeviceAndStopsOtherSoundWithoutItsFile) {
    FakeSystem noDevice, noFile;
    noDevice.waveDevices = 0;
    PlayOpeningSound(noDevice);
    PlayOpeningSound(noFile);
    EXPECT_EQ(noDevice.calls, (std::vector<std::string>{"windir", "devices"}));
    EXPECT_EQ(noFile.calls.back(), "sound '' 0");
}

TEST(AboutBox, PaintingSplitsAtTheMiddleOfEachGapRoundingHalvesToEven) {
    EXPECT_EQ(MiddleOfGap(10, 5, 0.5), 8);   // 15.5 -> 16
    EXPECT_EQ(MiddleOfGap(10, 5, 1.5), 8);   // 16.5 -> 16
    EXPECT_EQ(MiddleOfGap(10, 5, 2.5), 9);   // 17.5 -> 18
    // Width; the ActiveX line and the version, band edge (40 + 20 + 70) / 2 = 65; the description and the
    // disclaimer, rule (100 + 60 + 181) / 2 = 170; both pictures; the OK button.
    const auto steps = PaintSteps({400, {100, 40, 150, 20}, {100, 70, 150, 15}, {100, 100, 250, 60}, {100, 181, 250, 40},
                                   {10, 10, 43, 233}, {10, 10, 43, 233}, {300, 250, 80, 25}});
    using enum SystemColour;
    EXPECT_EQ(steps.front(), (PaintStep{PaintStep::Fill, 0, 0, 400, 65, White}));
    EXPECT_EQ(steps[2], (PaintStep{PaintStep::Fill, 14, 65, 56, 246, ButtonShadow}));
    EXPECT_EQ(steps[5], (PaintStep{PaintStep::Line, 52, 65, 57, 65, ButtonShadow}));
    EXPECT_EQ(steps.back(), (PaintStep{PaintStep::Line, 100, 171, 180, 171, Highlight3D}));
}

TEST(AboutBox, TheLinkTakesItsHoverLookOverItselfAndLosesItElsewhere) {
    for (bool before : {false, true})
        EXPECT_EQ(std::tuple(LinkUnderlined(before, PointerOver::Link), LinkUnderlined(before, PointerOver::Elsewhere),
                             LinkUnderlined(before, PointerOver::Unhandled)), std::tuple(true, false, before));
}

TEST(AboutBox, KeyValuesReadAsTextNumbersOrTheCallersText) {
    FakeSystem system;
    system.registry[u"K|text"] = Text16(u"C:\\Tools\\msinfo.exe" + std::u16string(1, u'\0'));
    system.registry[u"K|one"] = {kNumberValue, {1, 0, 0, 0}, 4};
    system.registry[u"K|wide"] = {kNumberValue, {0x10, 0x01, 0, 0}, 4};
    system.registry[u"K|bytes"] = {3, {7, 7}, 2};
    for (auto [name, expected] : {std::pair{u"text", u"C:\\Tools\\msinfo.exe"}, {u"one", u"1"}, {u"wide", u"272"},
                                  {u"bytes", u"kept"}}) {  // a value of another type leaves the text alone
        Text value = expected == Text(u"kept") ? u"kept" : u"";
        EXPECT_TRUE(GetKeyValue(system, kLocalMachine, u"K", name, value));
        EXPECT_EQ(value, expected) << runtime::ToUtf8(name);
    }
    Text value = u"old";
    EXPECT_FALSE(GetKeyValue(system, kLocalMachine, u"K", u"absent", value));
    EXPECT_EQ(value, u"");
    EXPECT_FALSE(GetKeyValue(system, kLocalMachine, u"Nowhere", u"PATH", value));
    EXPECT_EQ(system.calls.front(), "open K 131135");
}

TEST(AboutBox, SystemInformationComesFromThePathThenTheFolderElseAMessage) {
    const Text path = u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH";
    const Text folder = u"SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO";
    const std::string message = "message System Information Is Unavailable At This Time";
    struct Case { const char *what; bool havePath, startable, haveFolder, haveFile; std::string last; } cases[] = {
        {"path set but not startable", true, false, true, true, message},
        {"path set", true, true, false, false, "start C:\\msinfo.exe"},
        {"folder with the program", false, true, true, true, "start C:\\Info\\MSINFO32.EXE"},
        {"folder without it", false, true, true, false, message},
        {"neither", false, false, false, false, message},
    };
    for (const Case &c : cases) {
        FakeSystem system;
        if (c.havePath) system.registry[path] = Text16(u"C:\\msinfo.exe");
        if (c.haveFolder) system.registry[folder] = Text16(u"C:\\Info");
        if (c.startable) system.startable = {u"C:\\msinfo.exe", u"C:\\Info\\MSINFO32.EXE"};
        if (c.haveFile) system.files = {u"C:\\Info\\MSINFO32.EXE"};
        StartSysInfo(system);
        EXPECT_EQ(system.calls.back(), c.last) << c.what;
        const bool askedFolder = std::count(system.calls.begin(), system.calls.end(),
                                            "open SOFTWARE\\Microsoft\\Shared Tools Location 131135") > 0;
        EXPECT_EQ(askedFolder, !c.havePath) << c.what;
    }
}

}  // namespace
}  // namespace corvane::about
