// Time-outs: a login command that gets no answer fails the connection; any other command loses the
// queue but the connection stays.
#include "engine/command_set.h"
#include "engine/control_channel.h"
#include "support/engine_harness.h"
#include "support/scripted_ftp_server.h"

#include <gtest/gtest.h>

namespace kestovan {
namespace {

using namespace std::chrono_literals;
using test::EngineHarness;
using test::ScriptedFtpServer;

TEST(Timeouts, AnUnansweredLoginCommandFailsTheConnection)
{
    ScriptedFtpServer server;
    server.reply("220 hi").expect("USER bob").expect_closed();
    server.start();
    EngineHarness h(200);
    FtpConnection* c = h.open(server.port());
    const auto serial = c->serial;
    ASSERT_TRUE(h.wait([&] { return h.closed(c, serial); }, 5000));
    EXPECT_EQ(h.count(EV_TIMEOUT), 1);
    EXPECT_EQ(h.login_results.front(), false);
    EXPECT_TRUE(server.wait_done(5000)) << server.failure();
}

TEST(Timeouts, AnyOtherUnansweredCommandEmptiesTheQueueAndTheSessionGoesOn)
{
    ScriptedFtpServer server;
    server.reply("220 hi")
        .expect("USER bob")
        .reply("331 pw")
        .expect("PASS secret")
        .reply("230 ok")
        .expect("PWD")
        .expect_silence(900ms)
        .expect("NOOP")
        .reply("200 still here");
    server.start();
    EngineHarness h(200);
    FtpConnection* c = h.open(server.port());
    std::vector<int> results;
    send_pwd(h.engine, c, test::record_result(results));
    send_raw(h.engine, c, "SYST", test::record_result(results));
    ASSERT_TRUE(h.wait([&] { return h.count(EV_TIMEOUT) == 1; }, 5000));
    EXPECT_TRUE(h.live(c));
    EXPECT_TRUE(c->queue.empty());
    EXPECT_TRUE(results.empty()) << "the emptied queue calls no callbacks";
    h.idle(700);
    send_raw(h.engine, c, "NOOP", test::record_result(results));
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return results.size() == 1; }));
    EXPECT_EQ(results[0], 1);
}

TEST(Timeouts, SessionsOpenedTogetherEachGetTheirWholeTimeOut)
{
    ScriptedFtpServer server;
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            server.accept_control();
        server.reply("220 hi").expect("USER bob").reply("331 pw").expect("PASS secret").reply("230 ok");
    }
    server.start();
    EngineHarness h(1000);
    for (int i = 0; i < 3; ++i)
        h.open(server.port());
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return h.login_results.size() == 3; }));
    EXPECT_EQ(h.login_results, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(h.count(EV_TIMEOUT), 0);
}

TEST(Timeouts, WithTheTimeOutAtZeroNothingEverTimesOut)
{
    ScriptedFtpServer server;
    server.reply("220 hi").expect("USER bob").expect_silence(800ms);
    server.start();
    EngineHarness h(0);
    FtpConnection* c = h.open(server.port());
    EXPECT_FALSE(h.window.has_timer(TIMER_TIMEOUT));
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    EXPECT_TRUE(h.live(c));
    EXPECT_EQ(h.count(EV_TIMEOUT), 0);
}

TEST(Timeouts, SetTimeoutClampsAndReplacesTheTimer)
{
    EngineHarness h(0);
    h.engine.set_timeout(1000);
    EXPECT_EQ(h.engine.timeout(), MIN_TIMEOUT_MS);
    EXPECT_TRUE(h.window.has_timer(TIMER_TIMEOUT));
    h.engine.set_timeout(0);
    EXPECT_FALSE(h.window.has_timer(TIMER_TIMEOUT));
}

TEST(Connecting, ARefusedConnectReports10061AndFailsTheSession)
{
    EngineHarness h;
    FtpConnection* c = h.open(1);
    const auto serial = c->serial;
    ASSERT_TRUE(h.wait([&] { return h.closed(c, serial); }));
    bool refused = false;
    for (const auto& e : h.events)
        refused = refused || (e.code == EV_SOCKET_ERROR && e.number == 10061);
    EXPECT_TRUE(refused);
}

TEST(Connecting, AHostNameIsLookedUpOnAFreshMessageAndAnUnknownOneFails)
{
    EngineHarness h;
    FtpConnection* c = open_session(h.engine, "u", "p", "", "no-such-host.invalid", 21, nullptr, {});
    const auto serial = c->serial;
    ASSERT_TRUE(h.wait([&] { return h.closed(c, serial); }));
    auto statuses = h.texts(EV_STATUS);
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), " Host Not Found"), statuses.end());
}

TEST(Connecting, TheLookupCounterWrapsAfter9999)
{
    Engine engine;
    std::uint32_t first = engine.next_lookup_message();
    std::uint32_t last = first;
    for (int i = 0; i < 10000; ++i) {
        std::uint32_t id = engine.next_lookup_message();
        EXPECT_GE(id, WM_FTP_LOOKUP_BASE);
        EXPECT_LE(id, WM_FTP_LOOKUP_BASE + 9999);
        last = id;
    }
    EXPECT_EQ(last, first) << "10000 lookups later the ids have gone round once";
}

TEST(Events, StatusTextsStartWithABlankAndAreCut)
{
    EngineHarness h;
    h.engine.status(nullptr, std::string(300, 'a'));
    auto texts = h.texts(EV_STATUS);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], " " + std::string(98, 'a'));
}

} // namespace
} // namespace kestovan
