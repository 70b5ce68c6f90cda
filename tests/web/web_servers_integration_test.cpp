// The web client against real servers on 127.0.0.1: Python's file server directly and through
// tinyproxy with Basic authentication, and an HTTPS server whose certificate only the test's own CA
// vouches for.
#include "platform/connect_guard.h"
#include "profiles/site_profile.h"
#include "queue/task.h"
#include "support/http_servers.h"
#include "support/test_files.h"
#include "support/web_harness.h"
#include "views/web_links.h"
#include "web/http_text.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

using test::HttpsTestServer;
using test::PythonHttpServer;
using test::TinyproxyServer;
using test::WebHarness;

constexpr std::int64_t MIB = 1024 * 1024;

TEST(PythonFileServer, ADownloadArrivesWholeWithItsLengthDateAndProgress)
{
    PythonHttpServer server;
    const std::string source = server.make_random_file("data.bin", 3 * MIB + 17, 7);
    QTemporaryDir dir;
    const std::string target = dir.filePath("data.bin").toStdString();
    WebHarness h;
    auto result = h.fetch(server.url("/data.bin"), target);
    ASSERT_TRUE(h.wait_completed(result, 30000));
    EXPECT_FALSE(result->failed()) << result->error;
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->content_length, 3 * MIB + 17);
    ASSERT_TRUE(result->last_modified.has_value());
    EXPECT_EQ(result->last_modified->find(','), std::string::npos) << *result->last_modified;
    EXPECT_EQ(test::sha256_file(target), test::sha256_file(source));
    EXPECT_EQ(progress_percent(result->bytes_received, result->header_length, result->content_length), 100);
    EXPECT_GT(h.count(WEB_EV_RECEIVED), 1);
}

TEST(PythonFileServer, AUrlProfileListsTheFilesOfAFolderPage)
{
    PythonHttpServer server;
    server.make_file("pub/a.txt", "a");
    server.make_file("pub/b.txt", "b");
    server.make_file("empty.html", "<html><body><p>No links.</p></body></html>");
    WebHarness h;
    auto node = std::make_unique<DirEntry>();
    node->kind = KIND_URL_PROFILE;
    auto profile = std::make_unique<SiteProfile>();
    profile->server = server.url("/pub");
    node->profile = OwnedSiteProfile(profile.release());
    std::vector<std::uint8_t> states;
    HarvestView view;
    view.task_state = [&](std::uint8_t state) { states.push_back(state); };
    ASSERT_NE(fetch_links(h.client, *node, view), nullptr);
    ASSERT_TRUE(h.wait([&] { return !states.empty(); }, 10000));
    ASSERT_EQ(node->children.size(), 2u);
    EXPECT_EQ(node->children[0]->name, "a.txt");
    EXPECT_EQ(web_node_url(*node->children[1]), server.url("/pub/b.txt"))
        << "the folder page was reached through a redirection to /pub/";

    auto empty = std::make_unique<DirEntry>();
    empty->kind = KIND_URL_PROFILE;
    auto empty_profile = std::make_unique<SiteProfile>();
    empty_profile->server = server.url("/empty.html");
    empty->profile = OwnedSiteProfile(empty_profile.release());
    std::vector<std::string> messages;
    view.post_information = [&](const std::string& text) { messages.push_back(text); };
    ASSERT_NE(fetch_links(h.client, *empty, view), nullptr);
    ASSERT_TRUE(h.wait([&] { return states.size() == 2; }, 10000));
    EXPECT_TRUE(empty->children.empty());
    EXPECT_EQ(messages, std::vector<std::string>{"No file links have been found at '" +
                                                 server.url("/empty.html") + "'"});
}

TEST(Tinyproxy, TwentyMebibytesThroughTheProxyAfterItsRequestForCredentials)
{
    PythonHttpServer server;
    const std::string source = server.make_random_file("big.bin", 20 * MIB, 11);
    TinyproxyServer proxy("kestovan", "proxy-pw");
    QTemporaryDir dir;
    const std::string target = dir.filePath("big.bin").toStdString();
    WebHarness h;
    h.client.web_set_proxy(1, "127.0.0.1", proxy.port(), "kestovan", "proxy-pw");
    auto result = h.fetch(server.url("/big.bin"), target);
    ASSERT_TRUE(h.wait_completed(result, 120000)) << proxy.log();
    EXPECT_FALSE(result->failed()) << result->error << "\n" << proxy.log();
    EXPECT_EQ(result->completions, 1) << "the 407 was answered without the callback";
    EXPECT_EQ(result->redirections, 1) << "one restart: the proxy-authentication retry";
    EXPECT_EQ(result->content_length, 20 * MIB);
    EXPECT_EQ(test::sha256_file(target), test::sha256_file(source));
}

TEST(Tinyproxy, AWrongPasswordIsTriedOnceAndFails)
{
    PythonHttpServer server;
    server.make_file("x.txt", "x");
    TinyproxyServer proxy("kestovan", "proxy-pw");
    WebHarness h;
    h.client.web_set_proxy(1, "127.0.0.1", proxy.port(), "kestovan", "wrong");
    auto result = h.fetch(server.url("/x.txt"));
    ASSERT_TRUE(h.wait_completed(result, 20000));
    EXPECT_TRUE(result->failed());
    // tinyproxy asks with 407 and refuses wrong credentials with 401.
    EXPECT_TRUE(result->status == 407 || result->status == 401) << result->status;
    EXPECT_EQ(result->redirections, 1) << "the credentials were offered once";
}

TEST(Https, PagesAndFilesOverTlsTrustedThroughTheTestsOwnCa)
{
    HttpsTestServer server;
    server.make_file("index.html", "<a href=secure.zip>s</a>");
    server.make_file("secure.zip", std::string(200000, 'z'));
    QTemporaryDir dir;
    const std::string target = dir.filePath("secure.zip").toStdString();
    WebHarness h;
    h.client.set_https_ca_file(server.ca_file());
    auto page = h.fetch(server.url("/index.html"));
    ASSERT_TRUE(h.wait_completed(page, 20000));
    EXPECT_FALSE(page->failed()) << page->error;
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(page->body, "<a href=secure.zip>s</a>");
    auto file = h.fetch(server.url("/secure.zip"), target);
    ASSERT_TRUE(h.wait_completed(file, 20000));
    EXPECT_FALSE(file->failed()) << file->error;
    EXPECT_EQ(test::read_file(target), std::string(200000, 'z'));
    EXPECT_TRUE(file->body.empty());
    auto moved = h.fetch(server.url("/moved"));
    ASSERT_TRUE(h.wait_completed(moved, 20000));
    EXPECT_EQ(moved->completions, 2) << "the redirection came back through the client";
    EXPECT_EQ(moved->url, server.url("/index.html"));
    EXPECT_EQ(moved->body, "<a href=secure.zip>s</a>");
    auto limited = h.fetch(server.url("/secure.zip"), std::nullopt, 5000);
    ASSERT_TRUE(h.wait_completed(limited, 20000));
    EXPECT_EQ(limited->bytes_received, 5000);
}

TEST(Https, AnUntrustedCertificateAndAForeignHostAreRefused)
{
    HttpsTestServer server;
    server.make_file("index.html", "hello");
    WebHarness h;
    auto untrusted = h.fetch(server.url("/index.html"));
    ASSERT_TRUE(h.wait_completed(untrusted, 20000));
    EXPECT_TRUE(untrusted->failed()) << "the system's store does not know the test's CA";
    EXPECT_TRUE(untrusted->body.empty());

    ConnectGuard::clear_attempts();
    auto foreign = h.fetch("https://www.example.test/");
    ASSERT_TRUE(h.wait_completed(foreign, 5000));
    EXPECT_TRUE(foreign->failed());
    EXPECT_NE(foreign->error.find("may not be reached"), std::string::npos) << foreign->error;
    const auto attempts = ConnectGuard::attempts();
    EXPECT_NE(std::find(attempts.begin(), attempts.end(), "lookup www.example.test"), attempts.end());
}

} // namespace
} // namespace kestovan
