#pragma once
// A player on the recording fake of the decoder library, on a control site
// whose finish timer and notification window the test can fire by hand (they
// still run on the message loop when the test runs it).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/RecordingDecoderLibrary.h"
#include "player/CVMP3Player.h"
#include "support/RecordingControlSite.h"
#include "runtime/MessageLoop.h"
#include "runtime/NotifyWindow.h"
#include "runtime/Timer.h"
#include "support/Fixtures.h"

namespace corvane::player::testing {

class PlayerTestSite : public runtime::RecordingControlSite {
public:
    explicit PlayerTestSite(runtime::MessageLoop &loop) : RecordingControlSite(loop), loop_(loop) {}

    std::unique_ptr<runtime::Timer> CreateTimer(std::function<void()> onTick) override;
    std::unique_ptr<runtime::NotifyWindow> CreateNotifyWindow(std::function<void()> onRepaint) override;

    // Runs the finish timer's tick now, as if it had fired (enabled or not).
    void Tick();
    // Runs the notification window's repaint now.
    void Repaint();
    bool HasTimer() const { return timer_ != nullptr; }
    bool TimerEnabled() const;
    int TimerInterval() const;
    bool HasWindow() const { return window_ != nullptr; }

    int CountEvents(const runtime::Text &name) const {
        return static_cast<int>(std::count(events.begin(), events.end(), name));
    }

private:
    class ObservedTimer;
    class ObservedWindow;
    runtime::MessageLoop &loop_;
    ObservedTimer *timer_ = nullptr;
    ObservedWindow *window_ = nullptr;
};

// Frame-information text of a made-up 200-second stereo file.
inline constexpr char kStereoInfo[] = "1|3|200000|128000|44100|1|2|Joint Stereo|0|1|0|CBR|3200000|7656|200";
using corvane::testing::TagBlock;

class PlayerTest : public ::testing::Test {
protected:
    static constexpr char kSongA[] = "/music/a.mp3";
    static constexpr char kSongB[] = "/music/b.mp3";

    void SetUp() override;

    void SetFile(const std::string &path);
    void StartPlaying();
    // Runs one status poll that reads `status`.
    void Poll(int16_t status);
    // Library calls other than the file calls of the information entry.
    std::vector<std::string> TransportCalls() const;

    runtime::MessageLoop loop;
    PlayerTestSite site{loop};
    std::shared_ptr<decoder::RecordingDecoderLibrary> fake;
    std::unique_ptr<CVMP3Player> player;
};

}  // namespace corvane::player::testing
