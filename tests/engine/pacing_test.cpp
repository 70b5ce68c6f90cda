// Commands go out as soon as their connection can take them: neither a queued command nor a data
// connection waits for the pump's next visit. Time is frozen (a virtual clock that the test moves on
// only for the control connection's pause after its connect), so any wait for a timer would stall.
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
    server.start();

    EngineHarness h;
    VirtualClock clock;
    FtpConnection* c = h.open(server.port());
    ASSERT_TRUE(h.wait([&] { return h.count(EV_CONNECTED) == 1; }));
    clock.advance(CONNECT_PAUSE_MS); // the one pause that stays: after a control connection's connect
    ASSERT_TRUE(h.wait([&] { return !h.login_results.empty(); })) << server.failure();

    std::vector<int> results;
    for (int i = 0; i < QUEUED; ++i)
        send_raw(h.engine, c, "NOOP", test::record_result(results));
    send_list(h.engine, c, "", test::record_result(results));
    ASSERT_TRUE(h.wait([&] { return results.size() == QUEUED + 1; }))
        << "stalled after " << results.size() << " commands: " << server.failure();
    EXPECT_EQ(results, std::vector<int>(QUEUED + 1, 1));
    EXPECT_TRUE(server.wait_done(5000)) << server.failure();
}

} // namespace
} // namespace kestovan
