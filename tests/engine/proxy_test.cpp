// Proxies with the scripted server playing the proxy: the FTP proxy's USER form, the SOCKS 4 and
// SOCKS 5 handshakes byte by byte, replies that arrive with what follows them, refusals that end the
// connection at once, and the choice of host and port for every kind of record.
#include "engine/command_set.h"
#include "engine/control_channel.h"
#include "platform/connect_guard.h"
#include "platform/host_lookup.h"
#include "support/engine_harness.h"
#include "support/scripted_ftp_server.h"
#include "support/test_files.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace kestovan {
namespace {

using namespace std::chrono_literals;
using test::EngineHarness;
using test::ScriptedFtpServer;
using Lines = std::vector<std::string>;

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

const std::string SOCKS4_GRANTED = bytes({0, 90, 0, 0, 0, 0, 0, 0});
const std::string SOCKS5_NO_AUTH = bytes({5, 0});
const std::string SOCKS5_SUCCEEDED = bytes({5, 0, 0, 1, 127, 0, 0, 1, 0x9c, 0x40});
// CONNECT for 127.0.0.1 port 21.
const std::string SOCKS5_CONNECT_21 = bytes({5, 1, 0, 1, 127, 0, 0, 1, 0, 21});

void script_login(ScriptedFtpServer& server)
{
    server.expect("USER bob").reply("331 pw").expect("PASS secret").reply("230 ok");
}

bool any_contains(const std::vector<std::string>& texts, const std::string& part)
{
    return std::any_of(texts.begin(), texts.end(),
                       [&](const auto& t) { return t.find(part) != std::string::npos; });
}

bool attempted(const std::string& target)
{
    const auto all = ConnectGuard::attempts();
    return std::find(all.begin(), all.end(), target) != all.end();
}

struct ProxyHandshake : ::testing::Test {
    // A long engine time-out: a refusal must end the connection by itself, not by the time-out.
    EngineHarness h{30000};
    ScriptedFtpServer proxy;

    void use_proxy(ProxyType type, const std::string& user = {}, const std::string& password = {})
    {
        set_proxy(h.engine, type, "127.0.0.1", proxy.port(), user, password);
    }
    // Waits for the login to succeed and checks that the greeting behind the proxy's reply reached
    // the reply parser whole, with none of the reply's bytes in front of it.
    void expect_login_through_proxy()
    {
        ASSERT_TRUE(proxy.wait_done(5000)) << proxy.failure();
        ASSERT_TRUE(h.wait([&] { return !h.login_results.empty(); }));
        EXPECT_EQ(h.login_results, std::vector<bool>{true});
        EXPECT_TRUE(any_contains(h.texts(EV_STATUS), " 220 behind the proxy\r\n"));
        EXPECT_EQ(proxy.lines(), (Lines{"USER bob", "PASS secret"}));
    }
};

TEST_F(ProxyHandshake, AnFtpProxyGetsUserAtServerColonPortAndTheTargetIsNeverLookedUp)
{
    proxy.reply("220 proxy ready")
        .expect("USER anna@S:21")
        .reply("331 pw")
        .expect("PASS secret")
        .reply("230 ok")
        .expect("PASV")
        .passive()
        .reply("227 Entering Passive Mode ({pasv})")
        .expect("LIST")
        .accept_data()
        .reply("150 here")
        .send_data("-rw-r--r-- 1 a b 1 Jan 1 2020 one\r\n")
        .close_data()
        .reply("226 done");
    proxy.start();
    use_proxy(PROXY_FTP);
    ConnectGuard::clear_attempts();
    FtpConnection* c =
        open_session(h.engine, "anna", "secret", "", "S", 21, nullptr, [&](FtpConnection&, bool ok) {
            h.login_results.push_back(ok);
            return 0;
        });
    ASSERT_NE(c, nullptr);
    c->passive = 1;
    std::string listing;
    send_list(h.engine, c, "", [&](FtpConnection& conn, bool ok) {
        EXPECT_TRUE(ok);
        listing = conn.data_connection ? conn.data_connection->buffer : "";
        return 1;
    });
    ASSERT_TRUE(proxy.wait_done(5000)) << proxy.failure();
    ASSERT_TRUE(h.wait([&] { return !listing.empty(); }));
    EXPECT_EQ(listing, "-rw-r--r-- 1 a b 1 Jan 1 2020 one\r\n");
    EXPECT_TRUE(attempted("127.0.0.1:" + std::to_string(proxy.port())));
    EXPECT_FALSE(attempted("lookup S"));
}

struct Socks4Case {
    const char* name;
    std::string user; // empty: the local host name is the user id
};

class Socks4Request : public ProxyHandshake, public ::testing::WithParamInterface<Socks4Case> {};

TEST_P(Socks4Request, IsVersionCommandPortAddressUserIdAndZeroThenTheReplyIsCutFromTheGreeting)
{
    const std::string user_id = GetParam().user.empty() ? local_host_name().substr(0, 90) : GetParam().user;
    proxy.expect_bytes(bytes({4, 1, 0, 21, 127, 0, 0, 1}) + user_id + bytes({0}))
        .send(SOCKS4_GRANTED + "220 behind the proxy\r\n");
    script_login(proxy);
    proxy.start();
    use_proxy(PROXY_SOCKS4, GetParam().user);
    h.open(21);
    expect_login_through_proxy();
}

INSTANTIATE_TEST_SUITE_P(Proxy, Socks4Request,
                         ::testing::Values(Socks4Case{"UserIdBob", "bob"}, Socks4Case{"LocalHostName", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProxyHandshake, Socks5WithUserNameAndPasswordSendsTheExactBytes)
{
    proxy.expect_bytes(bytes({5, 1, 2}))
        .send(bytes({5, 2}))
        .expect_bytes(bytes({1, 4}) + "user" + bytes({4}) + "pass")
        .send(bytes({1, 0}))
        // Port 50000 is 195, 80.
        .expect_bytes(bytes({5, 1, 0, 1, 127, 0, 0, 1, 195, 80}))
        .send(SOCKS5_SUCCEEDED + "220 behind the proxy\r\n");
    script_login(proxy);
    proxy.start();
    use_proxy(PROXY_SOCKS5, "user", "pass");
    h.open(50000);
    expect_login_through_proxy();
    EXPECT_TRUE(any_contains(h.texts(EV_STATUS), " Connected to 127.0.0.1"));
}

struct ConnectReplyCase {
    const char* name;
    std::vector<std::string> pieces; // the reply and the greeting, one write each
};

class Socks5ConnectReply : public ProxyHandshake, public ::testing::WithParamInterface<ConnectReplyCase> {};

TEST_P(Socks5ConnectReply, IsConsumedByItsRealLengthAndTheGreetingIsKept)
{
    proxy.expect_bytes(bytes({5, 1, 0}))
        .send(SOCKS5_NO_AUTH)
        .expect_bytes(SOCKS5_CONNECT_21)
        .send_split(GetParam().pieces, 50ms);
    script_login(proxy);
    proxy.start();
    use_proxy(PROXY_SOCKS5);
    h.open(21);
    expect_login_through_proxy();
}

const std::string GREETING = "220 behind the proxy\r\n";
const std::string DOMAIN_REPLY = bytes({5, 0, 0, 3, 9}) + "localhost" + bytes({0x9c, 0x40});
const std::string IPV6_REPLY =
    bytes({5, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0x9c, 0x40});

INSTANTIATE_TEST_SUITE_P(
    Proxy, Socks5ConnectReply,
    ::testing::Values(ConnectReplyCase{"Ipv4InOneReadWithTheGreeting", {SOCKS5_SUCCEEDED + GREETING}},
                      ConnectReplyCase{"DomainNameInOneReadWithTheGreeting", {DOMAIN_REPLY + GREETING}},
                      ConnectReplyCase{"Ipv6InOneReadWithTheGreeting", {IPV6_REPLY + GREETING}},
                      ConnectReplyCase{"Ipv6SplitAcrossReads",
                                       {IPV6_REPLY.substr(0, 3), IPV6_REPLY.substr(3, 10),
                                        IPV6_REPLY.substr(13) + GREETING.substr(0, 5), GREETING.substr(5)}},
                      ConnectReplyCase{"ReplyAloneThenTheGreeting", {DOMAIN_REPLY, GREETING}}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
    const char* name;
    ProxyType type;
    std::string user;
    std::function<void(ScriptedFtpServer&)> script; // what the proxy says after the connect
    std::string text;                               // part of the error text
};

class ProxyRefusal : public ProxyHandshake, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ProxyRefusal, EndsTheConnectionAtOnceWithTheProxysAnswer)
{
    GetParam().script(proxy);
    // The proxy holds the connection open: only the client can end it quickly.
    proxy.pause(10s);
    proxy.start();
    use_proxy(GetParam().type, GetParam().user, "pw");
    FtpConnection* c = h.open(21);
    const std::uint32_t serial = c->serial;
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(h.wait([&] { return h.closed(c, serial); }, 5000)) << proxy.failure();
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_FALSE(h.login_results.empty());
    EXPECT_EQ(std::count(h.login_results.begin(), h.login_results.end(), true), 0);
    const auto errors = h.errors(ERR_PROTOCOL);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(GetParam().text), std::string::npos) << errors[0];
}

void socks4_answer(ScriptedFtpServer& s, const std::string& reply)
{
    s.expect_bytes(bytes({4, 1, 0, 21, 127, 0, 0, 1}) + "bob" + bytes({0})).send(reply);
}

void socks5_to_connect(ScriptedFtpServer& s, const std::string& reply)
{
    s.expect_bytes(bytes({5, 1, 0})).send(SOCKS5_NO_AUTH).expect_bytes(SOCKS5_CONNECT_21).send(reply);
}

INSTANTIATE_TEST_SUITE_P(
    Proxy, ProxyRefusal,
    ::testing::Values(RefusalCase{"Socks4Status91", PROXY_SOCKS4, "bob",
                                  [](auto& s) {
                                      socks4_answer(s, bytes({0, 91, 0, 0, 0, 0, 0, 0}));
                                  },
                                  "refused the connection (status 91: request rejected or failed)"},
                      RefusalCase{"Socks4StatusInTheFirstTwoBytesAlone", PROXY_SOCKS4, "bob",
                                  [](auto& s) {
                                      socks4_answer(s, bytes({0, 92}));
                                  },
                                  "status 92"},
                      RefusalCase{"Socks4AnswerThatIsNotSocks4", PROXY_SOCKS4, "bob",
                                  [](auto& s) { socks4_answer(s, "HTTP/1.0 400 Bad\r\n"); }, "not SOCKS 4"},
                      RefusalCase{"Socks5NoAcceptableMethod", PROXY_SOCKS5, "",
                                  [](auto& s) {
                                      s.expect_bytes(bytes({5, 1, 0})).send(bytes({5, 255}));
                                  },
                                  "none of the offered authentication methods (method 255)"},
                      RefusalCase{"Socks5WantsAPasswordWeDoNotHave", PROXY_SOCKS5, "",
                                  [](auto& s) {
                                      s.expect_bytes(bytes({5, 1, 0})).send(bytes({5, 2}));
                                  },
                                  "asks for a user name and password"},
                      RefusalCase{"Socks5WrongPassword", PROXY_SOCKS5, "bob",
                                  [](auto& s) {
                                      s.expect_bytes(bytes({5, 1, 2}))
                                          .send(bytes({5, 2}))
                                          .expect_bytes(bytes({1, 3}) + "bob" + bytes({2}) + "pw")
                                          .send(bytes({1, 1}));
                                  },
                                  "refused the user name or password (status 1)"},
                      RefusalCase{"Socks5ConnectionRefused", PROXY_SOCKS5, "",
                                  [](auto& s) {
                                      socks5_to_connect(s, bytes({5, 5, 0, 1, 0, 0, 0, 0, 0, 0}));
                                  },
                                  "could not connect to the server (reply 5: connection refused)"},
                      RefusalCase{"Socks5RefusalInTheFirstTwoBytesAlone", PROXY_SOCKS5, "",
                                  [](auto& s) {
                                      socks5_to_connect(s, bytes({5, 2}));
                                  },
                                  "reply 2: not allowed"},
                      RefusalCase{"Socks5UnknownAddressType", PROXY_SOCKS5, "",
                                  [](auto& s) {
                                      socks5_to_connect(s, bytes({5, 0, 0, 9, 0, 0, 0, 0, 0, 0}));
                                  },
                                  "unknown address type (9)"},
                      RefusalCase{"ProxyClosesDuringTheHandshake", PROXY_SOCKS5, "",
                                  [](auto& s) {
                                      s.expect_bytes(bytes({5, 1, 0})).close_control();
                                  },
                                  "closed the connection before the handshake was complete"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProxyHandshake, APassiveDownloadThroughSocksKeepsTheDataThatCameWithTheProxysReply)
{
    QTemporaryDir dir;
    const std::string local = dir.filePath("f.bin").toStdString();
    socks5_to_connect(proxy, SOCKS5_SUCCEEDED + "220 behind the proxy\r\n");
    script_login(proxy);
    proxy.expect("TYPE I")
        .reply("200 binary")
        .expect("PASV")
        // The address in the reply is not used: the data goes through the proxy to the server the
        // control connection reached.
        .reply("227 Entering Passive Mode (10,0,0,5,195,80)")
        .accept_control()
        .expect_bytes(bytes({5, 1, 0}))
        .send(SOCKS5_NO_AUTH)
        .expect_bytes(bytes({5, 1, 0, 1, 127, 0, 0, 1, 195, 80}))
        .send(SOCKS5_SUCCEEDED + "first bytes|")
        .send("the rest")
        .close_control()
        .use_control(0)
        .expect("RETR /f.bin")
        .reply("150 Opening BINARY mode data connection for /f.bin (20 bytes)")
        .reply("226 done");
    proxy.start();
    use_proxy(PROXY_SOCKS5);
    FtpConnection* c = h.open(21);
    std::vector<int> results;
    send_retr(h.engine, c, "/f.bin", local, true, test::record_result(results));
    ASSERT_TRUE(proxy.wait_done(5000)) << proxy.failure();
    ASSERT_TRUE(h.wait([&] { return !results.empty(); }));
    EXPECT_EQ(results, std::vector<int>{1}) << ::testing::PrintToString(h.errors(ERR_REPLY));
    EXPECT_EQ(test::read_file(local), "first bytes|the rest");
    // Nothing went to the address the reply named, on any port (the guard would refuse it, and the
    // suite's private network namespace has nothing but loopback).
    for (const std::string& target : ConnectGuard::attempts())
        EXPECT_FALSE(target.starts_with("10.0.0.5:")) << target;
}

struct ActiveModeCase {
    const char* name;
    ProxyType type;
    const char* command; // the data command the server sees
    bool explained;      // a log line says why the mode changed
};

class ActiveModeThroughProxy : public ProxyHandshake, public ::testing::WithParamInterface<ActiveModeCase> {};

TEST_P(ActiveModeThroughProxy, SocksTransfersPassiveAndAnFtpProxyKeepsPort)
{
    if (GetParam().type == PROXY_SOCKS5)
        socks5_to_connect(proxy, SOCKS5_SUCCEEDED + "220 behind the proxy\r\n");
    else
        proxy.reply("220 proxy");
    proxy.expect_pattern("USER bob.*").reply("331 pw").expect("PASS secret").reply("230 ok");
    proxy.expect_pattern(std::string(GetParam().command) + ".*").reply("502 not here");
    proxy.start();
    use_proxy(GetParam().type);
    FtpConnection* c = h.open(21, "bob", "secret", false);
    send_list(h.engine, c, "", {});
    ASSERT_TRUE(proxy.wait_done(5000)) << proxy.failure();
    EXPECT_EQ(any_contains(h.texts(EV_LOG), "Active mode cannot pass through a SOCKS proxy"),
              GetParam().explained);
}

INSTANTIATE_TEST_SUITE_P(Proxy, ActiveModeThroughProxy,
                         ::testing::Values(ActiveModeCase{"Socks5", PROXY_SOCKS5, "PASV", true},
                                           ActiveModeCase{"FtpProxy", PROXY_FTP, "PORT 127,0,0,1,", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProxyHandshake, ARecordStartedOverMidHandshakeConnectsToTheProxyAgain)
{
    // The first connection gets as far as the CONNECT request; the record then starts over (as after
    // a failed send) and must reach the proxy, not the target at the proxy's port.
    proxy.expect_bytes(bytes({5, 1, 0})).send(SOCKS5_NO_AUTH).accept_control().expect_bytes(bytes({5, 1, 0}));
    proxy.start();
    use_proxy(PROXY_SOCKS5);
    FtpConnection* c = open_session(h.engine, "bob", "secret", "", "127.0.0.2", 21, nullptr, {});
    ASSERT_TRUE(h.wait([&] { return !h.live(c) || c->proxy_stage == 4; }));
    ASSERT_TRUE(h.live(c));
    c->state = ST_NEW;
    ASSERT_TRUE(proxy.wait_done(5000)) << proxy.failure();
    EXPECT_FALSE(attempted("127.0.0.2:" + std::to_string(proxy.port())));
}

// --- choosing the peer, without a network --------------------------------------------------------

struct PeerCase {
    const char* name;
    ProxyType type;
    Role role;
    std::uint8_t passive;
    bool queued;
    std::uint8_t stage;
    const char* host; // the record's host text
    bool proxied;
    const char* connect_name;
    int connect_port;
};

class ChoosingThePeer : public ::testing::TestWithParam<PeerCase> {};

TEST_P(ChoosingThePeer, NameAndPortFollowTheProxyTypeAndTheRecord)
{
    EngineHarness h;
    set_proxy(h.engine, GetParam().type, "fw", 2121, "u", "p");
    FtpConnection conn;
    conn.role = GetParam().role;
    conn.passive = GetParam().passive;
    conn.proxy_stage = GetParam().stage;
    conn.host = GetParam().host;
    if (GetParam().queued)
        conn.queue.push_back(std::make_unique<FtpCommand>());
    EXPECT_EQ(is_proxied(h.engine, conn), GetParam().proxied);
    EXPECT_EQ(connect_name(h.engine, conn), GetParam().connect_name);
    EXPECT_EQ(connect_port(h.engine, conn), GetParam().connect_port);
}

INSTANTIATE_TEST_SUITE_P(
    Proxy, ChoosingThePeer,
    ::testing::Values(PeerCase{"NoProxy", PROXY_NONE, ROLE_CONTROL, 0, true, 0, "S:2100", false, "S", 2100},
                      PeerCase{"NoPortMeans21", PROXY_NONE, ROLE_CONTROL, 0, true, 0, "S", false, "S", 21},
                      PeerCase{"PortSearchedAfterSlashes", PROXY_NONE, ROLE_CONTROL, 0, true, 0,
                               "ftp://u@S:33/x", false, "S", 33},
                      PeerCase{"FtpProxyControl", PROXY_FTP, ROLE_CONTROL, 1, true, 0, "S:21", true, "fw",
                               2121},
                      PeerCase{"FtpProxyControlWithEmptyQueue", PROXY_FTP, ROLE_CONTROL, 1, false, 0, "S:21",
                               true, "fw", 2121},
                      PeerCase{"FtpProxyPassiveDataGoesDirect", PROXY_FTP, ROLE_DOWNLOAD, 1, false, 0,
                               "192.0.2.3:5000", false, "192.0.2.3", 5000},
                      PeerCase{"Socks4PassiveData", PROXY_SOCKS4, ROLE_DOWNLOAD, 1, false, 0,
                               "192.0.2.3:5000", true, "fw", 2121},
                      PeerCase{"Socks5ControlLooksUpTheTargetInStage3", PROXY_SOCKS5, ROLE_CONTROL, 1, true,
                               3, "S:21", true, "S", 2121}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SetProxy, ReplacesEverythingAndFallsBackToNoProxyOrPort21)
{
    EngineHarness h;
    set_proxy(h.engine, PROXY_SOCKS5, "fw", 1080, "u", "p");
    EXPECT_EQ(h.engine.proxy().type, PROXY_SOCKS5);
    set_proxy(h.engine, PROXY_SOCKS4, "fw", 0, "", "");
    EXPECT_EQ(h.engine.proxy().port, 21);
    EXPECT_EQ(h.engine.proxy().password, "");
    set_proxy(h.engine, PROXY_FTP, "fw", 70000, "", "");
    EXPECT_EQ(h.engine.proxy().port, 21) << "a port that does not fit in 16 bits is not used";
    set_proxy(h.engine, ProxySettings{PROXY_SOCKS5, "", 1080, "u", "p"});
    EXPECT_EQ(h.engine.proxy().type, PROXY_NONE) << "no host, no proxy";
    set_proxy(h.engine, 7, "fw", 1080, "", "");
    EXPECT_EQ(h.engine.proxy().type, PROXY_NONE);
}

} // namespace
} // namespace kestovan
