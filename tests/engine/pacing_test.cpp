// Commands go out as soon as their connection can take them: neither a queued command, a data
// connection nor the end of an answered QUIT waits for the pump's next visit, and the pause after a
// control connection's connect ends with the server's greeting. Time is frozen (a virtual clock that
// never moves), so any wait for a timer would stall.
#include "engine/command_set.h"
#include "engine/control_channel.h"
#include "platform/clock.h"
#include "support/engine_harness.h"
#include "support/scripted_ftp_server.h"

#include <gtest/gtest.h>

namespace kestovan {
namespace {

using test::EngineHarness;
using test::ScriptedFtpServer;

constexpr int QUEUED = 20;

TEST(Pacing, QueuedCommandsAndListingsGoOutWithoutWaitingForThePump)
{
    ScriptedFtpServer server;
    server.reply("220 hi").expect("USER bob").reply("331 pw").expect("PASS secret").reply("230 ok");
    for (int i = 0; i < QUEUED; ++i)
        server.expect("NOOP").reply("200 ok " + std::to_string(i));
    server.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})").accept_data();
    server.expect("LIST").reply("150 here").send_data("-rw-r--r-- 1 a b 1 Jan 1 2020 f\r\n");
    server.close_data().reply("226 done");
    server.expect("QUIT").reply("221 bye");
    server.start();

    EngineHarness h;
    VirtualClock clock;
    FtpConnection* c = h.open(server.port());
    // The pause after the connect ends with the greeting: the clock never moves.
    ASSERT_TRUE(h.wait([&] { return !h.login_results.empty(); })) << server.failure();

    std::vector<int> results;
    for (int i = 0; i < QUEUED; ++i)
        send_raw(h.engine, c, "NOOP", test::record_result(results));
    send_list(h.engine, c, "", test::record_result(results));
    ASSERT_TRUE(h.wait([&] { return results.size() == QUEUED + 1; }))
        << "stalled after " << results.size() << " commands: " << server.failure();
    EXPECT_EQ(results, std::vector<int>(QUEUED + 1, 1));

    // An answered QUIT ends the session without waiting for the pump either.
    const std::uint32_t serial = c->serial;
    close_session(h.engine, *c);
    EXPECT_TRUE(h.wait([&] { return h.closed(c, serial); })) << "the session outlived its QUIT";
    EXPECT_TRUE(server.wait_done(5000)) << server.failure();
}

TEST(Pacing, ASilentServerGetsNothingUntilItGreetsOrThePauseIsOver)
{
    ScriptedFtpServer server;
    server.expect_silence(std::chrono::milliseconds(300)).reply("220 late");
    server.expect("USER bob").reply("331 pw").expect("PASS secret").reply("230 ok");
    server.start();

    EngineHarness h;
    VirtualClock clock; // frozen: only the greeting can end the pause
    h.open(server.port());
    ASSERT_TRUE(h.wait([&] { return !h.login_results.empty(); })) << server.failure();
    EXPECT_EQ(h.login_results, std::vector<bool>{true});
    EXPECT_TRUE(server.wait_done(5000)) << server.failure();
}

} // namespace
} // namespace kestovan
