// --proxy env: the environment's FTP proxy as the command-line client takes it.
#include "cli/cli_arguments.h"
#include "engine/proxy.h"
#include "settings/proxy_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kestovan {
namespace {

TEST(ProxySpecFromSystem, TheFtpEntryBecomesAnFtpProxyWithPort21WhenItNamesNone)
{
    auto chosen = proxy_spec_from_system(SystemProxy{true, "ftp=fw:2121;http=web:8080"}, nullptr);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->type, PROXY_FTP);
    EXPECT_EQ(chosen->host, "fw");
    EXPECT_EQ(chosen->port, 2121);
    chosen = proxy_spec_from_system(SystemProxy{true, "proxy"}, nullptr);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->port, 21);
    std::string error;
    EXPECT_FALSE(proxy_spec_from_system(SystemProxy{true, "http=web:8080"}, &error));
    EXPECT_NE(error.find("no FTP proxy"), std::string::npos) << error;
}

TEST(ProxySpecFromSystem, ProxyEnvReadsTheProcessEnvironment)
{
    ::setenv("ftp_proxy", "http://user:pw@127.0.0.1:2121/", 1);
    auto arguments = parse_cli_arguments({"ls", "ftp://127.0.0.1/", "--proxy", "env"}, nullptr);
    ::unsetenv("ftp_proxy");
    ASSERT_TRUE(arguments);
    EXPECT_EQ(arguments->options.proxy.type, PROXY_FTP);
    EXPECT_EQ(arguments->options.proxy.host, "127.0.0.1");
    EXPECT_EQ(arguments->options.proxy.port, 2121);
}

} // namespace
} // namespace kestovan
