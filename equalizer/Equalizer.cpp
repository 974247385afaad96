#include "equalizer/Equalizer.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "runtime/AutomationError.h"
#include "runtime/Text.h"

namespace corvane::equalizer {

namespace {

constexpr int32_t kBandExists = 30090;
constexpr int32_t kNoSuchBand = 30091;
constexpr int32_t kNoBands = 30092;
constexpr char16_t kBandExistsText[] = u"Frequency band already exists in equalizer.";
constexpr char16_t kNoSuchBandText[] = u"Frequency band does not exist in equalizer.";
constexpr char16_t kNoBandsText[] = u"There are no frequency bands currently assigned to the equalizer.";

// The band errors name no source of their own. The automation runtime fills
// such a source with the project and class name, so the host sees that.
constexpr char16_t kEqualizerSource[] = u"CorvaneMP3.Equalizer";

constexpr float kGainLimit = 20.0f;
constexpr size_t kGainSlots = 32;

[[noreturn]] void RaiseBandError(int32_t number, const char16_t *description) {
    runtime::Raise(number, description, kEqualizerSource);
}

// A band's key: the decimal text of its frequency as a 16-bit integer.
runtime::Text BandKey(int16_t frequency) { return runtime::ToText(static_cast<int64_t>(frequency)); }

float ClampOverallGain(float gain) {
    if (gain > kGainLimit) return kGainLimit;
    if (gain < -kGainLimit) return -kGainLimit;
    return gain;
}

}  // namespace

std::shared_ptr<Equalizer> Equalizer::Create(decoder::DecoderLibraryRef library) {
    if (!library) throw std::invalid_argument("Equalizer needs a decoder library");
    return std::shared_ptr<Equalizer>(new Equalizer(std::move(library)));
}

Equalizer::Equalizer(decoder::DecoderLibraryRef library) : library_(std::move(library)) {}

std::shared_ptr<EqualizerBand> Equalizer::Band(int16_t &value, CorvaneEQBands &selectBy) {
    if (bands_.Count() == 0) RaiseBandError(kNoBands, kNoBandsText);
    std::shared_ptr<EqualizerBand> band;
    if (selectBy == corEQBandsByFrequency) {
        band = bands_.ItemByKey(BandKey(value));
    } else if (selectBy == corEQBandsByIndex) {
        band = bands_.ItemAt(value);
    } else {
        return nullptr;
    }
    if (!band) RaiseBandError(kNoSuchBand, kNoSuchBandText);
    return band;
}

void Equalizer::SetGain(CorvaneMP3Channels &channel, float newValue) {
    const float gain = ClampOverallGain(newValue);
    if (channel == corMP3AllChannels) {
        channelGains_[0] = channelGains_[1] = gain;
    } else if (channel == corMP3LeftChannel) {
        channelGains_[0] = gain;
    } else if (channel == corMP3RightChannel) {
        channelGains_[1] = gain;
    }
    // Sent even when nothing changed and while switched off.
    runtime::Absorb([&] { library_->SetGain(&channelGains_[0], &channelGains_[1]); });
}

float Equalizer::Gain(CorvaneMP3Channels &channel) const {
    switch (channel) {
    case corMP3AllChannels:
        return static_cast<float>((static_cast<double>(channelGains_[0]) + channelGains_[1]) / 2.0);
    case corMP3LeftChannel:
        return channelGains_[0];
    case corMP3RightChannel:
        return channelGains_[1];
    default:
        return 0;
    }
}

void Equalizer::SetEnabled(bool enabled) {
    runtime::Absorb([&] { library_->EqState(enabled ? 1 : 0); });
    enabled_ = enabled;
}

bool Equalizer::Enabled() const { return enabled_; }

void Equalizer::RemoveBand(int16_t frequency) {
    // The removed band may hold the last other reference to this equalizer.
    auto keepAlive = shared_from_this();
    const int32_t position = bands_.PositionOfKey(BandKey(frequency));
    if (position == 0 || !bands_.RemoveAt(position)) RaiseBandError(kNoSuchBand, kNoSuchBandText);
    runtime::Absorb([&] { SendBandLayout(); });
}

void Equalizer::AddBand(int16_t newFrequency) {
    auto band = std::make_shared<EqualizerBand>();
    band->SetParent(shared_from_this());
    band->SetFrequency(newFrequency);  // clamps newFrequency in place
    if (!bands_.Add(band, BandKey(newFrequency))) RaiseBandError(kBandExists, kBandExistsText);
    runtime::Absorb([&] { SendBandLayout(); });
}

int16_t Equalizer::BandCount() const { return static_cast<int16_t>(bands_.Count()); }

std::vector<std::shared_ptr<EqualizerBand>> Equalizer::NewEnum() const { return bands_.Items(); }

void Equalizer::Clear() {
    auto keepAlive = shared_from_this();
    // The library keeps the last layout and gains it was given.
    for (int32_t remaining = bands_.Count(); remaining > 0; --remaining) bands_.RemoveAt(1);
}

void Equalizer::SendBandLayout() {
    const int32_t count = bands_.Count();
    if (count == 0) return;  // no first element to point at
    std::vector<int16_t> frequencies;
    frequencies.reserve(static_cast<size_t>(count));
    for (const auto &band : bands_.Items()) frequencies.push_back(band->GetFrequency());
    library_->CreateEq(frequencies.data(), static_cast<int16_t>(count));
}

void Equalizer::SendBandGains() {
    std::array<float, kGainSlots> gains{};
    const auto bands = bands_.Items();
    const size_t used = std::min(bands.size(), kGainSlots);
    for (size_t i = 0; i < used; ++i) gains[i] = bands[i]->Gain();
    library_->SetEq(gains.data());
}

}  // namespace corvane::equalizer
