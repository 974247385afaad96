#include "equalizer/Equalizer.h"

#include "runtime/AutomationError.h"

namespace corvane::equalizer {

namespace {
constexpr int16_t kLowestFrequency = 1;
constexpr int16_t kHighestFrequency = 22000;
}  // namespace

void EqualizerBand::SetGain(float gain) {
    gain_ = gain;  // any value: band gains are not range-checked
    // A band removed from its equalizer still reports to it; the equalizer
    // then sends the gains of the bands it still holds.
    if (owner_) runtime::Absorb([&] { owner_->SendBandGains(); });
}

float EqualizerBand::Gain() const { return gain_; }

int16_t EqualizerBand::GetFrequency() const { return static_cast<int16_t>(frequency_); }

void EqualizerBand::SetFrequency(int16_t &frequency) {
    if (frequency > kHighestFrequency) {
        frequency = kHighestFrequency;
    } else if (frequency < kLowestFrequency) {
        frequency = kLowestFrequency;
    }
    frequency_ = frequency;
}

void EqualizerBand::SetParent(std::shared_ptr<Equalizer> owner) { owner_ = std::move(owner); }

}  // namespace corvane::equalizer
