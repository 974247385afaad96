#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "runtime/ControlSite.h"
#include "runtime/MessageLoop.h"
#include "runtime/NotifyWindow.h"
#include "runtime/Timer.h"

namespace corvane::runtime {
namespace {

using namespace std::chrono_literals;

// What the decoder library does to a notification handle.
void Signal(CorvaneNotifyHandle handle) {
#ifdef _WIN32
    PostMessageA(handle, RegisterWindowMessageA(CORVANE_NOTIFY_MESSAGE), 0, 0);
#else
    handle->invalidate(handle);
#endif
}

TEST(MessageLoop, PumpHandlesOnlyWorkThatWasWaitingAndMayNest) {
    MessageLoop loop;
    int reposted = 0, nestedHandled = -1;
    std::function<void()> again = [&] {
        ++reposted;
        loop.Post(again);
    };
    loop.Post(again);
    loop.Post([&] { nestedHandled = loop.PumpPending(); });
    loop.Post([] {});
    EXPECT_EQ(loop.PumpPending(), 2);  // `again`, then the nesting task (which ran the third)
    EXPECT_EQ(nestedHandled, 2);       // the third task and the first repost
    EXPECT_EQ(reposted, 2);
}

#ifdef _WIN32
TEST(MessageLoop, QuitPostedByATaskStaysForTheHostLoop) {
    MessageLoop loop;
    loop.Post([] { PostQuitMessage(7); });
    loop.PumpPending();  // runs the task
    loop.PumpPending();  // handles what waits in the thread's queue
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
}
#endif

TEST(MessageLoop, RunEndsOnQuitFromAnotherThread) {
    MessageLoop loop;
    std::atomic<int> ran{0};
    std::thread other([&] {
        loop.Post([&] { ++ran; });
        loop.Quit();
    });
    loop.Run();
    other.join();
    loop.PumpPending();
    EXPECT_EQ(ran, 1);
}

TEST(MessageLoop, TimerTicksWhileEnabledWithAnIntervalAndStopsWhenDisabled) {
    MessageLoop loop;
    int ticks = 0;
    auto timer = MakeLoopTimer(loop, [&] {
        EXPECT_TRUE(loop.IsLoopThread());
        ++ticks;
    });
    EXPECT_FALSE(timer->Enabled());  // created disabled
    timer->SetEnabled(true);         // but with interval 0, which never ticks
    EXPECT_FALSE(loop.RunUntil([&] { return ticks > 0; }, 20ms));
    timer->SetInterval(1);
    ASSERT_TRUE(loop.RunUntil([&] { return ticks >= 3; }, 10s));
    timer->SetEnabled(false);
    int stopped = ticks;
    loop.RunUntil([] { return false; }, 20ms);
    EXPECT_EQ(ticks, stopped);
}

TEST(MessageLoop, LateTimerTicksOnceInsteadOfCatchingUp) {
    MessageLoop loop;
    int ticks = 0;
    auto timer = MakeLoopTimer(loop, [&] { ++ticks; });
    timer->SetInterval(1);
    timer->SetEnabled(true);
    std::this_thread::sleep_for(30ms);  // about thirty periods missed
    loop.PumpPending();
    EXPECT_EQ(ticks, 1);
}

TEST(MessageLoop, TimerDestroyedInsideItsOwnTickIsSafe) {
    MessageLoop loop;
    int ticks = 0;
    std::unique_ptr<Timer> timer;
    timer = MakeLoopTimer(loop, [&] {
        ++ticks;
        timer.reset();
    });
    timer->SetInterval(1);
    timer->SetEnabled(true);
    ASSERT_TRUE(loop.RunUntil([&] { return ticks > 0; }, 10s));
    loop.RunUntil([] { return false; }, 10ms);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(timer, nullptr);
}

TEST(NotifyWindow, SignalsFromAnotherThreadCoalesceIntoOneRepaint) {
    MessageLoop loop;
    int repaints = 0;
    auto window = MakeLoopNotifyWindow(loop, [&] {
        EXPECT_TRUE(loop.IsLoopThread());
        ++repaints;
    });
    CorvaneNotifyHandle handle = window->Handle();
    ASSERT_NE(handle, nullptr);
    std::thread signaller([handle] {
        for (int i = 0; i < 1000; ++i) Signal(handle);
    });
    signaller.join();
    EXPECT_EQ(loop.PumpPending(), 1);
    EXPECT_EQ(repaints, 1);
    window->Invalidate();  // the next signal asks for the next repaint
    loop.PumpPending();
    EXPECT_EQ(repaints, 2);
}

TEST(NotifyWindow, WindowDestroyedWhileAnotherThreadSignalsIsSafe) {
    MessageLoop loop;
    std::atomic<int> repaints{0};
    for (int round = 0; round < 20; ++round) {
        auto window = MakeLoopNotifyWindow(loop, [&] { ++repaints; });
        CorvaneNotifyHandle handle = window->Handle();
        std::atomic<bool> stop{false};
        std::thread signaller([&] {
            while (!stop) Signal(handle);
        });
        loop.RunUntil([&] { return repaints > round; }, 10s);
        Signal(handle);  // pending when the window goes
        window.reset();
        stop = true;
        signaller.join();
        int before = repaints;
        loop.PumpPending();
        EXPECT_EQ(repaints, before);
    }
    EXPECT_GE(repaints, 20);
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
