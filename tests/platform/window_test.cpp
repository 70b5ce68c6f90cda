#include "platform/clock.h"
#include "platform/window.h"
#include "support/test_environment.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <vector>

namespace kestovan {
namespace {

struct Recorder {
    std::vector<Message> seen;
    MessageHandler handler(bool consume = true)
    {
        return [this, consume](const Message& m) {
            seen.push_back(m);
            return consume;
        };
    }
};

TEST(Window, PostedMessagesArriveInOrderThroughTheEventLoop)
{
    Window window;
    Recorder recorder;
    window.set_handler(recorder.handler());
    window.post_message(WM_USER + 1, 10, -1);
    window.post_message(WM_USER + 2, 20, -2);
    EXPECT_TRUE(recorder.seen.empty()) << "posting must not dispatch at once";
    QCoreApplication::processEvents();
    ASSERT_EQ(recorder.seen.size(), 2u);
    EXPECT_EQ(recorder.seen[0].id, WM_USER + 1);
    EXPECT_EQ(recorder.seen[0].wparam, 10u);
    EXPECT_EQ(recorder.seen[0].lparam, -1);
    EXPECT_EQ(recorder.seen[1].id, WM_USER + 2);
}

TEST(Window, FiltersSeeEveryMessageFirstAndMayConsumeIt)
{
    Window window;
    Recorder first, second, own;
    window.install_filter([&](const Message& m) {
        first.seen.push_back(m);
        return m.id == 30002; // consumes only its own id
    });
    int second_id = window.install_filter(second.handler(false));
    window.set_handler(own.handler());

    EXPECT_TRUE(window.send_message(30002));
    EXPECT_TRUE(window.send_message(WM_USER));
    EXPECT_EQ(first.seen.size(), 2u);
    EXPECT_EQ(second.seen.size(), 1u) << "a consumed message goes no further";
    ASSERT_EQ(own.seen.size(), 1u);
    EXPECT_EQ(own.seen[0].id, WM_USER);

    window.remove_filter(second_id);
    window.send_message(WM_USER);
    EXPECT_EQ(second.seen.size(), 1u);
}

TEST(Window, AFilterRemovedDuringDispatchIsNotCalledAgain)
{
    Window window;
    int calls_b = 0;
    int id_b = 0;
    window.install_filter([&](const Message&) {
        window.remove_filter(id_b);
        return false;
    });
    id_b = window.install_filter([&](const Message&) {
        ++calls_b;
        return false;
    });
    window.send_message(WM_USER);
    EXPECT_EQ(calls_b, 0);
}

TEST(Window, DestroyHooksRunLastInstalledFirstAndPostedMessagesAreDropped)
{
    std::vector<int> order;
    int delivered = 0;
    {
        Window window;
        window.set_handler([&](const Message&) { return ++delivered, true; });
        window.add_destroy_hook([&] { order.push_back(1); });
        window.add_destroy_hook([&] { order.push_back(2); });
        window.post_message(WM_USER);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(order, (std::vector<int>{2, 1}));
    EXPECT_EQ(delivered, 0);
}

TEST(Window, FindMapsSerialsOfLiveWindowsOnly)
{
    std::uint64_t serial;
    {
        Window window;
        serial = window.serial();
        EXPECT_EQ(Window::find(serial), &window);
    }
    EXPECT_EQ(Window::find(serial), nullptr);
    Window next;
    EXPECT_NE(next.serial(), serial) << "serials are never reused";
}

TEST(WindowTimer, TicksCarryTheTimerIdAndStopAfterKill)
{
    VirtualClock clock;
    Window window;
    std::vector<std::uint64_t> ticks;
    window.set_handler([&](const Message& m) {
        if (m.id == WM_TIMER)
            ticks.push_back(m.wparam);
        return true;
    });
    window.set_timer(30001, 50);
    window.set_timer(996, 120);
    clock.advance(49);
    EXPECT_TRUE(ticks.empty());
    clock.advance(1);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{30001}));
    clock.advance(100); // 100: 30001, 120: 996, 150: 30001
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{30001, 30001, 996, 30001}));

    window.kill_timer(30001);
    EXPECT_FALSE(window.has_timer(30001));
    ticks.clear();
    clock.advance(500);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>(4, 996)));
}

TEST(WindowTimer, RecreatingATimerReplacesItsPeriod)
{
    VirtualClock clock;
    Window window;
    int ticks = 0;
    window.set_handler([&](const Message& m) { return m.id == WM_TIMER && ++ticks; });
    window.set_timer(30000, 1000);
    clock.advance(500);
    window.set_timer(30000, 100);
    clock.advance(350);
    EXPECT_EQ(ticks, 3);
}

TEST(WindowTimer, RealTimersTickOnTheEventLoop)
{
    Window window;
    int ticks = 0;
    window.set_handler([&](const Message& m) {
        if (m.id == WM_TIMER && m.wparam == 7)
            ++ticks;
        return true;
    });
    window.set_timer(7, 10);
    EXPECT_TRUE(test::wait_until([&] { return ticks >= 3; }, 2000));
    window.kill_timer(7);
    int after_kill = ticks;
    test::wait_until([] { return false; }, 60);
    EXPECT_EQ(ticks, after_kill);
}

TEST(Clock, VirtualTimeMovesOnlyWhenAdvanced)
{
    VirtualClock clock;
    std::int64_t start = now_ms();
    EXPECT_EQ(now_ms(), start);
    clock.advance(1234);
    EXPECT_EQ(now_ms(), start + 1234);
}

} // namespace
} // namespace kestovan
