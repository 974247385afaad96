// The equalizer's band bookkeeping and exactly what it sends to the decoder
// library, observed through the recording fake.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "equalizer/Equalizer.h"
#include "support/Raises.h"
#include "support/RecordingDecoderLibrary.h"

namespace corvane::equalizer {
namespace {

using ::testing::ElementsAre;

std::string Join(const std::vector<int> &values) {
    std::string text;
    for (size_t i = 0; i < values.size(); ++i) text += (i ? "," : "") + std::to_string(values[i]);
    return text;
}
auto CreateEq(const std::vector<int> &f) { return "create_eq(" + Join(f) + ";" + std::to_string(f.size()) + ")"; }
// set_eq always carries 32 gains: the given ones, then zeros.
std::string SetEq(std::vector<int> gains) { gains.resize(32, 0); return "set_eq(" + Join(gains) + ")"; }

void ExpectRaise(const std::function<void()> &call, int32_t number) {
    runtime::AutomationError error = testing::ErrorOf(call);
    EXPECT_EQ(std::pair(error.Number(), error.Source()), std::pair(number, runtime::Text(u"CorvaneMP3.Equalizer")));
}

class EqualizerTest : public ::testing::Test {
protected:
    void TearDown() override { if (eq) eq->Clear(); }  // bands hold their equalizer
    auto Band(int16_t value, CorvaneEQBands by = corEQBandsByIndex) { return eq->Band(value, by); }

    std::shared_ptr<decoder::RecordingDecoderLibrary> fake = std::make_shared<decoder::RecordingDecoderLibrary>();
    std::shared_ptr<Equalizer> eq = Equalizer::Create(fake);
};

// Bands keep their insertion order under their frequency pulled into
// 1..22000; each change of the layout sends it.
TEST_F(EqualizerTest, AddAndRemoveSendTheLayoutInInsertionOrder) {
    for (int16_t frequency : {1000, 0, 30000}) eq->AddBand(frequency);
    EXPECT_THAT(fake->calls, ElementsAre(CreateEq({1000}), CreateEq({1000, 1}), CreateEq({1000, 1, 22000})));
    // The very object, under its pulled-in key and in the enumeration.
    EXPECT_EQ(std::pair(Band(22000, corEQBandsByFrequency), eq->NewEnum()[1]), std::pair(Band(3), Band(2)));
    fake->ClearCalls();
    ExpectRaise([&] { eq->AddBand(22001); }, 30090);
    ExpectRaise([&] { eq->RemoveBand(30000); }, 30091);
    EXPECT_EQ(std::pair(eq->BandCount(), fake->calls.size()), std::pair(int16_t{3}, size_t{0}));
    eq->RemoveBand(1);
    EXPECT_EQ(Band(2)->GetFrequency(), 22000);
    eq->RemoveBand(1000);
    eq->RemoveBand(22000);  // the last band: no layout to send
    EXPECT_THAT(fake->calls, ElementsAre(CreateEq({1000, 22000}), CreateEq({22000})));
}

// Channel gains are pulled into -20..20 and sent on every call, even one for
// no channel at all; the gain of all channels is their mean. The switch
// goes to the library too.
TEST_F(EqualizerTest, ChannelGainsAreClampedAndAlwaysSent) {
    CorvaneMP3Channels all = corMP3AllChannels, left = corMP3LeftChannel, right = corMP3RightChannel,
                       unknown = static_cast<CorvaneMP3Channels>(5);
    EXPECT_EQ(std::tuple(eq->Gain(all), eq->Gain(left), eq->Gain(right), eq->Enabled()), std::tuple(0, 0, 0, false));
    eq->SetGain(all, 25);
    EXPECT_EQ(std::pair(eq->Gain(left), eq->Gain(right)), std::pair(20.0f, 20.0f));
    eq->SetGain(left, -1e30f);
    EXPECT_EQ(eq->Gain(all), 0);
    eq->SetGain(right, 3.5f);
    eq->SetGain(unknown, 3);
    EXPECT_EQ(std::pair(eq->Gain(all), eq->Gain(unknown)), std::pair(-8.25f, 0.0f));
    eq->SetEnabled(true);
    EXPECT_THAT(fake->calls, ElementsAre("set_gain(20,20)", "set_gain(-20,20)", "set_gain(-20,3.5)",
                                         "set_gain(-20,3.5)", "eq_state(1)"));
    EXPECT_TRUE(eq->Enabled());
}

// A band gain is stored unchecked and sends all gains; a 33rd band's
// frequency is sent but its gain is left out.
TEST_F(EqualizerTest, BandGainsSendUpToThirtyTwoGains) {
    std::vector<int> frequencies, gains;
    for (int i = 1; i <= 33; ++i) { eq->AddBand(static_cast<int16_t>(i * 100)); frequencies.push_back(i * 100); }
    EXPECT_EQ(fake->calls.back(), CreateEq(frequencies));
    fake->ClearCalls();
    Band(2)->SetGain(100);
    EXPECT_EQ(std::pair(Band(2)->Gain(), fake->calls.back()), std::pair(100.0f, SetEq({0, 100})));
    for (int16_t i = 1; i <= 33; ++i) { Band(i)->SetGain(i); gains.push_back(i); }
    gains.pop_back();  // the 33rd gain is not sent
    ASSERT_EQ(fake->calls.size(), 34u);  // one set_eq for each change
    EXPECT_EQ(std::pair(fake->calls[32], fake->calls[33]), std::pair(SetEq(gains), SetEq(gains)));
}

// A band is looked up by frequency or position, a missing one raises. A band
// removed, or cleared, still reports to its equalizer, which sends the gains
// of the bands it holds; a band the host holds keeps it alive.
TEST_F(EqualizerTest, BandsAreLookedUpAndOneHeldAfterRemovalOrClearStillReportsToItsEqualizer) {
    std::weak_ptr<Equalizer> watch = eq;
    for (int32_t by : {0, 1, 7}) ExpectRaise([&] { Band(1, static_cast<CorvaneEQBands>(by)); }, 30092);
    for (int16_t frequency : {1000, 60, 14000}) eq->AddBand(frequency);
    for (int16_t position : {0, 4, -1}) ExpectRaise([&] { Band(position); }, 30091);
    ExpectRaise([&] { Band(61, corEQBandsByFrequency); }, 30091);
    EXPECT_EQ(Band(1, static_cast<CorvaneEQBands>(7)), nullptr);
    ExpectRaise([&] { eq->AddBand(60); }, 30090);  // a refused band keeps nothing alive
    Band(1)->SetGain(7);
    auto removed = Band(60, corEQBandsByFrequency), cleared = Band(1);
    EXPECT_EQ(removed, Band(2));
    eq->RemoveBand(60);
    fake->ClearCalls();
    removed->SetGain(9);
    eq->Clear();
    eq.reset();
    removed.reset();
    EXPECT_FALSE(watch.expired());
    cleared->SetGain(5);
    EXPECT_THAT(fake->calls, ElementsAre(SetEq({7, 0}), SetEq({})));
    cleared.reset();
    EXPECT_TRUE(watch.expired());
}

}  // namespace
}  // namespace corvane::equalizer
