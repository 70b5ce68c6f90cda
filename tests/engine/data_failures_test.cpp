// Every way a data connection can fail ends its command once, in bounded time, and leaves the
// session able to run the next command. Each row scripts one misbehaving server after the login; the
// client then queues the transfer and a PWD behind it.
#include "engine/command_set.h"
#include "engine/control_channel.h"
#include "support/engine_harness.h"
#include "support/loopback_socket.h"
#include "support/scripted_ftp_server.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace kestovan {
namespace {

using namespace std::chrono_literals;
using test::EngineHarness;
using test::ScriptedFtpServer;

constexpr int TIMEOUT_MS = 300; // the engine's time-out period; a command gives up after three

enum class Command {
    Download,
    Listing,
};

struct DataFailure {
    const char* name;
    Command command;
    bool passive;
    // The script between the login and the follow-up PWD.
    std::function<void(ScriptedFtpServer&, std::uint16_t closed_port)> script;
    const char* error_part; // a piece of the text the failure is reported with
};

std::string port_bytes(std::uint16_t port)
{
    return std::to_string(port >> 8) + "," + std::to_string(port & 0xFF);
}

void pasv_to(ScriptedFtpServer& s, const std::string& numbers)
{
    s.expect("PASV").reply("227 Entering Passive Mode (" + numbers + ")");
}

const DataFailure CASES[] = {
    {"PassivePortWhereNothingListens", Command::Download, true,
     // The refused connect fails the download before RETR goes out: the server hears of no transfer.
     [](ScriptedFtpServer& s, std::uint16_t closed) { pasv_to(s, "127,0,0,1," + port_bytes(closed)); },
     "Data connection failed"},
    {"PassiveNumberAbove255", Command::Download, true,
     [](ScriptedFtpServer& s, std::uint16_t) { pasv_to(s, "127,0,0,1,300,5"); }, "PASV"},
    {"PassivePortZero", Command::Listing, true,
     [](ScriptedFtpServer& s, std::uint16_t) { pasv_to(s, "127,0,0,1,0,0"); }, "PASV"},
    {"PassiveReplyWithoutParentheses", Command::Listing, true,
     [](ScriptedFtpServer& s, std::uint16_t) {
         s.expect("PASV").reply("227 Entering Passive Mode 127,0,0,1,4,5");
     },
     "PASV"},
    {"DownloadShortOfThe150SizeThenClosedThen226", Command::Download, true,
     [](ScriptedFtpServer& s, std::uint16_t) {
         s.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})").accept_data();
         s.expect("RETR f").reply("150 Opening BINARY mode data connection for f (1000 bytes)");
         s.send_data(std::string(500, 'x')).close_data().reply("226 Transfer complete");
     },
     "500 of 1000"},
    {"DownloadShortOfThe150SizeWith226BeforeTheClose", Command::Download, true,
     [](ScriptedFtpServer& s, std::uint16_t) {
         s.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})").accept_data();
         s.expect("RETR f").reply("150 Opening BINARY mode data connection for f (1000 bytes)");
         s.send_data(std::string(500, 'x')).reply("226 Transfer complete").pause(100ms).close_data();
     },
     "500 of 1000"},
    {"DataStallsAfterOneKibibyteWithTheControlQuiet", Command::Download, true,
     [](ScriptedFtpServer& s, std::uint16_t) {
         s.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})").accept_data();
         s.expect("RETR f").reply("150 Opening BINARY mode data connection for f (5000 bytes)");
         s.send_data(std::string(1024, 'x'));
     },
     "timed out"},
    {"ListingStallsWithTheControlQuiet", Command::Listing, true,
     [](ScriptedFtpServer& s, std::uint16_t) {
         s.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})").accept_data();
         s.expect("LIST")
             .reply("150 Here comes the listing")
             .send_data("drwxr-xr-x 2 a b 0 Jan 1 2020 x\r\n");
     },
     "timed out"},
    {"ActiveModeServerNeverConnects", Command::Download, false,
     [](ScriptedFtpServer& s, std::uint16_t) {
         s.expect("TYPE I").reply("200 ok");
         s.expect_pattern("PORT 127,0,0,1,\\d+,\\d+").reply("200 PORT ok");
         s.expect("RETR f").reply("150 Opening BINARY mode data connection");
     },
     "timed out"},
};

void PrintTo(const DataFailure& c, std::ostream* os)
{
    *os << c.name;
}

class DataFailures : public ::testing::TestWithParam<DataFailure> {};

TEST_P(DataFailures, EndTheCommandOnceAndTheSessionGoesOn)
{
    const DataFailure& c = GetParam();
    QTemporaryDir dir;
    const std::string local = dir.filePath("f").toStdString();
    const std::uint16_t closed = test::free_loopback_port();
    ScriptedFtpServer server;
    server.reply("220 hi").expect("USER bob").reply("331 pw").expect("PASS secret").reply("230 ok");
    if (c.command == Command::Download && c.passive)
        server.expect("TYPE I").reply("200 ok");
    c.script(server, closed);
    server.expect("PWD").reply("257 \"/\" is the current folder");
    server.start();

    EngineHarness h(TIMEOUT_MS);
    FtpConnection* conn = h.open(server.port(), "bob", "secret", c.passive);
    std::vector<int> transfer;
    std::vector<int> follow_up;
    auto record = [&](std::vector<int>& into) {
        return [&into](FtpConnection&, bool ok) {
            into.push_back(ok ? 1 : 0);
            return 1;
        };
    };
    if (c.command == Command::Download)
        send_retr(h.engine, conn, "f", local, true, record(transfer));
    else
        send_list(h.engine, conn, "", record(transfer));
    ASSERT_TRUE(h.wait([&] { return !transfer.empty(); }, 8000)) << c.name << ": the command never ended";
    EXPECT_EQ(transfer, std::vector<int>{0}) << c.name;
    ASSERT_TRUE(h.live(conn)) << c.name;

    send_pwd(h.engine, conn, record(follow_up));
    ASSERT_TRUE(h.wait([&] { return !follow_up.empty(); }, 8000)) << c.name << ": the session is stuck";
    EXPECT_EQ(follow_up, std::vector<int>{1}) << c.name;
    EXPECT_TRUE(server.wait_done(5000)) << c.name << ": " << server.failure();
    EXPECT_EQ(transfer.size(), 1u) << c.name << ": reported more than once";

    std::string reported;
    int reports = 0;
    for (const auto& e : h.events)
        if (e.code == EV_ERROR && e.conn == conn) {
            ++reports;
            reported = e.text;
        }
    EXPECT_EQ(reports, 1) << c.name << ": the failure is reported once";
    EXPECT_NE(reported.find(c.error_part), std::string::npos) << c.name << ": " << reported;
    EXPECT_EQ(conn->data_connection, nullptr) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Servers, DataFailures, ::testing::ValuesIn(CASES),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kestovan
