// The engine through real proxies on loopback to vsftpd: ftp-proxy as FTP proxy, danted as SOCKS 4
// and SOCKS 5 proxy (with and without user name and password), listings, downloads and uploads with
// checksums in passive and active mode, and refusals by the real proxy.
#include "engine/command_set.h"
#include "engine/control_channel.h"
#include "support/engine_harness.h"
#include "support/proxy_server.h"
#include "support/test_certificates.h"
#include "support/test_files.h"
#include "support/vsftpd_server.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace kestovan {
namespace {

using test::DanteServer;
using test::EngineHarness;
using test::FtpProxyServer;
using test::ProxyServer;

enum class Kind {
    FtpProxy,
    Socks4,
    Socks5,
    Socks5WithUser
};

struct Route {
    const char* name;
    Kind kind;
    bool passive; // SOCKS in active mode transfers passive (no BIND)
    TlsMode tls = TLS_NONE;
};

// The server of a route: vsftpd demanding TLS with session reuse for the TLS routes, with a
// certificate from the test's CA for 127.0.0.1.
test::RealServerOptions server_options(const Route& route, test::TestCertificates& certificates)
{
    test::RealServerOptions options;
    if (route.tls == TLS_NONE)
        return options;
    const test::ServerCertificate made = certificates.make_server("server", {"IP:127.0.0.1"});
    options.tls_certificate = made.certificate;
    options.tls_key = made.key;
    options.implicit_tls = route.tls == TLS_IMPLICIT;
    return options;
}

struct ThroughProxy : ::testing::TestWithParam<Route> {
    void SetUp() override
    {
        switch (GetParam().kind) {
        case Kind::FtpProxy:
            proxy = std::make_unique<FtpProxyServer>();
            set_proxy(h.engine, PROXY_FTP, "127.0.0.1", proxy->port(), "", "");
            break;
        case Kind::Socks4:
            proxy = std::make_unique<DanteServer>();
            set_proxy(h.engine, PROXY_SOCKS4, "127.0.0.1", proxy->port(), "kestovan", "");
            break;
        case Kind::Socks5:
            proxy = std::make_unique<DanteServer>();
            set_proxy(h.engine, PROXY_SOCKS5, "127.0.0.1", proxy->port(), "", "");
            break;
        case Kind::Socks5WithUser:
            proxy = std::make_unique<DanteServer>(DanteServer::Options{.require_user = true});
            set_proxy(h.engine, PROXY_SOCKS5, "127.0.0.1", proxy->port(), std::string(DanteServer::TEST_USER),
                      std::string(DanteServer::TEST_PASSWORD));
            break;
        }
    }

    std::string logs() const { return server.log() + proxy->log(); }

    void login()
    {
        // TLS runs end to end: the certificate is checked against the server, not the proxy.
        h.engine.set_tls_trust(certificates.ca_file(), {});
        conn = h.open(server.port(), server.user(), server.password(), GetParam().passive, GetParam().tls);
        serial = conn->serial;
        ASSERT_TRUE(h.wait([&] { return !h.login_results.empty() || h.closed(conn, serial); }, 10000))
            << logs();
        ASSERT_EQ(h.login_results, std::vector<bool>{true}) << logs();
    }

    bool run(const std::function<FtpCommand*(CommandCallback)>& queue)
    {
        auto result = std::make_shared<std::optional<bool>>();
        FtpCommand* command = queue([this, result](FtpConnection& c, bool ok) {
            if (!c.queue.empty() && c.queue.front()->kind == CMD_LIST && c.data_connection)
                listing = c.data_connection->buffer;
            if (!c.queue.empty())
                last_reply = c.queue.front()->reply;
            *result = ok;
            return 1;
        });
        if (!command)
            return false;
        EXPECT_TRUE(h.wait([&] { return result->has_value() || !h.live(conn); }, 30000)) << logs();
        return result->value_or(false);
    }

    std::string local(const std::string& name) const
    {
        return dir.filePath(QString::fromStdString(name)).toStdString();
    }

    test::TestCertificates certificates;
    test::VsftpdServer server{server_options(GetParam(), certificates)};
    std::unique_ptr<ProxyServer> proxy;
    EngineHarness h;
    FtpConnection* conn = nullptr;
    std::uint32_t serial = 0;
    std::string listing;
    std::string last_reply;
    QTemporaryDir dir;
};

TEST_P(ThroughProxy, ListsDownloadsAndUploadsByteExact)
{
    const std::int64_t size = 5 * 1024 * 1024 + 3;
    server.make_random_file("pub/data.bin", size, 11);
    login();

    ASSERT_TRUE(run([&](CommandCallback cb) { return send_list(h.engine, conn, "/pub", cb); }))
        << last_reply << logs();
    EXPECT_NE(listing.find("data.bin"), std::string::npos) << listing;
    EXPECT_NE(listing.find(std::to_string(size)), std::string::npos) << listing;

    ASSERT_TRUE(run([&](CommandCallback cb) {
        return send_retr(h.engine, conn, "/pub/data.bin", local("data.bin"), true, cb);
    })) << last_reply
        << logs();
    EXPECT_EQ(test::sha256_file(local("data.bin")), test::sha256_file(server.path("pub/data.bin")));

    ASSERT_TRUE(run([&](CommandCallback cb) {
        return send_stor(h.engine, conn, local("data.bin"), "/pub/copy.bin", true, cb);
    })) << last_reply
        << logs();
    ASSERT_TRUE(h.wait(
        [&] { return std::filesystem::file_size(server.path("pub/copy.bin")) == std::uintmax_t(size); }));
    EXPECT_EQ(test::sha256_file(server.path("pub/copy.bin")), test::sha256_file(server.path("pub/data.bin")));
}

INSTANTIATE_TEST_SUITE_P(Proxy, ThroughProxy,
                         ::testing::Values(Route{"FtpProxyPassive", Kind::FtpProxy, true},
                                           Route{"FtpProxyActive", Kind::FtpProxy, false},
                                           Route{"Socks4Passive", Kind::Socks4, true},
                                           Route{"Socks4ActiveGoesPassive", Kind::Socks4, false},
                                           Route{"Socks5Passive", Kind::Socks5, true},
                                           Route{"Socks5WithUserPassive", Kind::Socks5WithUser, true},
                                           Route{"Socks5WithUserActiveGoesPassive", Kind::Socks5WithUser,
                                                 false},
                                           Route{"Socks4ExplicitTls", Kind::Socks4, true, TLS_EXPLICIT},
                                           Route{"Socks5ImplicitTls", Kind::Socks5, true, TLS_IMPLICIT},
                                           Route{"Socks5WithUserExplicitTlsActiveGoesPassive",
                                                 Kind::Socks5WithUser, false, TLS_EXPLICIT}),
                         [](const auto& info) { return std::string(info.param.name); });

// An FTP proxy of the "USER user@host" kind reads every command, so TLS cannot pass through it to the
// server: a session that requires TLS ends there, and neither the proxy nor the server sees a login.
TEST(ThroughFtpProxy, ASessionThatRequiresTlsEndsBeforeTheLogin)
{
    test::VsftpdServer server;
    FtpProxyServer proxy;
    EngineHarness h;
    set_proxy(h.engine, PROXY_FTP, "127.0.0.1", proxy.port(), "", "");
    FtpConnection* c = h.open(server.port(), server.user(), server.password(), true, TLS_EXPLICIT);
    ASSERT_TRUE(h.wait([&] { return !h.login_results.empty(); }, 10000)) << proxy.log();
    EXPECT_EQ(h.login_results, std::vector<bool>{false});
    EXPECT_FALSE(h.errors(ERR_TLS_UNAVAILABLE).empty());
    EXPECT_EQ(server.log().find("USER"), std::string::npos) << server.log();
    EXPECT_EQ(proxy.log().find("'USER "), std::string::npos) << proxy.log();
    EXPECT_TRUE(h.wait([&] { return !h.live(c); }));
}

struct RefusedCase {
    const char* name;
    ProxyType type;
    const char* user;
    const char* password;
    const char* text;
};

class RefusedByDante : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedByDante, TheSessionEndsAtOnceWithTheProxysAnswer)
{
    // This danted takes SOCKS 5 with user name and password only.
    DanteServer dante(DanteServer::Options{.require_user = true});
    EngineHarness h(30000);
    set_proxy(h.engine, GetParam().type, "127.0.0.1", dante.port(), GetParam().user, GetParam().password);
    // No server behind the proxy is needed: the proxy refuses before it connects anywhere.
    FtpConnection* c = h.open(21);
    const std::uint32_t serial = c->serial;
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(h.wait([&] { return h.closed(c, serial); }, 10000)) << dante.log();
    EXPECT_LT(timer.elapsed(), 5000) << dante.log();
    const auto errors = h.errors(ERR_PROTOCOL);
    ASSERT_FALSE(errors.empty()) << dante.log();
    EXPECT_NE(errors[0].find(GetParam().text), std::string::npos) << errors[0];
}

INSTANTIATE_TEST_SUITE_P(Proxy, RefusedByDante,
                         ::testing::Values(RefusedCase{"WrongPassword", PROXY_SOCKS5, "kestovan-socks",
                                                       "wrong", "refused the user name or password"},
                                           RefusedCase{"NoUserName", PROXY_SOCKS5, "", "",
                                                       "none of the offered authentication methods"},
                                           RefusedCase{"Socks4WhereAPasswordIsRequired", PROXY_SOCKS4,
                                                       "kestovan-socks", "",
                                                       "SOCKS 4 proxy refused the connection (status 91"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kestovan
