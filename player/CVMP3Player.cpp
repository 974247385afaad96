// Playback: the current file, the transport commands, seeking and the finish
// timer.
#include "player/CVMP3Player.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include "common/ErrorCatalogue.h"
#include "equalizer/Equalizer.h"
#include "player/PlayerBitmaps.h"
#include "playlist/PlayListEntry.h"
#include "runtime/AutomationError.h"
#include "runtime/ControlSite.h"
#include "runtime/NotifyWindow.h"
#include "runtime/Timer.h"

namespace corvane::player {

using runtime::Absorb;
using runtime::AbsorbOr;

namespace {

// The automation runtime's conversion to Single: a finite value beyond the
// float range overflows instead of becoming infinite.
float ToSingleChecked(double value) {
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max())
        throw std::overflow_error("Overflow.");
    return static_cast<float>(value);
}

}  // namespace

CVMP3Player::CVMP3Player(runtime::ControlSite &site, decoder::DecoderLibraryRef library)
    : site_(site), library_(std::move(library)), deviceName_(kDefaultDeviceName) {
    RegisterPlayerBitmaps();
    // The two child objects of the design surface come with the control.
    tmrIsFinished_ = site_.CreateTimer([this] { OnFinishTimerTick(); });
    tmrIsFinished_->SetInterval(kFinishTimerMilliseconds);
    tmrIsFinished_->SetEnabled(false);
    hWndProvider_ = site_.CreateNotifyWindow([this] { OnStatusPoll(); });
    Initialize();
}

CVMP3Player::~CVMP3Player() {
    Terminate();
}

playlist::PlayListEntry &CVMP3Player::Entry() const {
    if (!entry_) throw std::logic_error("the player has no file-information entry");
    return *entry_;
}

void CVMP3Player::SetFinishTimer(bool enabled) {
    if (tmrIsFinished_) Absorb([&] { tmrIsFinished_->SetEnabled(enabled); });
}

void CVMP3Player::SetFilename(Text newFileName) {
    if (newFileName == filename_) return;
    if (IsPlaying()) PlayStop();
    filename_ = std::move(newFileName);
    int32_t result = AbsorbOr<int32_t>(0, [&] {
        Text name = filename_;
        return Entry().SetFileName(name);
    });
    if (result != 0) {
        filename_.clear();
        return;
    }
    Absorb([&] { site_.PropertyChanged(u"FileName"); });
}

void CVMP3Player::PlayStart() {
    StartPlayback([&](const std::string &path) { return library_->Play(path.c_str()); });
}

void CVMP3Player::PlayFadeIn(double &attackTime) {
    StartPlayback([&](const std::string &path) {
        return library_->FadeIn(path.c_str(), ToSingleChecked(attackTime));
    });
}

// The common steps of PlayStart and PlayFadeIn: a paused track resumes without
// a new start; otherwise any playback stops, the interval and the notification
// handle go out, and `start` either fails with the library's error or leaves
// the player Playing.
void CVMP3Player::StartPlayback(const std::function<int16_t(const std::string &path)> &start) {
    if (!HasFile()) return;
    if (IsPaused()) {
        Absorb([&] { library_->ContinuePlaying(); });
        paused_ = false;
        playing_ = true;
        return;
    }
    if (IsPlaying()) PlayStop();
    Absorb([&] { library_->SetVuInterval(&interval_); });
    Absorb([&] {
        CorvaneNotifyHandle handle = hWndProvider_ ? hWndProvider_->Handle() : nullptr;
        library_->PlayMp3(0, handle);
    });
    int16_t result = AbsorbOr<int16_t>(0, [&] { return start(runtime::ToSystemText(filename_)); });
    if (result != 0) common::RaiseCatalogued(result);
    paused_ = false;
    playing_ = true;
    SetFinishTimer(true);
}

void CVMP3Player::PlayPause() {
    if (IsPaused() || !IsPlaying()) return;
    Absorb([&] { library_->PausePlaying(); });
    paused_ = true;
}

void CVMP3Player::PlayStop() {
    if (!IsPlaying()) return;
    paused_ = false;
    playing_ = false;
    SetFinishTimer(false);
    Absorb([&] { library_->StopPlaying(); });
}

void CVMP3Player::PlayFadeOut(float &decayTime) {
    if (!(decayTime > 0)) return;  // also a time that is not a number
    if (decayTime > 20) decayTime = 20;
    if (!IsPlaying()) return;
    if (IsPaused()) Absorb([&] { library_->ContinuePlaying(); });
    Absorb([&] { library_->FadeOut(decayTime); });
    // The end of the fade arrives through the status poll.
    SetFinishTimer(false);
}

double CVMP3Player::TrackPosition(CorvaneMP3Seek &from) const {
    switch (from) {
    case corMP3SeekFromBeginning:
        return position_;
    case corMP3SeekFromEnd:
        return AbsorbOr<double>(0, [&] { return Entry().TrackLength() - position_; });
    default:
        return 0;
    }
}

void CVMP3Player::SetTrackPosition(CorvaneMP3Seek &from, double newTrackPosition) {
    if (!IsPlaying()) return;
    double length = AbsorbOr<double>(0, [&] { return static_cast<double>(Entry().TrackLength()); });
    double target = 0;
    switch (from) {
    case corMP3SeekFromBeginning:
        target = newTrackPosition;
        break;
    case corMP3SeekFromCurrent:
        target = position_ + newTrackPosition;
        break;
    case corMP3SeekFromEnd:
        target = length + newTrackPosition;
        break;
    default:
        target = 0;
        break;
    }
    if (std::isnan(target) || target < 0)
        target = 0;
    else if (target > length)
        target = length;
    Absorb([&] { library_->SeekPlaying(target); });
    position_ = target;
}

void CVMP3Player::RaiseFinishedPlaying() {
    // A handler's own failure stays with the handler.
    Absorb([&] { site_.RaiseEvent(kFinishedPlayingId, kFinishedPlayingName); });
}

// The guard keeps a tick from running inside another one when a
// FinishedPlaying handler pumps messages.
void CVMP3Player::OnFinishTimerTick() {
    if (tickGuard_) return;
    tickGuard_ = true;
    bool wasPlaying = IsPlaying();
    int16_t finished = AbsorbOr<int16_t>(0, [&] { return library_->IsFinished(); });
    if (wasPlaying && finished == 1) {
        paused_ = false;
        playing_ = false;
        RaiseFinishedPlaying();
    }
    tickGuard_ = false;
}

}  // namespace corvane::player
