// The control's life as its container drives it: creation, defaults, saved
// state, painting, sizing and destruction, and the read-only members that
// belong to it (Channels, DeviceName). No notification reports a failure.
#include "equalizer/Equalizer.h"
#include "player/CVMP3Player.h"
#include "player/PlayerBitmaps.h"
#include "playlist/PlayListEntry.h"
#include "runtime/AutomationError.h"
#include "runtime/BitmapResource.h"
#include "runtime/ControlSite.h"
#include "runtime/NotifyWindow.h"
#include "runtime/PropertyBag.h"
#include "runtime/Timer.h"

namespace corvane::player {

using runtime::Absorb;
using runtime::AbsorbOr;
using runtime::Variant;

namespace {

// Saved-state keys, in the order they are read and written, with defaults.
constexpr char16_t kFileNameKey[] = u"FileName";
constexpr char16_t kChannelsKey[] = u"Channels";
constexpr char16_t kChangeIntervalKey[] = u"ChangeInterval";
constexpr char16_t kDeviceNameKey[] = u"DeviceName";
constexpr char16_t kPlaybackRateKey[] = u"PlaybackRate";

const Variant kFileNameDefault{Text{}};
const Variant kChannelsDefault{int16_t{2}};
const Variant kChangeIntervalDefault{int16_t{100}};
const Variant kDeviceNameDefault{kDefaultDeviceName};
const Variant kPlaybackRateDefault{int16_t{1}};  // read back as the Single 1.0

constexpr int32_t kControlPixels = 32;

constexpr char16_t kReadOnlyTitle[] = u"CorvaneMP3Player Property is Read-Only";
constexpr char16_t kChannelsReadOnly[] =
    u"The number of channels is read-only.  Channels are determined by your hardware.";
constexpr char16_t kDeviceNameReadOnly[] =
    u"The device name is read-only.  The device name is determined by your hardware.";

}  // namespace

// The player itself calls nothing in the library here; disabling the new
// equalizer is the equalizer's own eq_state(0).
void CVMP3Player::Initialize() {
    if (initialized_) return;
    initialized_ = true;
    Absorb([&] { equalizer_ = equalizer::Equalizer::Create(library_); });
    Absorb([&] { equalizer_->SetEnabled(false); });
    Absorb([&] { entry_ = std::make_shared<playlist::PlayListEntry>(library_); });
}

void CVMP3Player::InitProperties() {
    filename_.clear();
    channelCount_ = 2;
    interval_ = 100;
    deviceName_ = kDefaultDeviceName;
    playbackRate_ = 1.0f;
}

// The file name is stored as saved: the file is not opened and the entry is
// not told, so the stream information stays empty until Filename is set.
void CVMP3Player::ReadProperties(runtime::PropertyBag &bag) {
    Absorb([&] { filename_ = bag.ReadProperty(kFileNameKey, kFileNameDefault).ToText(); });
    Absorb([&] { channelCount_ = bag.ReadProperty(kChannelsKey, kChannelsDefault).ToInteger(); });
    Absorb([&] { interval_ = bag.ReadProperty(kChangeIntervalKey, kChangeIntervalDefault).ToInteger(); });
    Absorb([&] { deviceName_ = bag.ReadProperty(kDeviceNameKey, kDeviceNameDefault).ToText(); });
    Absorb([&] { playbackRate_ = bag.ReadProperty(kPlaybackRateKey, kPlaybackRateDefault).ToSingle(); });
}

void CVMP3Player::WriteProperties(runtime::PropertyBag &bag) {
    Absorb([&] { bag.WriteProperty(kFileNameKey, Variant(filename_), kFileNameDefault); });
    Absorb([&] { bag.WriteProperty(kChannelsKey, Variant(channelCount_), kChannelsDefault); });
    Absorb([&] { bag.WriteProperty(kChangeIntervalKey, Variant(interval_), kChangeIntervalDefault); });
    Absorb([&] { bag.WriteProperty(kDeviceNameKey, Variant(deviceName_), kDeviceNameDefault); });
    Absorb([&] { bag.WriteProperty(kPlaybackRateKey, Variant(playbackRate_), kPlaybackRateDefault); });
}

void CVMP3Player::Paint() {
    Absorb([&] {
        const runtime::Bitmap *image = runtime::FindBitmapResource(kControlBitmapName);
        if (image) site_.DrawBitmap(*image, 0, 0);
    });
}

// Whatever the container asks, the control stays exactly its 32 x 32 image.
void CVMP3Player::Resize(int32_t /*widthTwips*/, int32_t /*heightTwips*/) {
    Absorb([&] {
        site_.SetExtent(kControlPixels * site_.TwipsPerPixelX(), kControlPixels * site_.TwipsPerPixelY());
    });
}

void CVMP3Player::Terminate() {
    if (terminated_) return;
    terminated_ = true;
    if (HasFile() && IsPlaying()) Absorb([&] { library_->StopPlaying(); });
    // The design surface's children go with the control: no tick or status
    // poll reaches a terminated player.
    Absorb([&] { tmrIsFinished_.reset(); });
    Absorb([&] { hWndProvider_.reset(); });
    entry_.reset();
    // A host may still hold the equalizer; it keeps it empty.
    Absorb([&] {
        if (equalizer_) equalizer_->Clear();
    });
    equalizer_.reset();
}

int16_t CVMP3Player::Channels() const {
    if (!HasFile()) return 0;
    Text mode = AbsorbOr<Text>({}, [&] { return Entry().ChannelMode(); });
    return mode.find(u"Single") != Text::npos ? 1 : 2;
}

void CVMP3Player::SetChannels(int16_t & /*newChannels*/) {
    ShowReadOnlyMessage(kChannelsKey, kChannelsReadOnly);
}

void CVMP3Player::SetDeviceName(Text & /*newDeviceName*/) {
    ShowReadOnlyMessage(kDeviceNameKey, kDeviceNameReadOnly);
}

// The value is kept; the container still counts the saved state as changed,
// and only a form designer shows why nothing happened.
void CVMP3Player::ShowReadOnlyMessage(const Text &property, const Text &message) {
    Absorb([&] { site_.PropertyChanged(property); });
    bool userMode = AbsorbOr<bool>(true, [&] { return site_.UserMode(); });
    if (userMode) return;
    Absorb([&] { site_.MessageBox(message, kReadOnlyTitle, runtime::kOkOnly | runtime::kInformation); });
}

}  // namespace corvane::player
