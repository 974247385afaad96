// The equalizer's band bookkeeping and exactly what it sends to the decoder
// library, observed through the recording fake.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/RecordingDecoderLibrary.h"
#include "equalizer/Equalizer.h"
#include "support/Raises.h"

namespace corvane::equalizer {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string Join(const std::vector<int> &values, const char *separator = ",") {
    std::string text;
    for (size_t i = 0; i < values.size(); ++i) text += (i ? separator : "") + std::to_string(values[i]);
    return text;
}

std::string CreateEqCall(const std::vector<int> &frequencies) {
    return "create_eq(" + Join(frequencies) + ";" + std::to_string(frequencies.size()) + ")";
}

// set_eq always carries 32 gains: the given ones, then zeros.
std::string SetEqCall(std::vector<int> gains) {
    gains.resize(32, 0);
    return "set_eq(" + Join(gains) + ")";
}

class EqualizerTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake = std::make_shared<decoder::RecordingDecoderLibrary>();
        eq = Equalizer::Create(fake);
    }
    // Bands hold their equalizer; Clear breaks the cycle so nothing leaks.
    void TearDown() override {
        if (eq) eq->Clear();
    }

    std::shared_ptr<EqualizerBand> BandAt(int16_t position) {
        CorvaneEQBands byIndex = corEQBandsByIndex;
        return eq->Band(position, byIndex);
    }
    std::shared_ptr<EqualizerBand> BandOf(int16_t frequency) {
        CorvaneEQBands byFrequency = corEQBandsByFrequency;
        return eq->Band(frequency, byFrequency);
    }
    void AddBands(const std::vector<int> &frequencies) {
        for (int frequency : frequencies) eq->AddBand(static_cast<int16_t>(frequency));
    }
    std::vector<int> Frequencies() const {
        std::vector<int> result;
        for (const auto &band : eq->NewEnum()) result.push_back(band->GetFrequency());
        return result;
    }

    std::shared_ptr<decoder::RecordingDecoderLibrary> fake;
    std::shared_ptr<Equalizer> eq;
};

template <class Call>
void ExpectRaise(Call &&call, int32_t number, const std::u16string &description) {
    testing::ExpectError(testing::ErrorOf(call), number, description, u"CorvaneMP3.Equalizer");
}

const std::u16string kExists = u"Frequency band already exists in equalizer.";
const std::u16string kMissing = u"Frequency band does not exist in equalizer.";
const std::u16string kNoBands = u"There are no frequency bands currently assigned to the equalizer.";

TEST_F(EqualizerTest, AddBandClampsTheFrequencyIntoItsKey) {
    for (auto [asked, stored] : {std::pair<int16_t, int16_t>{30000, 22000}, {22001, 22000}, {1, 1}, {0, 1},
                                 {-32768, 1}, {440, 440}}) {
        SCOPED_TRACE(asked);
        eq->Clear();
        eq->AddBand(asked);
        EXPECT_EQ(BandAt(1)->GetFrequency(), stored);
        EXPECT_EQ(BandOf(stored), BandAt(1));  // the very object, not a copy
        EqualizerBand band;
        int16_t frequency = asked;
        band.SetFrequency(frequency);
        EXPECT_EQ(frequency, stored) << "written back";
        EXPECT_EQ(band.GetFrequency(), stored);
    }
}

// Bands keep their insertion order; each change of the layout sends it, and
// adding or removing takes the clamped key.
TEST_F(EqualizerTest, AddAndRemoveSendTheLayoutInInsertionOrder) {
    AddBands({1000, 60, 30000});
    EXPECT_THAT(fake->calls,
                ElementsAre(CreateEqCall({1000}), CreateEqCall({1000, 60}), CreateEqCall({1000, 60, 22000})));
    EXPECT_THAT(Frequencies(), ElementsAre(1000, 60, 22000));
    fake->ClearCalls();
    ExpectRaise([&] { eq->AddBand(22000); }, 30090, kExists);
    ExpectRaise([&] { eq->RemoveBand(30000); }, 30091, kMissing);
    EXPECT_THAT(fake->calls, IsEmpty());
    eq->RemoveBand(60);
    EXPECT_THAT(fake->calls, ElementsAre(CreateEqCall({1000, 22000})));
    EXPECT_EQ(BandAt(2)->GetFrequency(), 22000);
    fake->ClearCalls();
    eq->RemoveBand(1000);
    eq->RemoveBand(22000);  // the last band: no layout to send
    EXPECT_THAT(fake->calls, ElementsAre(CreateEqCall({22000})));
}

TEST_F(EqualizerTest, BandLooksUpByFrequencyOrPosition) {
    for (int32_t selectBy : {0, 1, 7}) {
        for (int16_t value : {0, 1, 60}) {
            CorvaneEQBands how = static_cast<CorvaneEQBands>(selectBy);
            ExpectRaise([&] { eq->Band(value, how); }, 30092, kNoBands);
        }
    }
    AddBands({1000, 60, 14000});
    EXPECT_EQ(BandOf(60), BandAt(2));
    for (int16_t position : {0, 4, -1}) ExpectRaise([&] { BandAt(position); }, 30091, kMissing);
    ExpectRaise([&] { BandOf(61); }, 30091, kMissing);
    int16_t value = 1;
    CorvaneEQBands unknown = static_cast<CorvaneEQBands>(7);
    EXPECT_EQ(eq->Band(value, unknown), nullptr);
}

TEST_F(EqualizerTest, ChannelGainsAreClampedAndAlwaysSent) {
    CorvaneMP3Channels all = corMP3AllChannels, left = corMP3LeftChannel, right = corMP3RightChannel;
    CorvaneMP3Channels unknown = static_cast<CorvaneMP3Channels>(5);
    EXPECT_EQ(eq->Gain(all) + eq->Gain(left) + eq->Gain(right), 0);
    eq->SetGain(all, 25);
    EXPECT_EQ(std::pair(eq->Gain(left), eq->Gain(right)), std::pair(20.0f, 20.0f));
    eq->SetGain(left, -30);
    EXPECT_EQ(eq->Gain(all), 0);
    eq->SetGain(right, 3.5f);
    EXPECT_EQ(eq->Gain(all), -8.25f);
    eq->SetGain(unknown, 3);  // changes nothing, still sends
    EXPECT_EQ(eq->Gain(unknown), 0);
    EXPECT_THAT(fake->calls,
                ElementsAre("set_gain(20,20)", "set_gain(-20,20)", "set_gain(-20,3.5)", "set_gain(-20,3.5)"));
    for (float asked : {20.5f, -20.5f, 1e30f}) {
        eq->SetGain(left, asked);
        EXPECT_EQ(eq->Gain(left), asked > 0 ? 20 : -20) << asked;
    }
}

// A band gain is stored unchecked and sends all gains; a 33rd band's
// frequency is sent but its gain is left out.
TEST_F(EqualizerTest, BandGainsSendUpToThirtyTwoGains) {
    std::vector<int> frequencies, gains;
    for (int i = 1; i <= 33; ++i) frequencies.push_back(i * 100);
    AddBands(frequencies);
    EXPECT_EQ(fake->calls.back(), CreateEqCall(frequencies));
    fake->ClearCalls();
    BandAt(2)->SetGain(100);
    EXPECT_EQ(BandAt(2)->Gain(), 100);
    EXPECT_EQ(fake->calls.back(), SetEqCall({0, 100}));
    for (int16_t i = 1; i <= 33; ++i) BandAt(i)->SetGain(i);
    for (int i = 1; i <= 32; ++i) gains.push_back(i);
    ASSERT_EQ(fake->calls.size(), 34u);
    EXPECT_EQ(fake->calls[32], SetEqCall(gains));
    EXPECT_EQ(fake->calls[33], SetEqCall(gains));
}

TEST_F(EqualizerTest, ABandHeldAfterRemovalOrClearStillReportsToItsEqualizer) {
    std::weak_ptr<Equalizer> watch = eq;
    AddBands({1000, 60, 14000});
    ExpectRaise([&] { eq->AddBand(60); }, 30090, kExists);  // a refused band keeps nothing alive
    BandAt(1)->SetGain(7);
    auto removed = BandOf(60);
    eq->RemoveBand(60);
    fake->ClearCalls();
    removed->SetGain(9);
    EXPECT_EQ(removed->Gain(), 9);
    EXPECT_THAT(fake->calls, ElementsAre(SetEqCall({7, 0})));

    auto cleared = BandOf(1000);
    eq->Clear();
    eq.reset();
    removed.reset();
    EXPECT_FALSE(watch.expired()) << "a band the host holds keeps its equalizer";
    fake->ClearCalls();
    cleared->SetGain(5);
    EXPECT_THAT(fake->calls, ElementsAre(SetEqCall({})));
    cleared.reset();
    EXPECT_TRUE(watch.expired());
}

}  // namespace
}  // namespace corvane::equalizer
