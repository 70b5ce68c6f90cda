// The command line of the web commands: fetch and links with their options.
#include "cli/cli_arguments.h"
#include "cli/web_commands.h"

#include <gtest/gtest.h>

namespace kestovan {
namespace {

std::optional<CliArguments> parse(std::vector<std::string> args, std::string* error = nullptr)
{
    return parse_cli_arguments(args, error);
}

TEST(WebArguments, FetchAndLinksTakeTheirAddressAsItIs)
{
    auto fetch = parse({"fetch", "https://127.0.0.1:8443/a b.zip", "out.zip", "--ca-file", "ca.pem"});
    ASSERT_TRUE(fetch);
    EXPECT_EQ(fetch->web_url, "https://127.0.0.1:8443/a b.zip");
    EXPECT_EQ(fetch->local_file, "out.zip");
    EXPECT_EQ(fetch->ca_file, "ca.pem");
    auto links = parse({"-v", "links", "http://localhost/", "--http-proxy", "anna:pw@127.0.0.1:3128"});
    ASSERT_TRUE(links);
    EXPECT_EQ(links->web_url, "http://localhost/");
    ASSERT_TRUE(links->http_proxy);
    EXPECT_EQ(links->http_proxy->host, "127.0.0.1");
    EXPECT_EQ(links->http_proxy->port, 3128);
    EXPECT_EQ(links->http_proxy->user, "anna");
    EXPECT_EQ(links->http_proxy->password, "pw");
    EXPECT_TRUE(links->options.verbose);
}

TEST(WebArguments, MistakesAreRefusedWithAReason)
{
    const std::vector<std::vector<std::string>> wrong = {
        {"fetch", "http://127.0.0.1/"},
        {"links"},
        {"links", "http://a/", "http://b/"},
        {"links", "http://a/", "--http-proxy"},
        {"links", "http://a/", "--http-proxy", "127.0.0.1"},
        {"fetch", "http://a/", "f", "--ca-file"},
    };
    for (const auto& args : wrong) {
        std::string error;
        EXPECT_FALSE(parse(args, &error)) << args.at(0) << " " << args.size();
        EXPECT_FALSE(error.empty());
    }
}

TEST(WebArguments, HttpProxyWithOrWithoutScheme)
{
    auto plain = parse_http_proxy_spec("127.0.0.1:8080", nullptr);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->port, 8080);
    EXPECT_TRUE(plain->user.empty());
    auto with_scheme = parse_http_proxy_spec("http://u@localhost:3128", nullptr);
    ASSERT_TRUE(with_scheme);
    EXPECT_EQ(with_scheme->host, "localhost");
    EXPECT_EQ(with_scheme->user, "u");
}

} // namespace
} // namespace kestovan
