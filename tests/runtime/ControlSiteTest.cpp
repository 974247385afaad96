#include <gtest/gtest.h>

#include "runtime/ControlSite.h"
#include "runtime/MessageLoop.h"

namespace corvane::runtime {
namespace {

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
