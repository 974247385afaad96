#pragma once
// A gain that moves linearly to a new value over a number of frames, one
// step per frame; the building block of every click-free change.
#include <cstdint>

namespace corvane::engine {

class DspGainRamp {
public:
    explicit DspGainRamp(float value = 1.0f) : value_(value), target_(value) {}

    void Jump(float value) {
        value_ = target_ = value;
        remaining_ = 0;
    }
    void RampTo(float target, int64_t frames) {
        if (frames <= 0) {
            Jump(target);
            return;
        }
        target_ = target;
        remaining_ = frames;
        step_ = (target - value_) / static_cast<float>(frames);
    }
    // The gain for the next frame.
    float Next() {
        if (remaining_ > 0) value_ = --remaining_ == 0 ? target_ : value_ + step_;
        return value_;
    }

    float Value() const { return value_; }
    float Target() const { return target_; }
    bool Settled() const { return remaining_ == 0; }
    int64_t Remaining() const { return remaining_; }
    bool IsUnity() const { return Settled() && value_ == 1.0f; }

private:
    float value_;
    float target_;
    float step_ = 0.0f;
    int64_t remaining_ = 0;
};

}  // namespace corvane::engine
