#pragma once
// The host's handle on the decoder library's equalization: frequency bands
// with their gains, an overall gain per channel and an on/off switch. Every
// change is sent to the library at once; nothing is read back.
//
// equalizer/ includes common/, runtime/ and decoder/.
#include <cstdint>
#include <memory>
#include <vector>

#include "common/Enumerations.h"
#include "decoder/DecoderLibrary.h"
#include "runtime/KeyedCollection.h"
#include "runtime/Object.h"

namespace corvane::equalizer {

class EqualizerBand;

class Equalizer : public runtime::Object, public std::enable_shared_from_this<Equalizer> {
public:
    static std::shared_ptr<Equalizer> Create(decoder::DecoderLibraryRef library = decoder::DefaultDecoderLibrary());

    // --- the default interface -------------------------------------------
    // The default member. Null for a SelectBy outside the enumeration.
    std::shared_ptr<EqualizerBand> Band(int16_t &value, CorvaneEQBands &selectBy);
    void SetGain(CorvaneMP3Channels &channel, float newValue);
    float Gain(CorvaneMP3Channels &channel) const;
    void SetEnabled(bool enabled);
    bool Enabled() const;
    void RemoveBand(int16_t frequency);
    void AddBand(int16_t newFrequency);
    int16_t BandCount() const;
    // The bands in order (the enumerator's snapshot).
    std::vector<std::shared_ptr<EqualizerBand>> NewEnum() const;
    void Clear();

    // --- component-only ---------------------------------------------------
    void SendBandLayout();
    void SendBandGains();

private:
    explicit Equalizer(decoder::DecoderLibraryRef library);

    decoder::DecoderLibraryRef library_;
    runtime::KeyedCollection<EqualizerBand> bands_;
    float channelGains_[2] = {0, 0};
    bool enabled_ = false;
};

class EqualizerBand : public runtime::Object {
public:
    // --- the default interface -------------------------------------------
    void SetGain(float gain);
    float Gain() const;
    int16_t GetFrequency() const;

    // --- component-only ---------------------------------------------------
    void SetFrequency(int16_t &frequency);
    void SetParent(std::shared_ptr<Equalizer> owner);

private:
    int32_t frequency_ = 0;
    float gain_ = 0;
    std::shared_ptr<Equalizer> owner_;  // counted: Clear breaks the cycle
};

}  // namespace corvane::equalizer
