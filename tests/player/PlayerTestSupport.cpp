#include "PlayerTestSupport.h"

#include "runtime/Text.h"

namespace corvane::player::testing {

class PlayerTestSite::ObservedTimer : public runtime::Timer {
public:
    ObservedTimer(PlayerTestSite &site, runtime::MessageLoop &loop, std::function<void()> onTick)
        : site_(site), onTick_(std::move(onTick)), real_(runtime::MakeLoopTimer(loop, [this] { onTick_(); })) {
        site_.timer_ = this;
    }
    ~ObservedTimer() override {
        if (site_.timer_ == this) site_.timer_ = nullptr;
    }
    void SetInterval(int milliseconds) override { real_->SetInterval(milliseconds); }
    int Interval() const override { return real_->Interval(); }
    void SetEnabled(bool enabled) override { real_->SetEnabled(enabled); }
    bool Enabled() const override { return real_->Enabled(); }
    void Fire() { onTick_(); }

private:
    PlayerTestSite &site_;
    std::function<void()> onTick_;
    std::unique_ptr<runtime::Timer> real_;
};

class PlayerTestSite::ObservedWindow : public runtime::NotifyWindow {
public:
    ObservedWindow(PlayerTestSite &site, runtime::MessageLoop &loop, std::function<void()> onRepaint)
        : site_(site), onRepaint_(std::move(onRepaint)),
          real_(runtime::MakeLoopNotifyWindow(loop, [this] { onRepaint_(); })) {
        site_.window_ = this;
    }
    ~ObservedWindow() override {
        if (site_.window_ == this) site_.window_ = nullptr;
    }
    CorvaneNotifyHandle Handle() override { return real_->Handle(); }
    void Invalidate() override { real_->Invalidate(); }
    void Fire() { onRepaint_(); }

private:
    PlayerTestSite &site_;
    std::function<void()> onRepaint_;
    std::unique_ptr<runtime::NotifyWindow> real_;
};

std::unique_ptr<runtime::Timer> PlayerTestSite::CreateTimer(std::function<void()> onTick) {
    return std::make_unique<ObservedTimer>(*this, loop_, std::move(onTick));
}

std::unique_ptr<runtime::NotifyWindow> PlayerTestSite::CreateNotifyWindow(std::function<void()> onRepaint) {
    return std::make_unique<ObservedWindow>(*this, loop_, std::move(onRepaint));
}

void PlayerTestSite::Tick() {
    ASSERT_NE(timer_, nullptr) << "the player has no finish timer";
    timer_->Fire();
}

void PlayerTestSite::Repaint() {
    ASSERT_NE(window_, nullptr) << "the player has no notification window";
    window_->Fire();
}

bool PlayerTestSite::TimerEnabled() const { return timer_ && timer_->Enabled(); }
int PlayerTestSite::TimerInterval() const { return timer_ ? timer_->Interval() : -1; }

void PlayerTest::SetUp() {
    fake = std::make_shared<decoder::RecordingDecoderLibrary>();
    fake->AddFile(kSongA, kStereoInfo, TagBlock({"Song A", "Artist A"}));
    fake->AddFile(kSongB, kStereoInfo, TagBlock({"Song B", "Artist B"}));
    player = std::make_unique<CVMP3Player>(site, fake);
}

void PlayerTest::SetFile(const std::string &path) {
    player->SetFilename(runtime::FromUtf8(path));
}

void PlayerTest::StartPlaying() {
    SetFile(kSongA);
    player->PlayStart();
    ASSERT_TRUE(player->IsPlaying());
}

void PlayerTest::Poll(int16_t status) {
    fake->status.status = status;
    site.Repaint();
}

std::vector<std::string> PlayerTest::TransportCalls() const {
    std::vector<std::string> result;
    for (const std::string &call : fake->calls)
        if (call.rfind("get_id3_tag", 0) != 0 && call.rfind("get_frame_info", 0) != 0 &&
            call.rfind("set_id3_tag", 0) != 0)
            result.push_back(call);
    return result;
}

}  // namespace corvane::player::testing
