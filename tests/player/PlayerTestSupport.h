#pragma once
// A player on the recording fake of the decoder library, on a control site
// whose finish timer and notification window run only when the test fires
// them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "player/CVMP3Player.h"
#include "runtime/MessageLoop.h"
#include "support/Fixtures.h"
#include "support/RecordingControlSite.h"
#include "support/RecordingDecoderLibrary.h"

namespace corvane::player::testing {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using runtime::Text;

class PlayerTestSite : public runtime::RecordingControlSite {
public:
    using RecordingControlSite::RecordingControlSite;
    std::unique_ptr<runtime::Timer> CreateTimer(std::function<void()> onTick) override {
        return std::make_unique<HandTimer>(*this, std::move(onTick));
    }
    std::unique_ptr<runtime::NotifyWindow> CreateNotifyWindow(std::function<void()> onRepaint) override {
        return std::make_unique<HandWindow>(*this, std::move(onRepaint));
    }
    int32_t TwipsPerPixelX() const override { return twipsX; }
    int32_t TwipsPerPixelY() const override { return twipsY; }

    // The finish timer's tick (enabled or not) and the window's repaint, that
    // is one status poll; empty once the player has let them go.
    std::function<void()> Tick, Repaint;
    int timerInterval = 0;
    bool timerEnabled = false;
    int32_t twipsX = 15, twipsY = 15;

private:
    struct HandTimer : runtime::Timer {
        PlayerTestSite &s;
        HandTimer(PlayerTestSite &site, std::function<void()> tick) : s(site) { s.Tick = std::move(tick); }
        ~HandTimer() override { s.Tick = nullptr; }
        void SetInterval(int milliseconds) override { s.timerInterval = milliseconds; }
        int Interval() const override { return s.timerInterval; }
        void SetEnabled(bool on) override { s.timerEnabled = on; }
        bool Enabled() const override { return s.timerEnabled; }
    };
    struct HandWindow : runtime::NotifyWindow {
        PlayerTestSite &s;
        HandWindow(PlayerTestSite &site, std::function<void()> paint) : s(site) { s.Repaint = std::move(paint); }
        ~HandWindow() override { s.Repaint = nullptr; }
        CorvaneNotifyHandle Handle() override { return reinterpret_cast<CorvaneNotifyHandle>(this); }
        void Invalidate() override {}
    };
};

// Frame-information text of a made-up 200-second stereo file.
inline constexpr char kStereoInfo[] = "1|3|200000|128000|44100|1|2|Joint Stereo|0|1|0|CBR|3200000|7656|200";
using corvane::testing::TagBlock;

class PlayerTest : public ::testing::Test {
protected:
    static constexpr char kSongA[] = "/music/a.mp3";

    void SetUp() override {
        fake->AddFile(kSongA, kStereoInfo, TagBlock({"Song A", "Artist A"}));
        fake->AddFile("/music/b.mp3", kStereoInfo, TagBlock({"Song B", "Artist B"}));
    }
    void SetFile(const std::string &path) { player->SetFilename(runtime::FromUtf8(path)); }
    void StartPlaying() { SetFile(kSongA); player->PlayStart(); }
    // Library calls other than the tag and frame-information calls of the
    // file-information entry; get_status without its output arguments.
    std::vector<std::string> TransportCalls() const {
        std::vector<std::string> result;
        for (const std::string &call : fake->calls)
            if (call.find("id3_tag") == std::string::npos && call.rfind("get_frame_info", 0) != 0)
                result.push_back(call.rfind("get_status", 0) == 0 ? "get_status" : call);
        return result;
    }

    runtime::MessageLoop loop;
    PlayerTestSite site{loop};
    std::shared_ptr<decoder::RecordingDecoderLibrary> fake = std::make_shared<decoder::RecordingDecoderLibrary>();
    std::unique_ptr<CVMP3Player> player = std::make_unique<CVMP3Player>(site, fake);
};

}  // namespace corvane::player::testing
