// The equalizer and its bands as automation objects. The equalizer is a
// connection-point container for its UpdateEQ event, which is published but
// never raised. Its enumerator is reached by calling NewEnum by name: it
// does not stand under the for-each identifier.

#include "automation/win32/EventSourceObject.h"
#include "automation/win32/ObjectEnumerator.h"
#include "automation/win32/PublishedObjects.h"
#include "automation/win32/WrapperCache.h"
#include "equalizer/Equalizer.h"

namespace corvane::automation {

namespace {

constexpr wchar_t kEqualizerSource[] = L"CorvaneMP3.Equalizer";
constexpr wchar_t kBandSource[] = L"CorvaneMP3.EqualizerBand";

class BandObject final : public DispatchObject<_EqualizerBand> {
public:
    explicit BandObject(std::shared_ptr<equalizer::EqualizerBand> core)
        : DispatchObject(IID__EqualizerBand, kBandSource), core_(std::move(core)) {}
    ~BandObject() override { ForgetWrapper(core_.get()); }

    HRESULT STDMETHODCALLTYPE put_Gain(float value) override {
        return Call([&] { core_->SetGain(value); });
    }
    HRESULT STDMETHODCALLTYPE get_Gain(float *out) override {
        return Call([&] { *out = core_->Gain(); });
    }
    HRESULT STDMETHODCALLTYPE GetFrequency(short *out) override {
        return Call([&] { *out = core_->GetFrequency(); });
    }

private:
    std::shared_ptr<equalizer::EqualizerBand> core_;
};

class EqualizerObject final : public EventSourceObject<_Equalizer> {
public:
    explicit EqualizerObject(std::shared_ptr<equalizer::Equalizer> core)
        : EventSourceObject(CLSID_Equalizer, IID__Equalizer, kEqualizerSource, {&DIID___Equalizer}),
          core_(std::move(core)) {}
    ~EqualizerObject() override { ForgetWrapper(core_.get()); }

    HRESULT STDMETHODCALLTYPE get_Band(short *value, ::CorvaneEQBands *selectBy, _EqualizerBand **out) override {
        return Call([&] {
            *out = nullptr;
            auto by = static_cast<corvane::CorvaneEQBands>(*selectBy);
            *out = BandObjectOf(core_->Band(*value, by));
            *selectBy = static_cast<::CorvaneEQBands>(by);
        });
    }
    HRESULT STDMETHODCALLTYPE put_Gain(::CorvaneMP3Channels *channel, float value) override {
        return Call([&] {
            auto slot = static_cast<corvane::CorvaneMP3Channels>(*channel);
            core_->SetGain(slot, value);
            *channel = static_cast<::CorvaneMP3Channels>(slot);
        });
    }
    HRESULT STDMETHODCALLTYPE get_Gain(::CorvaneMP3Channels *channel, float *out) override {
        return Call([&] {
            auto slot = static_cast<corvane::CorvaneMP3Channels>(*channel);
            *out = core_->Gain(slot);
            *channel = static_cast<::CorvaneMP3Channels>(slot);
        });
    }
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL value) override {
        return Call([&] { core_->SetEnabled(value != VARIANT_FALSE); });
    }
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL *out) override {
        return Call([&] { *out = ToVariantBool(core_->Enabled()); });
    }
    HRESULT STDMETHODCALLTYPE RemoveBand(short frequency) override {
        return Call([&] { core_->RemoveBand(frequency); });
    }
    HRESULT STDMETHODCALLTYPE AddBand(short frequency) override {
        return Call([&] { core_->AddBand(frequency); });
    }
    HRESULT STDMETHODCALLTYPE get_BandCount(short *out) override {
        return Call([&] { *out = core_->BandCount(); });
    }
    HRESULT STDMETHODCALLTYPE get_NewEnum(IUnknown **out) override {
        return Call([&] { *out = ObjectEnumerator(core_->NewEnum(), BandObjectOf); });
    }
    HRESULT STDMETHODCALLTYPE Clear() override {
        return Call([&] { core_->Clear(); });
    }

private:
    std::shared_ptr<equalizer::Equalizer> core_;
};

}  // namespace

_Equalizer *EqualizerObjectOf(const std::shared_ptr<equalizer::Equalizer> &core) {
    return WrapperOf<EqualizerObject, _Equalizer>(core);
}

_EqualizerBand *BandObjectOf(const std::shared_ptr<equalizer::EqualizerBand> &core) {
    return WrapperOf<BandObject, _EqualizerBand>(core);
}

}  // namespace corvane::automation
