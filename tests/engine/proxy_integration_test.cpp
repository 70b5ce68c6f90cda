// The engine through real proxies on loopback to vsftpd: ftp-proxy as FTP proxy, danted as SOCKS 4
// and SOCKS 5 proxy (with and without user name and password), listings, downloads and uploads with
// checksums in passive and active mode, and refusals by the real proxy.
#include "engine/command_set.h"
#include "engine/control_channel.h"
#include "support/engine_harness.h"
#include "support/proxy_server.h"
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
};

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
        conn = h.open(server.port(), server.user(), server.password(), GetParam().passive);
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

    test::VsftpdServer server;
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
                                                 false}),
                         [](const auto& info) { return std::string(info.param.name); });

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
