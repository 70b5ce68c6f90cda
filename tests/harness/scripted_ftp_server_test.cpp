// The scripted server against a plain blocking client: what it sends, what it records, and that a
// script that does not go as written fails with a text that says where and why.
#include "support/blocking_ftp_client.h"
#include "support/scripted_ftp_server.h"
#include "support/test_environment.h"
#include "support/test_files.h"

#include <QHostAddress>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <poll.h>

namespace kestovan::test {
namespace {

using namespace std::chrono_literals;

constexpr int DONE_MS = 5000;

// True when the server sent nothing on the client's control connection for period.
bool quiet_for(const BlockingFtpClient& client, std::chrono::milliseconds period)
{
    pollfd p{client.fd(), POLLIN, 0};
    return ::poll(&p, 1, static_cast<int>(period.count())) == 0;
}

TEST(ScriptedFtpServer, PlaysExactAndPatternExpectationsAndRecordsLines)
{
    ScriptedFtpServer server;
    server.reply("220 Hi")
        .expect("USER bob")
        .reply("331 Password")
        .expect_pattern("PASS [a-z]+")
        .reply_lines({"230-Welcome", "230 In"});
    server.start();

    BlockingFtpClient client(server.port());
    EXPECT_EQ(client.read_reply().text, "220 Hi");
    const FtpReply last = client.login("bob", "secret");

    EXPECT_EQ(last.code, 230);
    EXPECT_EQ(last.text, "230-Welcome\n230 In");
    ASSERT_TRUE(server.wait_done(DONE_MS)) << server.failure();
    EXPECT_EQ(server.lines(), (std::vector<std::string>{"USER bob", "PASS secret"}));
    EXPECT_EQ(server.failure(), "");
}

TEST(ScriptedFtpServer, WaitDoneKeepsTheEventLoopRunningForAnEventDrivenClient)
{
    ScriptedFtpServer server;
    server.reply("220 Hi").expect("USER bob").reply("331 Password").expect("PASS secret").reply("230 In");
    server.start();

    // Answers each reply from the event loop, as the client under test does.
    QTcpSocket socket;
    std::string received;
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] {
        received += socket.readAll().toStdString();
        if (received == "220 Hi\r\n")
            socket.write("USER bob\r\n");
        else if (received == "220 Hi\r\n331 Password\r\n")
            socket.write("PASS secret\r\n");
    });
    socket.connectToHost(QHostAddress::LocalHost, server.port());

    ASSERT_TRUE(server.wait_done(DONE_MS)) << server.failure();
    EXPECT_TRUE(wait_until([&] { return received.ends_with("230 In\r\n"); }, DONE_MS)) << received;
}

TEST(ScriptedFtpServer, SplitReplyArrivesInPiecesWithPauses)
{
    ScriptedFtpServer server;
    server.send_split({"22", "0 Hel", "lo\r\n"}, 40ms);
    server.start();

    BlockingFtpClient client(server.port());
    const auto begin = std::chrono::steady_clock::now();
    const FtpReply greeting = client.read_reply();

    EXPECT_EQ(greeting.text, "220 Hello");
    EXPECT_GE(std::chrono::steady_clock::now() - begin, 70ms); // two pauses of 40 ms
    EXPECT_TRUE(server.wait_done(DONE_MS)) << server.failure();
}

TEST(ScriptedFtpServer, PassiveDownloadSendsDataInPieces)
{
    ScriptedFtpServer server;
    server.reply("220 Hi")
        .expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode ({pasv}).")
        .expect("RETR a.txt")
        .accept_data()
        .reply("150 Opening")
        .send_data_split({"first,", "second,", "third"}, 10ms)
        .close_data()
        .reply("226 Done");
    server.start();

    BlockingFtpClient client(server.port());
    (void)client.read_reply();
    const FtpTransfer transfer = client.retrieve_passive("RETR a.txt");

    EXPECT_EQ(transfer.start.code, 150);
    EXPECT_EQ(transfer.data, "first,second,third");
    EXPECT_EQ(transfer.end.code, 226);
    ASSERT_TRUE(server.wait_done(DONE_MS)) << server.failure();
    EXPECT_EQ(server.data_received(), std::vector<std::string>{""});
}

TEST(ScriptedFtpServer, PassiveUploadKeepsWhatTheClientSent)
{
    const std::string payload = pseudo_random_bytes(300000, 7);
    ScriptedFtpServer server;
    server.reply("220 Hi")
        .expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode ({pasv})")
        .expect("STOR up.bin")
        .accept_data()
        .reply("150 Send it")
        .receive_data()
        .reply("226 Stored");
    server.start();

    BlockingFtpClient client(server.port());
    (void)client.read_reply();
    const FtpTransfer transfer = client.store_passive("STOR up.bin", payload);

    EXPECT_EQ(transfer.end.code, 226);
    ASSERT_TRUE(server.wait_done(DONE_MS)) << server.failure();
    ASSERT_EQ(server.data_received().size(), 1u);
    EXPECT_EQ(sha256_bytes(server.data_received()[0]), sha256_bytes(payload));
}

TEST(ScriptedFtpServer, EpsvPortPlaceholderNamesTheListener)
{
    ScriptedFtpServer server;
    server.reply("220 Hi").expect("EPSV").passive().reply("229 Extended ({pasv_port})").expect("QUIT");
    server.start();

    BlockingFtpClient client(server.port());
    (void)client.read_reply();
    const FtpReply reply = client.command("EPSV");
    client.send_line("QUIT");

    ASSERT_TRUE(server.wait_done(DONE_MS)) << server.failure();
    const auto open = reply.text.find('(');
    ASSERT_NE(open, std::string::npos) << reply.text;
    const int data_port = std::stoi(reply.text.substr(open + 1));
    EXPECT_GT(data_port, 0);
    EXPECT_NO_THROW((void)connect_loopback(static_cast<std::uint16_t>(data_port)));
}

TEST(ScriptedFtpServer, ActiveTransferConnectsToThePortAddress)
{
    ScriptedFtpServer server;
    server.reply("220 Hi")
        .expect_pattern(R"(PORT 127,0,0,1,\d+,\d+)")
        .reply("200 PORT ok")
        .expect("LIST")
        .connect_active()
        .reply("150 Here")
        .send_data("-rw-r--r-- 1 a b 3 Jan 1 2024 x\r\n")
        .close_data()
        .reply("226 Done");
    server.start();

    BlockingFtpClient client(server.port());
    (void)client.read_reply();
    const FtpTransfer transfer = client.retrieve_active("LIST");

    EXPECT_EQ(transfer.data, "-rw-r--r-- 1 a b 3 Jan 1 2024 x\r\n");
    EXPECT_EQ(transfer.end.code, 226);
    EXPECT_TRUE(server.wait_done(DONE_MS)) << server.failure();
}

TEST(ScriptedFtpServer, ActiveTransferFollowsEprt)
{
    ScriptedFtpServer server;
    server.reply("220 Hi")
        .expect_pattern("EPRT .*")
        .reply("200 ok")
        .connect_active()
        .send_data("x")
        .close_data();
    server.start();

    BlockingFtpClient client(server.port());
    (void)client.read_reply();
    const UniqueFd listener = listen_loopback(0);
    EXPECT_EQ(client.command("EPRT |1|127.0.0.1|" + std::to_string(bound_port(listener.get())) + "|").code,
              200);
    const UniqueFd data = accept_within(listener.get(), 5s);

    EXPECT_EQ(read_to_end(data.get()), "x");
    EXPECT_TRUE(server.wait_done(DONE_MS)) << server.failure();
}

TEST(ScriptedFtpServer, RefusesToFollowAPortOutsideLoopback)
{
    ScriptedFtpServer server;
    server.reply("220 Hi").expect_pattern("PORT .*").reply("200 ok").connect_active();
    server.start();

    BlockingFtpClient client(server.port());
    (void)client.read_reply();
    EXPECT_EQ(client.command("PORT 10,0,0,5,4,1").code, 200);

    EXPECT_FALSE(server.wait_done(DONE_MS));
    EXPECT_NE(server.failure().find("outside loopback"), std::string::npos) << server.failure();
    EXPECT_TRUE(server.data_received().empty());
}

// Each row: a script, what the client does against it, and words the failure text must hold.
struct FailureCase {
    const char* name;
    std::function<void(ScriptedFtpServer&)> script;
    std::function<void(BlockingFtpClient&)> client;
    std::vector<std::string> failure_holds;
};

void PrintTo(const FailureCase& row, std::ostream* out)
{
    *out << row.name;
}

class ScriptedFtpServerFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ScriptedFtpServerFailure, EndsTheScriptWithAReadableFailure)
{
    const FailureCase& row = GetParam();
    ScriptedFtpServer server;
    server.set_step_timeout(300ms);
    row.script(server);
    server.start();

    BlockingFtpClient client(server.port(), 2s);
    row.client(client);

    EXPECT_FALSE(server.wait_done(DONE_MS));
    EXPECT_TRUE(server.done());
    EXPECT_FALSE(server.finished());
    for (const std::string& words : row.failure_holds)
        EXPECT_NE(server.failure().find(words), std::string::npos) << server.failure();
    // The client is not left waiting: the server closes the control connection after a failure.
    EXPECT_THROW((void)client.read_reply(), std::runtime_error);
}

const FailureCase FAILURE_CASES[] = {
    {"ExactMismatch",
     [](ScriptedFtpServer& s) { s.expect("USER bob").reply("331 Pass"); },
     [](BlockingFtpClient& c) { c.send_line("USER alice"); },
     {"step 1 of 2", "expect \"USER bob\"", "received \"USER alice\""}},
    {"PatternMismatch",
     [](ScriptedFtpServer& s) { s.expect_pattern("PASS \\d+"); },
     [](BlockingFtpClient& c) { c.send_line("PASS word"); },
     {"expect pattern /PASS \\d+/", "\"PASS word\""}},
    {"LineWithoutCarriageReturn",
     [](ScriptedFtpServer& s) { s.expect("NOOP"); },
     [](BlockingFtpClient& c) { c.send_raw("NOOP\n"); },
     {"not ended by CR LF"}},
    {"NoCommandInTime",
     [](ScriptedFtpServer& s) { s.reply("220 Hi").expect("USER bob"); },
     [](BlockingFtpClient& c) { (void)c.read_reply(); },
     {"step 2 of 2", "no command line within 300 ms"}},
    {"ClientHangsUp",
     [](ScriptedFtpServer& s) { s.expect("USER bob"); },
     [](BlockingFtpClient& c) { c.close(); },
     {"closed the control connection"}},
    {"PasvPlaceholderWithoutListener",
     [](ScriptedFtpServer& s) { s.reply("227 ({pasv})"); },
     [](BlockingFtpClient&) {},
     {"passive() has not run"}},
    {"NoDataConnection",
     [](ScriptedFtpServer& s) { s.passive().reply("227 ({pasv})").accept_data(); },
     [](BlockingFtpClient& c) { (void)c.read_reply(); },
     {"accept a data connection", "did not connect"}},
    {"UnexpectedCommandDuringSilence",
     [](ScriptedFtpServer& s) { s.expect_silence(1000ms).reply("200 ok"); },
     [](BlockingFtpClient& c) { c.send_line("ABOR"); },
     {"expect no command for 1000 ms", "\"ABOR\""}},
};

INSTANTIATE_TEST_SUITE_P(Script, ScriptedFtpServerFailure, ::testing::ValuesIn(FAILURE_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ScriptedFtpServer, AwaitHoldsTheScriptUntilReleased)
{
    ScriptedFtpServer server;
    server.reply("220 Hi").expect("NOOP").await("hold").reply("200 Released");
    server.start();

    BlockingFtpClient client(server.port());
    (void)client.read_reply();
    client.send_line("NOOP");

    ASSERT_TRUE(server.wait_reached("hold", DONE_MS));
    EXPECT_TRUE(quiet_for(client, 150ms));
    server.release("hold");
    EXPECT_EQ(client.read_reply().text, "200 Released");
    EXPECT_TRUE(server.wait_done(DONE_MS)) << server.failure();
}

TEST(ScriptedFtpServer, SecondControlConnectionBecomesCurrent)
{
    ScriptedFtpServer server;
    server.reply("220 First").accept_control().reply("220 Second").expect("USER two").close_control();
    server.start();

    BlockingFtpClient first(server.port());
    EXPECT_EQ(first.read_reply().text, "220 First");
    BlockingFtpClient second(server.port());
    EXPECT_EQ(second.read_reply().text, "220 Second");
    second.send_line("USER two");

    ASSERT_TRUE(server.wait_done(DONE_MS)) << server.failure();
    EXPECT_THROW((void)second.read_reply(), std::runtime_error); // closed by the script
    EXPECT_TRUE(quiet_for(first, 50ms));                         // the first stays open
}

TEST(ScriptedFtpServer, RecordsLinesSentAfterTheScriptEnded)
{
    ScriptedFtpServer server;
    server.reply("220 Hi");
    server.start();

    BlockingFtpClient client(server.port());
    (void)client.read_reply();
    ASSERT_TRUE(server.wait_done(DONE_MS)) << server.failure();
    client.send_line("QUIT");

    EXPECT_TRUE(wait_until([&] { return server.lines() == std::vector<std::string>{"QUIT"}; }, DONE_MS));
}

TEST(ScriptedFtpServer, ResetDataAbortsTheTransferAndExpectClosedSeesTheHangUp)
{
    ScriptedFtpServer server;
    server.reply("220 Hi")
        .expect("PASV")
        .passive()
        .reply("227 ({pasv})")
        .accept_data()
        .send_data("partial")
        .pause(50ms)
        .reset_data()
        .expect_closed();
    server.start();

    BlockingFtpClient client(server.port());
    (void)client.read_reply();
    const UniqueFd data = client.open_passive();
    EXPECT_THROW((void)read_to_end(data.get()), std::runtime_error); // a reset, not an orderly end
    client.close();

    EXPECT_TRUE(server.wait_done(DONE_MS)) << server.failure();
}

TEST(ScriptedFtpServer, DestructorEndsAScriptWhileTheClientStaysConnected)
{
    const std::function<void(ScriptedFtpServer&)> scripts[] = {
        [](ScriptedFtpServer& s) { s.reply("220 Hi").await("never"); },
        [](ScriptedFtpServer& s) { s.reply("220 Hi").expect("USER bob"); },
        [](ScriptedFtpServer& s) { s.reply("220 Hi").pause(60s); },
    };
    for (const auto& script : scripts) {
        std::optional<BlockingFtpClient> client; // outlives the server
        const auto begin = std::chrono::steady_clock::now();
        {
            ScriptedFtpServer server;
            script(server);
            server.start();
            client.emplace(server.port());
            (void)client->read_reply();
        }
        EXPECT_LT(std::chrono::steady_clock::now() - begin, 1s);
    }
}

} // namespace
} // namespace kestovan::test
