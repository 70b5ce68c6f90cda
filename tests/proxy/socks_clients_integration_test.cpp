// Both clients through one real SOCKS proxy, danted on loopback taking SOCKS 5 with user name and
// password only: the FTP engine logs in to vsftpd and the web client fetches a page through it, and
// whatever the proxy refuses reaches both as one and the same text.
#include "engine/control_channel.h"
#include "support/engine_harness.h"
#include "support/http_servers.h"
#include "support/proxy_server.h"
#include "support/vsftpd_server.h"
#include "support/web_harness.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestovan {
namespace {

using test::DanteServer;

struct Route {
    const char* name;
    ProxyType type;
    std::string user;
    std::string password;
    const char* refusal; // part of the text both clients give; empty: both go through
};

class BothClientsThroughDante : public ::testing::TestWithParam<Route> {};

TEST_P(BothClientsThroughDante, GoThroughOrGiveTheSameRefusal)
{
    const Route& route = GetParam();
    DanteServer dante(DanteServer::Options{.require_user = true});
    test::VsftpdServer ftp_server;
    test::PythonHttpServer web_server;
    web_server.make_file("page.txt", "through the tunnel");

    test::EngineHarness engine(30000);
    set_proxy(engine.engine, route.type, "127.0.0.1", dante.port(), route.user, route.password);
    engine.open(ftp_server.port(), ftp_server.user(), ftp_server.password());
    ASSERT_TRUE(engine.wait([&] { return !engine.login_results.empty(); }, 10000)) << dante.log();
    const auto engine_errors = engine.errors(ERR_PROTOCOL);

    test::WebHarness web;
    web.client.web_set_proxy(route.type, "127.0.0.1", dante.port(), route.user, route.password);
    auto fetched = web.fetch(web_server.url("/page.txt"));
    ASSERT_TRUE(web.wait_completed(fetched, 10000)) << dante.log();

    if (std::string(route.refusal).empty()) {
        EXPECT_EQ(engine.login_results, std::vector<bool>{true}) << dante.log();
        EXPECT_FALSE(fetched->failed()) << fetched->error << "\n" << dante.log();
        EXPECT_EQ(fetched->body, "through the tunnel");
        return;
    }
    EXPECT_EQ(std::count(engine.login_results.begin(), engine.login_results.end(), true), 0);
    ASSERT_EQ(engine_errors.size(), 1u) << dante.log();
    EXPECT_NE(engine_errors[0].find(route.refusal), std::string::npos) << engine_errors[0];
    EXPECT_TRUE(fetched->failed());
    EXPECT_EQ(fetched->error, engine_errors[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Proxy, BothClientsThroughDante,
    ::testing::Values(
        Route{"Socks5WithUserAndPassword", PROXY_SOCKS5, std::string(DanteServer::TEST_USER),
              std::string(DanteServer::TEST_PASSWORD), ""},
        Route{"Socks5WrongPassword", PROXY_SOCKS5, std::string(DanteServer::TEST_USER), "wrong",
              "The SOCKS 5 proxy refused the user name or password (status "},
        Route{"Socks5WithoutUserName", PROXY_SOCKS5, "", "",
              "The SOCKS 5 proxy accepts none of the offered authentication methods (method 255)."},
        Route{"Socks4WhereAPasswordIsRequired", PROXY_SOCKS4, std::string(DanteServer::TEST_USER), "",
              "The SOCKS 4 proxy refused the connection (status 91"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kestovan
