// Data connections against the scripted server: listings, downloads and uploads in both modes and
// the ways they end.
#include "engine/command_set.h"
#include "engine/control_channel.h"
#include "platform/connect_guard.h"
#include "support/engine_harness.h"
#include "support/scripted_ftp_server.h"
#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace kestovan {
namespace {

using namespace std::chrono_literals;
using test::EngineHarness;
using test::ScriptedFtpServer;
using Lines = std::vector<std::string>;

void script_login(ScriptedFtpServer& server)
{
    server.reply("220 hi").expect("USER bob").reply("331 pw").expect("PASS secret").reply("230 ok");
}

struct Transfers : ::testing::Test {
    QTemporaryDir dir;
    std::string file(const char* name) const { return dir.filePath(name).toStdString(); }
};

TEST_F(Transfers, AListingWhoseReplyComesFirstCompletesWithAllItsData)
{
    ScriptedFtpServer server;
    script_login(server);
    server.expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode ({pasv})")
        .expect("LIST /pub")
        .accept_data()
        .send("150 Here it comes\r\n226 Done\r\n")
        .send_data_split({"-rw-r--r-- 1 a b 1 Jan 1 2020 one\r\n", "-rw-r--r-- 1 a b 2 Jan 1 2020 two\r\n"},
                         100ms)
        .close_data();
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    std::string listing;
    int calls = 0;
    send_list(h.engine, c, "/pub", [&](FtpConnection& conn, bool ok) {
        ++calls;
        EXPECT_TRUE(ok);
        if (conn.data_connection)
            listing = conn.data_connection->buffer;
        return 1;
    });
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return calls == 1; }));
    EXPECT_EQ(listing, "-rw-r--r-- 1 a b 1 Jan 1 2020 one\r\n-rw-r--r-- 1 a b 2 Jan 1 2020 two\r\n");
    EXPECT_EQ(c->last_reply_code, 226);
    EXPECT_EQ(c->data_connection, nullptr);
}

TEST_F(Transfers, AFailedPasvRemovesThreeCommands)
{
    ScriptedFtpServer server;
    script_login(server);
    server.expect("TYPE I")
        .reply("200 ok")
        .expect("PASV")
        .reply("500 no passive")
        .expect("PWD")
        .reply("257 \"/\"");
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    send_retr(h.engine, c, "f", file("f"), true, {});
    send_raw(h.engine, c, "NOOP");
    send_pwd(h.engine, c);
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    EXPECT_EQ(server.lines().back(), "PWD") << "PASV, RETR and the NOOP behind it went";
}

TEST_F(Transfers, AFailedPortBeforeAPlainListAlsoRemovesTheCommandAfterIt)
{
    ScriptedFtpServer server;
    script_login(server);
    server.expect_pattern("PORT 127,0,0,1,\\d+,\\d+").reply("500 no").expect("PWD").reply("257 \"/\"");
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port(), "bob", "secret", false);
    send_list(h.engine, c, "", {});
    send_raw(h.engine, c, "NOOP");
    send_pwd(h.engine, c);
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
}

TEST_F(Transfers, ARefusedRestSendsNoRetrAndLeavesTheLocalFileAlone)
{
    const std::string local = file("partial");
    test::write_file(local, "ABCDEF");
    ScriptedFtpServer server;
    script_login(server);
    server.expect("TYPE I")
        .reply("200 ok")
        .expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode ({pasv})")
        .accept_data()
        .expect("REST 3")
        .reply("502 REST not implemented")
        .expect("PWD")
        .reply("257 \"/\"");
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    std::vector<int> results;
    send_retr_resume(h.engine, c, "f", local, true, 3, test::record_result(results));
    send_pwd(h.engine, c);
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    EXPECT_EQ(results, std::vector<int>{0}) << "one failure for the REST, none for the dropped RETR";
    EXPECT_EQ(test::read_file(local), "ABCDEF");
}

TEST_F(Transfers, ADownloadThatEndsShortOfTheAnnouncedSizeFailsAndKeepsThePartialFile)
{
    const std::string local = file("short");
    ScriptedFtpServer server;
    script_login(server);
    server.expect("TYPE I")
        .reply("200 ok")
        .expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode ({pasv})")
        .accept_data()
        .expect("RETR big")
        .reply("150 Opening BINARY mode data connection for big (1000 bytes)")
        .send_data(std::string(500, 'x'))
        .close_data()
        .reply("226 Transfer complete");
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    std::vector<int> results;
    send_retr(h.engine, c, "big", local, true, test::record_result(results));
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return results.size() == 1; }));
    EXPECT_EQ(results[0], 0);
    auto errors = h.errors(ERR_REPLY);
    ASSERT_FALSE(errors.empty());
    EXPECT_NE(errors.back().find("500 of 1000"), std::string::npos) << errors.back();
    EXPECT_EQ(test::read_file(local), std::string(500, 'x'));
}

TEST_F(Transfers, ARefusedDownloadLeavesNoEmptyFileBehind)
{
    const std::string local = file("missing");
    ScriptedFtpServer server;
    script_login(server);
    server.expect("TYPE I")
        .reply("200 ok")
        .expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode ({pasv})")
        .accept_data()
        .expect("RETR missing")
        .reply("550 Failed to open file.");
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    std::vector<int> results;
    send_retr(h.engine, c, "missing", local, true, test::record_result(results));
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return results.size() == 1; }));
    EXPECT_EQ(results[0], 0);
    EXPECT_FALSE(std::filesystem::exists(local)) << "the file the download made is gone again";
}

// A transfer whose local file cannot be opened is never sent: it fails with the system's reason
// (so a Tasks row or a folder walk waiting for it ends) and the session takes the next command.
TEST_F(Transfers, ALocalFileThatCannotBeOpenedFailsTheTransferUnsent)
{
    struct Case {
        const char* name;
        const char* verb;
        std::function<FtpCommand*(EngineHarness&, FtpConnection*, CommandCallback)> queue;
        const char* reason;
    };
    const std::string folder = dir.path().toStdString(); // a folder cannot be opened as a file
    const std::string vanishing = file("gone");
    const Case cases[] = {
        {"a download into a folder's name", "RETR",
         [&](EngineHarness& h, FtpConnection* c, CommandCallback cb) {
             return send_retr(h.engine, c, "f", folder, true, std::move(cb));
         },
         "Is a directory"},
        {"an upload whose file is gone before it is sent", "STOR",
         [&](EngineHarness& h, FtpConnection* c, CommandCallback cb) {
             test::write_file(vanishing, "abc");
             FtpCommand* queued = send_stor(h.engine, c, vanishing, "f", true, std::move(cb));
             std::filesystem::remove(vanishing);
             return queued;
         },
         "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFtpServer server;
        script_login(server);
        server.expect("TYPE I").reply("200 ok");
        server.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})");
        server.expect("PWD").reply("257 \"/\"");
        server.start();
        EngineHarness h;
        FtpConnection* conn = h.open(server.port());
        std::vector<int> results;
        ASSERT_NE(c.queue(h, conn, test::record_result(results)), nullptr);
        send_pwd(h.engine, conn, test::record_result(results));
        ASSERT_TRUE(h.wait([&] { return results.size() == 2; })) << server.failure();
        EXPECT_EQ(results, (std::vector<int>{0, 1}));
        EXPECT_TRUE(server.wait_done(5000)) << c.verb << " was sent: " << server.failure();
        const auto errors = h.errors(ERR_REPLY);
        EXPECT_TRUE(std::ranges::any_of(errors, [&](const std::string& text) {
            return text.find("Unable to open the local file") != std::string::npos &&
                   text.find(c.reason) != std::string::npos;
        })) << ::testing::PrintToString(errors);
    }
}

TEST_F(Transfers, ADownloadEndingIn426FailsAfterAReset)
{
    const std::string local = file("reset");
    ScriptedFtpServer server;
    script_login(server);
    server.expect("TYPE I")
        .reply("200 ok")
        .expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode ({pasv})")
        .accept_data()
        .expect("RETR f")
        .reply("150 go")
        .send_data("abc")
        .pause(50ms)
        .reset_data()
        .reply("426 Connection closed; transfer aborted");
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    std::vector<int> results;
    send_retr(h.engine, c, "f", local, true, test::record_result(results));
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return results.size() == 1; }));
    EXPECT_EQ(results[0], 0);
}

TEST_F(Transfers, ActiveModeListensOnTheControlAddressAndDownloads)
{
    const std::string local = file("active");
    ScriptedFtpServer server;
    script_login(server);
    server.expect("TYPE I")
        .reply("200 ok")
        .expect_pattern("PORT 127,0,0,1,\\d+,\\d+")
        .reply("200 PORT ok")
        .expect("RETR f")
        .connect_active()
        .reply("150 Opening (6 bytes)")
        .send_data("hello\n")
        .close_data()
        .reply("226 done");
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port(), "bob", "secret", false);
    std::vector<int> results;
    send_retr(h.engine, c, "f", local, true, test::record_result(results));
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return results.size() == 1; }));
    EXPECT_EQ(results[0], 1);
    EXPECT_EQ(test::read_file(local), "hello\n");
}

TEST_F(Transfers, APassiveReplyNamingAnotherHostIsNotFollowed)
{
    const std::string local = file("elsewhere");
    ScriptedFtpServer server;
    script_login(server);
    // 192.0.2.5 is a documentation address; the client must connect to the server it reached.
    server.expect("TYPE I")
        .reply("200 ok")
        .expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode (192,0,2,5,{pasv_port_bytes})")
        .accept_data()
        .expect("RETR f")
        .reply("150 go")
        .send_data("data")
        .close_data()
        .reply("226 done");
    server.start();
    ConnectGuard::clear_attempts();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    std::vector<int> results;
    send_retr(h.engine, c, "f", local, true, test::record_result(results));
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return results.size() == 1; }));
    EXPECT_EQ(results[0], 1);
    for (const std::string& target : ConnectGuard::attempts())
        EXPECT_EQ(target.rfind("127.0.0.1:", 0), 0u) << target;
    bool logged = false;
    for (const std::string& line : h.texts(EV_LOG))
        logged = logged || line.find("192.0.2.5") != std::string::npos;
    EXPECT_TRUE(logged);
}

TEST_F(Transfers, UploadsSendTheFileAndAnEmptyFileEndsAtOnce)
{
    const std::string content = test::pseudo_random_bytes(700000, 7);
    test::write_file(file("up"), content);
    test::write_file(file("empty"), "");
    ScriptedFtpServer server;
    script_login(server);
    server.expect("TYPE I")
        .reply("200 ok")
        .expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode ({pasv})")
        .accept_data()
        .expect("STOR up")
        .reply("150 go")
        .receive_data()
        .reply("226 stored")
        .expect("TYPE I")
        .reply("200 ok")
        .expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode ({pasv})")
        .accept_data()
        .expect("STOR empty")
        .reply("150 go")
        .receive_data()
        .reply("226 stored");
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    std::vector<int> results;
    send_stor(h.engine, c, file("up"), "up", true, test::record_result(results));
    send_stor(h.engine, c, file("empty"), "empty", true, test::record_result(results));
    ASSERT_TRUE(server.wait_done(10000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return results.size() == 2; }));
    EXPECT_EQ(results, (std::vector<int>{1, 1}));
    auto data = server.data_received();
    ASSERT_EQ(data.size(), 2u);
    EXPECT_TRUE(data[0] == content) << "sizes " << data[0].size() << " and " << content.size();
    EXPECT_EQ(data[1], "");
}

TEST_F(Transfers, TwoQueuedDownloadsEachOpenTheirFileAtTheirOwnOffset)
{
    test::write_file(file("a"), "abcXXX");
    test::write_file(file("b"), "old content");
    ScriptedFtpServer server;
    script_login(server);
    server.expect("TYPE I")
        .reply("200 ok")
        .expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode ({pasv})")
        .accept_data()
        .expect("REST 3")
        .reply("350 ok")
        .expect("RETR a")
        .reply("150 go")
        .send_data("def")
        .close_data()
        .reply("226 ok")
        .expect("TYPE I")
        .reply("200 ok")
        .expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode ({pasv})")
        .accept_data()
        .expect("RETR b")
        .reply("150 go")
        .send_data("new")
        .close_data()
        .reply("226 ok");
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    std::vector<int> results;
    send_retr_resume(h.engine, c, "a", file("a"), true, 3, test::record_result(results));
    send_retr(h.engine, c, "b", file("b"), true, test::record_result(results));
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return results.size() == 3; }));
    EXPECT_EQ(test::read_file(file("a")), "abcdef");
    EXPECT_EQ(test::read_file(file("b")), "new");
}

TEST_F(Transfers, AnOversizedListingStopsTheTransferWithAClearError)
{
    ScriptedFtpServer server;
    script_login(server);
    server.expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode ({pasv})")
        .accept_data()
        .expect("LIST")
        .reply("150 go")
        .await("filled")
        .send_data(std::string(100, 'x'))
        .close_data()
        .reply("226 done")
        .expect("PWD")
        .reply("257 \"/\"");
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    std::vector<int> results;
    send_list(h.engine, c, "", test::record_result(results));
    send_pwd(h.engine, c, test::record_result(results));
    ASSERT_TRUE(server.wait_reached("filled", 5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return c->data_connection && c->data_connection->socket; }));
    // Stand in for a listing that has grown to just below the bound.
    c->data_connection->buffer.assign(MAX_LISTING_SIZE - 10, 'x');
    server.release("filled");
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return results.size() == 2; }));
    EXPECT_EQ(results, (std::vector<int>{0, 1})) << "the listing fails, the session goes on";
    EXPECT_FALSE(h.errors(ERR_PROTOCOL).empty());
}

} // namespace
} // namespace kestovan
