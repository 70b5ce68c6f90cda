// Login and reply assembly against the scripted server: every line the client sends is checked.
#include "engine/command_set.h"
#include "engine/control_channel.h"
#include "support/engine_harness.h"
#include "support/scripted_ftp_server.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestovan {
namespace {

using test::EngineHarness;
using test::ScriptedFtpServer;
using Lines = std::vector<std::string>;

TEST(Login, MultiLineGreetingAndMultiLine230CompleteTheLoginOnce)
{
    ScriptedFtpServer server;
    server.reply_lines({"220-Welcome", "220-to the test"})
        .expect("USER bob")
        .reply("220 ready")
        .reply("331 Password please")
        .expect("PASS secret")
        .reply_lines({"230-Hello", "230-Read the rules", "230 Logged in"})
        .expect("PWD")
        .reply("257 \"/\"");
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    ASSERT_TRUE(h.wait([&] { return !h.login_results.empty(); })) << server.failure();
    EXPECT_EQ(h.login_results, std::vector<bool>{true});
    std::vector<int> results;
    send_pwd(h.engine, c, test::record_result(results));
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return !results.empty(); }));
    EXPECT_EQ(results, std::vector<int>{1});
    EXPECT_EQ(server.lines(), (Lines{"USER bob", "PASS secret", "PWD"}));
}

TEST(Login, SplitRepliesAreAssembledAcrossReads)
{
    ScriptedFtpServer server;
    server.reply("220 hi")
        .expect("USER bob")
        .send_split({"33", "1 Pass", "word required\r", "\n"}, std::chrono::milliseconds(30))
        .expect("PASS secret")
        .send_split({"230-a\r\n23", "0 done\r\n"}, std::chrono::milliseconds(30));
    server.start();
    EngineHarness h;
    h.open(server.port());
    ASSERT_TRUE(h.wait([&] { return !h.login_results.empty(); })) << server.failure();
    EXPECT_EQ(h.login_results, std::vector<bool>{true});
}

TEST(Login, A530ToUserIsRetriedOnceThenTheLoginFails)
{
    ScriptedFtpServer server;
    server.reply("220 hi")
        .expect("USER bob")
        .reply("530 busy")
        .expect("USER bob")
        .reply("530 still busy")
        .expect_silence(std::chrono::milliseconds(200));
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return !h.login_results.empty(); }));
    EXPECT_FALSE(h.login_results[0]);
    EXPECT_TRUE(c->queue.empty()) << "the user callback clears the queue; PASS is never sent";
}

TEST(Login, A503ToPassRepeatsTheLoginOnceAndASecondEndsTheSession)
{
    ScriptedFtpServer server;
    server.reply("220 hi")
        .expect("USER bob")
        .reply("331 pw")
        .expect("PASS secret")
        .reply("503 Login with USER first")
        .expect("USER bob")
        .reply("331 pw")
        .expect("PASS secret")
        .reply("503 again")
        .expect_closed();
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    const auto serial = c->serial;
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    EXPECT_TRUE(h.closed(c, serial));
}

TEST(Login, ARefusedPasswordDestroysTheRecordWithNotification)
{
    ScriptedFtpServer server;
    server.reply("220 hi")
        .expect("USER bob")
        .reply("331 pw")
        .expect("PASS secret")
        .reply("530 Login incorrect")
        .expect_closed();
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    const auto serial = c->serial;
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return h.closed(c, serial); }));
    auto logs = h.texts(EV_LOG);
    EXPECT_NE(std::find(logs.begin(), logs.end(), "530 Login incorrect"), logs.end());
}

TEST(Login, AMissingPasswordIsAskedForAndSentBehindTheUser)
{
    ScriptedFtpServer server;
    server.reply("220 hi").expect("USER bob").reply("331 pw").expect("PASS typed").reply("230 ok");
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port(), "bob", "");
    h.on_event = [&](const test::RecordedEvent& e) {
        if (e.code == EV_NEED_PASSWORD)
            resend_password(h.engine, *c, "typed");
    };
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return !h.login_results.empty(); }));
    EXPECT_TRUE(h.login_results[0]);
}

TEST(Login, CancellingThePasswordPromptQuitsInsteadOfCompletingTheUser)
{
    ScriptedFtpServer server;
    server.reply("220 hi").expect("USER bob").reply("331 pw").expect("QUIT").reply("221 bye").expect_closed();
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port(), "bob", "");
    const auto serial = c->serial;
    h.on_event = [&](const test::RecordedEvent& e) {
        if (e.code == EV_NEED_PASSWORD)
            close_session(h.engine, *c);
    };
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    EXPECT_TRUE(h.wait([&] { return h.closed(c, serial); }));
}

TEST(Login, AnAccountIsSentWhenTheServerAsksForOne)
{
    ScriptedFtpServer server;
    server.reply("220 hi")
        .expect("USER bob")
        .reply("331 pw")
        .expect("PASS secret")
        .reply("332 Need account")
        .expect("ACCT acme")
        .reply("230 ok");
    server.start();
    EngineHarness h;
    open_session(h.engine, "bob", "secret", "acme", "127.0.0.1", server.port(), nullptr,
                 [&](FtpConnection&, bool ok) {
                     h.login_results.push_back(ok);
                     return 0;
                 });
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return !h.login_results.empty(); }));
    EXPECT_TRUE(h.login_results[0]);
}

TEST(Login, UserAcceptedAloneDoesNotLoopOnA503ToPass)
{
    ScriptedFtpServer server;
    server.reply("220 hi")
        .expect("USER bob")
        .reply("230 no password needed")
        .expect("PASS secret")
        .reply("503 Already logged in")
        .expect("PWD")
        .reply("257 \"/\"");
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    send_pwd(h.engine, c);
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
}

TEST(Replies, TwoRepliesInOneBlockCompleteTwoCommands)
{
    ScriptedFtpServer server;
    server.reply("220 hi")
        .expect("USER bob")
        .reply("230 ok")
        .expect("PASS secret")
        .reply("230 fine")
        .expect("CWD /a")
        .await("both")
        .send("250 cwd ok\r\n257 \"/a\"\r\n")
        .expect("PWD")
        .expect("NOOP")
        .reply("200 ok");
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    std::vector<int> results;
    send_cwd(h.engine, c, "/a", test::record_result(results));
    send_pwd(h.engine, c, test::record_result(results));
    ASSERT_TRUE(server.wait_reached("both", 5000)) << server.failure();
    send_raw(h.engine, c, "NOOP", test::record_result(results));
    server.release("both");
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return results.size() == 3; }));
    EXPECT_EQ(results, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(server.lines(), (Lines{"USER bob", "PASS secret", "CWD /a", "PWD", "NOOP"}))
        << "the completed CWD sends PWD at once, and the block's second reply completes it";
    // The log reads in wire order: each reply before the command it set off.
    const auto logged = h.texts(EV_LOG);
    auto at = [&](const std::string& text) {
        return std::find_if(logged.begin(), logged.end(),
                            [&](const std::string& l) { return l.starts_with(text); }) -
               logged.begin();
    };
    ASSERT_LT(at("NOOP"), static_cast<std::ptrdiff_t>(logged.size()));
    EXPECT_LT(at("250 cwd ok"), at("PWD"));
    EXPECT_LT(at("PWD"), at("257 \"/a\""));
    EXPECT_LT(at("257 \"/a\""), at("NOOP"));
}

TEST(Replies, A230AtAnotherHeadChangesNothing)
{
    ScriptedFtpServer server;
    server.reply("220 hi")
        .expect("USER bob")
        .reply("331 pw")
        .expect("PASS secret")
        .reply("230 ok")
        .expect("PWD")
        .reply("230 stray")
        .pause(std::chrono::milliseconds(50))
        .reply("257 \"/x\"");
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    std::vector<int> results;
    send_pwd(h.engine, c, [&](FtpConnection& conn, bool ok) {
        results.push_back(ok);
        EXPECT_EQ(conn.queue.front()->reply, "257 \"/x\"");
        return 1;
    });
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    ASSERT_TRUE(h.wait([&] { return !results.empty(); }));
}

TEST(Replies, A421DestroysTheRecordEvenWithCommandsQueued)
{
    ScriptedFtpServer server;
    server.reply("220 hi")
        .expect("USER bob")
        .reply("331 pw")
        .expect("PASS secret")
        .reply("421 Too many users")
        .expect_closed();
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    const auto serial = c->serial;
    send_pwd(h.engine, c);
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    EXPECT_TRUE(h.wait([&] { return h.closed(c, serial); }));
}

TEST(Replies, AReplyWithoutLineEndBeyondTheBoundFailsTheConnection)
{
    ScriptedFtpServer server;
    server.reply("220 hi").expect("USER bob").send(std::string(1200 * 1024, 'x')).expect_closed();
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    const auto serial = c->serial;
    ASSERT_TRUE(server.wait_done(10000)) << server.failure();
    EXPECT_TRUE(h.wait([&] { return h.closed(c, serial); }));
    EXPECT_FALSE(h.errors(ERR_PROTOCOL).empty());
}

TEST(Replies, FailedRnfrTakesItsRntoAlong)
{
    ScriptedFtpServer server;
    server.reply("220 hi")
        .expect("USER bob")
        .reply("331 pw")
        .expect("PASS secret")
        .reply("230 ok")
        .expect("RNFR old")
        .reply("550 no such file")
        .expect("PWD")
        .reply("257 \"/\"");
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    send_rnfr(h.engine, c, "old");
    send_rnto(h.engine, c, "new");
    send_pwd(h.engine, c);
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    EXPECT_EQ(h.errors(ERR_REPLY).size(), 1u);
}

TEST(Quit, CloseSessionSendsQuitAndTheNextPumpVisitDestroysTheRecord)
{
    ScriptedFtpServer server;
    server.reply("220 hi")
        .expect("USER bob")
        .reply("331 pw")
        .expect("PASS secret")
        .reply("230 ok")
        .expect("QUIT")
        .reply("221 bye")
        .expect_closed();
    server.start();
    EngineHarness h;
    FtpConnection* c = h.open(server.port());
    const auto serial = c->serial;
    ASSERT_TRUE(h.wait([&] { return !h.login_results.empty(); }));
    close_session(h.engine, *c);
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    EXPECT_TRUE(h.wait([&] { return h.closed(c, serial); }));
}

} // namespace
} // namespace kestovan
