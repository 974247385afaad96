#include "engine/dsp/DspEqualizer.h"

#include <algorithm>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace corvane::engine {

namespace {

// While a ramp runs, the coefficients move every this many frames.
constexpr size_t kRampStepFrames = 32;

float Mix(float from, float to, float t) { return from + (to - from) * t; }

Biquad Mix(const Biquad &from, const Biquad &to, float t) {
    return {Mix(from.b0, to.b0, t), Mix(from.b1, to.b1, t), Mix(from.b2, to.b2, t), Mix(from.a1, to.a1, t),
            Mix(from.a2, to.a2, t)};
}

// Transposed direct form II, one channel of one section.
[[maybe_unused]] inline float Filter(const Biquad &c, float x, float &z1, float &z2) {
    const float y = c.b0 * x + z1;
    z1 = c.b1 * x - c.a1 * y + z2;
    z2 = c.b2 * x - c.a2 * y;
    return y;
}

}  // namespace

DspEqualizer::DspEqualizer(int rampFrames) : rampFrames_(std::max(rampFrames, 1)) {}

void DspEqualizer::Snap(const std::array<Biquad, kMaxBands> &sections) {
    current_ = to_ = sections;
    ramping_ = false;
    state_ = {};
    CollectActiveSections();
}

void DspEqualizer::RampTo(const std::array<Biquad, kMaxBands> &sections) {
    from_ = current_;
    to_ = sections;
    rampDone_ = 0;
    ramping_ = true;
    CollectActiveSections();
}

void DspEqualizer::Process(float *stereo, size_t frames) {
    size_t done = 0;
    while (done < frames) {
        size_t count = frames - done;
        if (ramping_) {
            count = std::min(count, kRampStepFrames);
            AdvanceRamp(count);
        }
        if (activeCount_ > 0) RunSections(stereo + 2 * done, count);
        done += count;
    }
}

void DspEqualizer::AdvanceRamp(size_t frames) {
    rampDone_ += static_cast<int>(frames);
    if (rampDone_ >= rampFrames_) {
        current_ = to_;
        ramping_ = false;
        CollectActiveSections();
        return;
    }
    const float t = static_cast<float>(rampDone_) / static_cast<float>(rampFrames_);
    for (int i = 0; i < activeCount_; ++i) {
        const int band = active_[i];
        current_[band] = Mix(from_[band], to_[band], t);
    }
}

void DspEqualizer::CollectActiveSections() {
    activeCount_ = 0;
    for (int band = 0; band < kMaxBands; ++band) {
        const bool used = !current_[band].IsIdentity() || (ramping_ && !to_[band].IsIdentity());
        if (used) {
            active_[activeCount_++] = static_cast<uint8_t>(band);
        } else {
            state_[band] = {};
        }
    }
}

#if defined(__SSE2__)

namespace {

struct PackedSection {
    __m128 b0, b1, b2, a1, a2, z1, z2;
};

// Frame by frame through every section, left and right side by side in one
// register: the sections' recurrences overlap in the processor instead of
// each waiting for its own previous sample.
void RunPackedPlain(PackedSection *sections, int count, float *stereo, size_t frames) {
    for (size_t frame = 0; frame < frames; ++frame) {
        double *pair = reinterpret_cast<double *>(stereo + 2 * frame);
        __m128 x = _mm_castpd_ps(_mm_load_sd(pair));
        for (int i = 0; i < count; ++i) {
            PackedSection &p = sections[i];
            const __m128 y = _mm_add_ps(_mm_mul_ps(p.b0, x), p.z1);
            p.z1 = _mm_add_ps(_mm_sub_ps(_mm_mul_ps(p.b1, x), _mm_mul_ps(p.a1, y)), p.z2);
            p.z2 = _mm_sub_ps(_mm_mul_ps(p.b2, x), _mm_mul_ps(p.a2, y));
            x = y;
        }
        _mm_store_sd(pair, _mm_castps_pd(x));
    }
}

// The same with fused multiply-adds, on processors that have them.
__attribute__((target("fma"))) void RunPackedFused(PackedSection *sections, int count, float *stereo, size_t frames) {
    for (size_t frame = 0; frame < frames; ++frame) {
        double *pair = reinterpret_cast<double *>(stereo + 2 * frame);
        __m128 x = _mm_castpd_ps(_mm_load_sd(pair));
        for (int i = 0; i < count; ++i) {
            PackedSection &p = sections[i];
            const __m128 y = _mm_fmadd_ps(p.b0, x, p.z1);
            p.z1 = _mm_fnmadd_ps(p.a1, y, _mm_fmadd_ps(p.b1, x, p.z2));
            p.z2 = _mm_fnmadd_ps(p.a2, y, _mm_mul_ps(p.b2, x));
            x = y;
        }
        _mm_store_sd(pair, _mm_castps_pd(x));
    }
}

using PackedRunner = void (*)(PackedSection *, int, float *, size_t);

PackedRunner ChooseRunner() { return __builtin_cpu_supports("fma") ? RunPackedFused : RunPackedPlain; }

}  // namespace

void DspEqualizer::RunSections(float *stereo, size_t frames) {
    static const PackedRunner run = ChooseRunner();
    std::array<PackedSection, kMaxBands> sections;
    for (int i = 0; i < activeCount_; ++i) {
        const Biquad &c = current_[active_[i]];
        const SectionState &s = state_[active_[i]];
        sections[i] = {_mm_set1_ps(c.b0), _mm_set1_ps(c.b1), _mm_set1_ps(c.b2), _mm_set1_ps(c.a1), _mm_set1_ps(c.a2),
                       _mm_setr_ps(s.left.z1, s.right.z1, 0.0f, 0.0f), _mm_setr_ps(s.left.z2, s.right.z2, 0.0f, 0.0f)};
    }
    run(sections.data(), activeCount_, stereo, frames);
    for (int i = 0; i < activeCount_; ++i) {
        alignas(16) float z1[4], z2[4];
        _mm_store_ps(z1, sections[i].z1);
        _mm_store_ps(z2, sections[i].z2);
        state_[active_[i]] = {{z1[0], z2[0]}, {z1[1], z2[1]}};
    }
}

#else

void DspEqualizer::RunSections(float *stereo, size_t frames) {
    for (size_t frame = 0; frame < frames; ++frame) {
        float *sample = stereo + 2 * frame;
        for (int i = 0; i < activeCount_; ++i) {
            const Biquad &c = current_[active_[i]];
            SectionState &s = state_[active_[i]];
            sample[0] = Filter(c, sample[0], s.left.z1, s.left.z2);
            sample[1] = Filter(c, sample[1], s.right.z1, s.right.z2);
        }
    }
}

#endif

}  // namespace corvane::engine
