#include <gtest/gtest.h>

#include "runtime/ControlSite.h"
#include "runtime/MessageLoop.h"

namespace corvane::runtime {
namespace {

TEST(ControlSite, RecordingSiteForwardsEventsToSinksAndRunsWindowsAndTimersOnItsLoop) {
    MessageLoop loop;
    RecordingControlSite site(loop);
    std::vector<std::pair<int32_t, Text>> received;
    int cookie = site.Connect([&](int32_t id, const Text &name) { received.emplace_back(id, name); });
    site.RaiseEvent(1, u"FinishedPlaying");
    site.Disconnect(cookie);
    site.RaiseEvent(2, u"VisualizationUpdate");
    EXPECT_EQ(site.events, (std::vector<Text>{u"FinishedPlaying", u"VisualizationUpdate"}));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].first, 1);
    EXPECT_EQ(received[0].second, u"FinishedPlaying");

    int repaints = 0;
    auto window = site.CreateNotifyWindow([&] { ++repaints; });
    window->Invalidate();
    loop.PumpPending();
    EXPECT_EQ(repaints, 1);
    EXPECT_FALSE(site.CreateTimer([] {})->Enabled());
}

TEST(ControlSite, SinkMayDisconnectItselfWhileHandlingAnEvent) {
    MessageLoop loop;
    NativeControlSite site(loop);
    int calls = 0, cookie = 0;
    cookie = site.Connect([&](int32_t, const Text &) {
        ++calls;
        site.Disconnect(cookie);
    });
    site.RaiseEvent(1, u"A");
    site.RaiseEvent(1, u"A");
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace corvane::runtime
