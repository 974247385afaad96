// Visualization: the status poll run by each repaint of the notification
// window, the analysis interval and the accessors of the analysis data.
#include "player/CVMP3Player.h"
#include "runtime/AutomationError.h"
#include "runtime/ControlSite.h"

namespace corvane::player {

using runtime::Absorb;

namespace {

constexpr int16_t kShortestInterval = 10;
constexpr int16_t kLongestInterval = 250;

}  // namespace

// The library writes the status, the position and the three arrays straight
// into the player's own storage.
void CVMP3Player::OnStatusPoll() {
    int16_t status = -1;  // a poll that fails reads as no status at all
    Absorb([&] { library_->GetStatus(&status, &position_, vu_, wave_, spectrum_); });
    switch (status) {
    case CORVANE_STATUS_ENDED:
        paused_ = false;
        playing_ = false;
        RaiseFinishedPlaying();
        SetFinishTimer(true);
        break;
    case CORVANE_STATUS_PLAYING:
        paused_ = false;
        playing_ = true;
        Absorb([&] { site_.RaiseEvent(kVisualizationUpdateId, kVisualizationUpdateName); });
        break;
    case CORVANE_STATUS_PAUSED:
        paused_ = true;
        playing_ = true;
        break;
    case CORVANE_STATUS_STOPPED:
        paused_ = false;
        playing_ = false;
        break;
    default:
        break;
    }
}

void CVMP3Player::SetChangeInterval(int16_t &newChangeInterval) {
    if (newChangeInterval > kLongestInterval)
        newChangeInterval = kLongestInterval;
    else if (newChangeInterval < kShortestInterval)
        newChangeInterval = kShortestInterval;
    interval_ = newChangeInterval;
    Absorb([&] { library_->SetVuInterval(&interval_); });
    Absorb([&] { site_.PropertyChanged(u"ChangeInterval"); });
}

int CVMP3Player::ChannelSlot(CorvaneMP3Channels &channel) const {
    if (channel < corMP3AllChannels || channelCount_ <= 1)
        channel = corMP3AllChannels;
    else if (channel > corMP3RightChannel)
        channel = corMP3RightChannel;
    return static_cast<int>(channel);
}

int16_t CVMP3Player::VUMeter(CorvaneMP3Channels &channel) const {
    return vu_[ChannelSlot(channel)];
}

int16_t CVMP3Player::GfxWaveFormSample(CorvaneMP3Channels &channel, int16_t &index) const {
    int slot = ChannelSlot(channel);
    if (index < 0 || index >= kWaveSamples) return 0;
    return wave_[slot + kChannelSlots * index];
}

float CVMP3Player::SpectrumAnalysis(CorvaneMP3Channels &channel, int16_t &index) const {
    int slot = ChannelSlot(channel);
    if (index < 0 || index >= kSpectrumBins) return 0;
    return spectrum_[slot + kChannelSlots * index];
}

}  // namespace corvane::player
