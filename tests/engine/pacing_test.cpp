// Commands go out as soon as their connection can take them: neither a queued command, a data
// connection nor the end of an answered QUIT waits for the pump's next visit, and the pause after a
// control connection's connect ends with the server's greeting. Yet nothing goes out early: a
// transfer command waits for its passive data connection, an upload's data for the server's
// preliminary reply. Time is frozen (a virtual clock that never moves), so any wait for a timer
// would stall.
#include "engine/command_set.h"
#include "engine/control_channel.h"
#include "platform/clock.h"
#include "support/engine_harness.h"
#include "support/scripted_ftp_server.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

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

struct HeldTransfer {
    const char* name;
    const char* verb; // the command line that must follow the data connection's connect
    // Queues the transfer on the logged-in session; the script's part from PASV on.
    std::function<void(EngineHarness&, FtpConnection*, const std::string& local, std::vector<int>&)> queue;
    std::function<void(ScriptedFtpServer&)> script;
    // For an upload: the preliminary reply before which no data may be sent.
    const char* data_after = nullptr;
};

void PrintTo(const HeldTransfer& c, std::ostream* os)
{
    *os << c.name;
}

void pasv(ScriptedFtpServer& s)
{
    s.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})").accept_data();
}

const HeldTransfer HELD[] = {
    {"Listing", "LIST",
     [](EngineHarness& h, FtpConnection* c, const std::string&, std::vector<int>& r) {
         send_list(h.engine, c, "", test::record_result(r));
     },
     [](ScriptedFtpServer& s) {
         pasv(s);
         s.expect("LIST").reply("150 here").send_data("-rw-r--r-- 1 a b 1 Jan 1 2020 f\r\n");
         s.close_data().reply("226 done");
     }},
    {"Download", "RETR",
     [](EngineHarness& h, FtpConnection* c, const std::string& local, std::vector<int>& r) {
         send_retr(h.engine, c, "f", local, true, test::record_result(r));
     },
     [](ScriptedFtpServer& s) {
         s.expect("TYPE I").reply("200 ok");
         pasv(s);
         s.expect("RETR f").reply("150 here").send_data("abc").close_data().reply("226 done");
     }},
    {"ResumedDownload", "RETR",
     [](EngineHarness& h, FtpConnection* c, const std::string& local, std::vector<int>& r) {
         std::ofstream(local) << "a";
         send_retr_resume(h.engine, c, "f", local, true, 1, test::record_result(r));
     },
     [](ScriptedFtpServer& s) {
         s.expect("TYPE I").reply("200 ok");
         pasv(s);
         s.expect("REST 1").reply("350 ok");
         s.expect("RETR f").reply("150 here").send_data("bc").close_data().reply("226 done");
     }},
    {"Upload", "STOR",
     [](EngineHarness& h, FtpConnection* c, const std::string& local, std::vector<int>& r) {
         std::ofstream(local) << "abc";
         send_stor(h.engine, c, local, "f", true, test::record_result(r));
     },
     [](ScriptedFtpServer& s) {
         s.expect("TYPE I").reply("200 ok");
         pasv(s);
         s.expect("STOR f").pause(std::chrono::milliseconds(100)).reply("150 send");
         s.receive_data().reply("226 done");
     },
     "150"},
};

class HeldTransfers : public ::testing::TestWithParam<HeldTransfer> {};

TEST_P(HeldTransfers, TheTransferCommandFollowsThePassiveConnect)
{
    const HeldTransfer& c = GetParam();
    QTemporaryDir dir;
    const std::string local = dir.filePath("f").toStdString();
    ScriptedFtpServer server;
    server.reply("220 hi").expect("USER bob").reply("331 pw").expect("PASS secret").reply("230 ok");
    c.script(server);
    server.start();

    EngineHarness h;
    VirtualClock clock; // frozen: the held command must be released without a timer
    FtpConnection* conn = h.open(server.port());
    ASSERT_TRUE(h.wait([&] { return !h.login_results.empty(); })) << server.failure();
    std::vector<int> results;
    c.queue(h, conn, local, results);
    ASSERT_TRUE(h.wait([&] { return !results.empty(); })) << c.name << ": " << server.failure();
    EXPECT_EQ(results, std::vector<int>{1}) << c.name;
    EXPECT_TRUE(server.wait_done(5000)) << c.name << ": " << server.failure();

    const auto& ev = h.events;
    auto data_connected = std::find_if(ev.begin(), ev.end(), [&](const test::RecordedEvent& e) {
        return e.code == EV_CONNECTED && e.serial != conn->serial;
    });
    auto sent = std::find_if(ev.begin(), ev.end(), [&](const test::RecordedEvent& e) {
        return e.code == EV_LOG && e.text.starts_with(c.verb);
    });
    ASSERT_NE(data_connected, ev.end()) << c.name;
    ASSERT_NE(sent, ev.end()) << c.name;
    EXPECT_LT(data_connected - ev.begin(), sent - ev.begin())
        << c.name << ": " << c.verb << " went out before its data connection was made";
    if (c.data_after) {
        const std::uint32_t data_serial = data_connected->serial;
        auto asked = std::find_if(ev.begin(), ev.end(), [&](const test::RecordedEvent& e) {
            return e.code == EV_LOG && e.text.starts_with(c.data_after);
        });
        auto first_data = std::find_if(ev.begin(), ev.end(), [&](const test::RecordedEvent& e) {
            return (e.code == EV_SENT || e.code == EV_CLOSED) && e.serial == data_serial;
        });
        ASSERT_NE(asked, ev.end()) << c.name;
        EXPECT_LT(asked - ev.begin(), first_data - ev.begin())
            << c.name << ": data went out before the server's " << c.data_after;
    }
    EXPECT_EQ(server.data_received(), std::vector<std::string>{c.data_after ? "abc" : ""}) << c.name;
}

TEST(Pacing, AnUploadTheServerConfirmsWithoutAskingForTheDataFails)
{
    QTemporaryDir dir;
    const std::string local = dir.filePath("f").toStdString();
    std::ofstream(local) << "abc";
    ScriptedFtpServer server;
    server.reply("220 hi").expect("USER bob").reply("331 pw").expect("PASS secret").reply("230 ok");
    server.expect("TYPE I").reply("200 ok");
    pasv(server);
    server.expect("STOR f").reply("226 stored");
    server.start();

    EngineHarness h;
    FtpConnection* conn = h.open(server.port());
    ASSERT_TRUE(h.wait([&] { return !h.login_results.empty(); })) << server.failure();
    std::vector<int> results;
    send_stor(h.engine, conn, local, "f", true, test::record_result(results));
    ASSERT_TRUE(h.wait([&] { return !results.empty(); })) << server.failure();
    EXPECT_EQ(results, std::vector<int>{0});
    EXPECT_TRUE(std::ranges::any_of(h.errors(ERR_REPLY), [](const std::string& text) {
        return text.find("before it asked for the data") != std::string::npos;
    })) << ::testing::PrintToString(h.errors(ERR_REPLY));
}

INSTANTIATE_TEST_SUITE_P(Pacing, HeldTransfers, ::testing::ValuesIn(HELD),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kestovan
