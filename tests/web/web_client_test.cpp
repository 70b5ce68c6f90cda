// The web client against a scripted server: the exact request bytes, the response cases that can
// break (no path, redirections, no length, cut bodies, endless headers), the proxy's request for
// credentials, byte limits, destination files, time-outs and the SOCKS handshakes.
#include "platform/clock.h"
#include "platform/connect_guard.h"
#include "support/scripted_http_server.h"
#include "support/test_files.h"
#include "support/web_harness.h"
#include "web/http_text.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace kestovan {
namespace {

using namespace std::chrono_literals;
using test::ScriptedHttpServer;
using test::WebHarness;

std::string request_line(const std::string& request)
{
    return request.substr(0, request.find("\r\n"));
}

bool has_line(const std::string& request, const std::string& line)
{
    return request.find("\r\n" + line + "\r\n") != std::string::npos;
}

bool any_lookup()
{
    for (const std::string& attempt : ConnectGuard::attempts())
        if (attempt.starts_with("lookup "))
            return true;
    return false;
}

TEST(WebFetch, AnAddressWithoutPathAsksForSlashAndANumericHostIsNotLookedUp)
{
    ScriptedHttpServer server;
    server.accept().expect_request().respond(200, {}, "hello").close();
    server.start();
    WebHarness h;
    ConnectGuard::clear_attempts();
    auto result = h.fetch("http://127.0.0.1:" + std::to_string(server.port()));
    ASSERT_TRUE(h.wait_completed(result)) << server.failure();
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    const std::string request = server.requests().at(0);
    EXPECT_EQ(request_line(request), "GET / HTTP/1.0");
    EXPECT_TRUE(has_line(request, "Host: 127.0.0.1:" + std::to_string(server.port()))) << request;
    EXPECT_TRUE(has_line(request, "User-Agent: Kestovan FTP")) << request;
    EXPECT_FALSE(has_line(request, "Connection: close")) << "only through a proxy";
    EXPECT_FALSE(result->failed()) << result->error;
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->body, "hello");
    EXPECT_FALSE(any_lookup()) << "an address with a port connects without a lookup";
    EXPECT_EQ(h.count(WEB_EV_RESOLVED), 0);
    // The events of one fetch, in order of first appearance.
    std::vector<std::int32_t> order;
    for (const auto& e : h.events)
        if (e.code != WEB_EV_TICK && (order.empty() || order.back() != e.code))
            order.push_back(e.code);
    EXPECT_EQ(order, (std::vector<std::int32_t>{WEB_EV_RESOLVING, WEB_EV_CONNECTING, WEB_EV_SENT,
                                                WEB_EV_RECEIVED, WEB_EV_DESTROYED, WEB_EV_IDLE}));
}

TEST(WebFetch, AHostNameIsLookedUpWithoutItsPort)
{
    ScriptedHttpServer server;
    server.accept().expect_request().respond(200, {}, "ok").close();
    server.start();
    WebHarness h;
    ConnectGuard::clear_attempts();
    auto result = h.fetch("http://localhost:" + std::to_string(server.port()) + "/x");
    ASSERT_TRUE(h.wait_completed(result));
    EXPECT_FALSE(result->failed()) << result->error;
    const auto attempts = ConnectGuard::attempts();
    EXPECT_NE(std::find(attempts.begin(), attempts.end(), "lookup localhost"), attempts.end());
    EXPECT_EQ(h.count(WEB_EV_RESOLVED), 1);
}

TEST(WebFetch, ThroughAnHttpProxyTheWholeAddressIsAskedFor)
{
    ScriptedHttpServer proxy;
    proxy.accept().expect_request().respond(200, {}, "via proxy").close();
    proxy.start();
    WebHarness h;
    h.client.web_set_proxy(1, "127.0.0.1", proxy.port(), "", "");
    ConnectGuard::clear_attempts();
    auto result = h.fetch("http://www.example.test#frag");
    ASSERT_TRUE(h.wait_completed(result)) << proxy.failure();
    const std::string request = proxy.requests().at(0);
    EXPECT_EQ(request_line(request), "GET http://www.example.test/ HTTP/1.0");
    EXPECT_TRUE(has_line(request, "Connection: close")) << request;
    EXPECT_TRUE(has_line(request, "Host: www.example.test")) << request;
    EXPECT_EQ(result->body, "via proxy");
    EXPECT_FALSE(any_lookup()) << "the proxy resolves the server's name";
}

TEST(WebRedirection, ARelativeLocationIsFollowedAgainstTheFolder)
{
    ScriptedHttpServer server;
    server.accept().expect_request().respond(302, {"Location: next.html"}, "moved").close();
    server.accept().expect_request().respond(200, {}, "arrived").close();
    server.start();
    WebHarness h;
    auto result = h.fetch(server.url("/dir/page.html"));
    ASSERT_TRUE(h.wait_completed(result)) << server.failure();
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    EXPECT_EQ(request_line(server.requests().at(1)), "GET /dir/next.html HTTP/1.0");
    EXPECT_EQ(result->completions, 2) << "the callback sees the redirection and the end";
    EXPECT_EQ(result->url, server.url("/dir/next.html"));
    EXPECT_EQ(result->redirections, 1);
    EXPECT_EQ(result->body, "arrived");
    EXPECT_FALSE(result->failed());
    EXPECT_EQ(h.count(WEB_EV_RESOLVING), 1) << "resolving is reported on the first attempt only";
}

TEST(WebRedirection, TheSixthRedirectionIsNotFollowed)
{
    ScriptedHttpServer server;
    for (int i = 1; i <= 6; ++i)
        server.accept().expect_request().respond(302, {"Location: /r" + std::to_string(i)}).close();
    server.start();
    WebHarness h;
    auto result = h.fetch(server.url("/r0"));
    ASSERT_TRUE(h.wait_completed(result)) << server.failure();
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    EXPECT_EQ(server.requests().size(), 6u);
    EXPECT_EQ(result->redirections, 5);
    EXPECT_EQ(result->url, server.url("/r5"));
    EXPECT_EQ(result->flags & (WEB_REDIRECTED | WEB_FAILED | WEB_ENDED),
              WEB_REDIRECTED | WEB_FAILED | WEB_ENDED);
    EXPECT_EQ(h.client.request_count(), 0u);
}

TEST(WebRedirection, OtherSchemesAndUnansweredRedirectionsEndTheRequest)
{
    ScriptedHttpServer server;
    server.accept().expect_request().respond(302, {"Location: ftp://127.0.0.1/file"}).close();
    server.accept().expect_request().respond(301, {"Location: /elsewhere"}).close();
    server.start();
    WebHarness h;
    auto ftp = h.fetch(server.url("/a"));
    ASSERT_TRUE(h.wait_completed(ftp));
    EXPECT_TRUE(ftp->failed());
    EXPECT_EQ(ftp->completions, 1) << "an ftp: target is not followed";
    auto unfollowed = h.fetch(server.url("/b"), std::nullopt, 0, false);
    ASSERT_TRUE(h.wait_completed(unfollowed));
    EXPECT_EQ(unfollowed->completions, 1) << "followed only when the callback asks";
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
}

TEST(WebResponse, WithoutContentLengthBytesCountButNoPercentage)
{
    ScriptedHttpServer server;
    server.accept()
        .expect_request()
        .send_split(
            {"HTTP/1.0 200 OK\r\nLast-Modified: Tue, 15 Jun 2004 10:00:00 GMT\r\n\r\npart one,", " part two"},
            50ms)
        .close();
    server.start();
    WebHarness h;
    auto result = h.fetch(server.url("/page"));
    ASSERT_TRUE(h.wait_completed(result));
    EXPECT_FALSE(result->failed()) << result->error;
    EXPECT_FALSE(result->has_content_length);
    EXPECT_EQ(result->content_length, 0);
    EXPECT_EQ(result->body, "part one, part two");
    EXPECT_EQ(result->last_modified, "15 Jun 2004 10:00:00 GMT") << "stored without the day name";
    EXPECT_EQ(progress_percent(result->bytes_received, result->header_length, result->content_length),
              std::nullopt);
    EXPECT_GE(h.count(WEB_EV_RECEIVED), 2);
    EXPECT_EQ(h.events.back().code, WEB_EV_IDLE);
}

TEST(WebResponse, FailuresThatMustNotLookLikeSuccess)
{
    ScriptedHttpServer server;
    server.accept().expect_request().send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nonly this").close();
    server.accept().expect_request().flood_headers(8 * 1024 * 1024);
    server.accept().expect_request().close();
    server.accept().expect_request().respond(404, {}, "not here").close();
    server.start();
    WebHarness h;
    auto cut = h.fetch(server.url("/cut"));
    ASSERT_TRUE(h.wait_completed(cut));
    EXPECT_TRUE(cut->failed());
    EXPECT_EQ(cut->error, "The transfer ended after 9 of 100 bytes.");
    auto endless = h.fetch(server.url("/endless"));
    ASSERT_TRUE(h.wait_completed(endless));
    EXPECT_TRUE(endless->failed());
    EXPECT_NE(endless->error.find("headers without an end"), std::string::npos) << endless->error;
    EXPECT_LE(endless->bytes_received, static_cast<std::int64_t>(MAX_RESPONSE_HEADERS + WEB_PAGE_READ_SIZE));
    auto silent = h.fetch(server.url("/silent"));
    ASSERT_TRUE(h.wait_completed(silent));
    EXPECT_TRUE(silent->failed()) << "a response without any data";
    auto missing = h.fetch(server.url("/missing"));
    ASSERT_TRUE(h.wait_completed(missing));
    EXPECT_TRUE(missing->failed());
    EXPECT_EQ(missing->status, 404);
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
}

TEST(WebResponse, ABodyOfTheAnnouncedLengthEndsTheRequestEvenIfTheServerLingers)
{
    ScriptedHttpServer server;
    server.accept()
        .expect_request()
        .send("HTTP/1.0 200 OK\r\nContent-Length: 8\r\n\r\ncompleteGARBAGE")
        .pause(3000ms)
        .close();
    server.start();
    WebHarness h;
    auto result = h.fetch(server.url("/keep"));
    ASSERT_TRUE(h.wait_completed(result, 1500)) << "the request waited for the server to close";
    EXPECT_FALSE(result->failed()) << result->error;
    EXPECT_EQ(result->body, "complete") << "bytes beyond the announced length are no part of the body";
}

TEST(WebResponse, AByteLimitStopsExactlyThere)
{
    ScriptedHttpServer server;
    server.accept().expect_request().respond(200, {}, std::string(100000, 'x')).pause(300ms).close();
    server.start();
    WebHarness h;
    auto result = h.fetch(server.url("/big"), std::nullopt, 1000);
    ASSERT_TRUE(h.wait_completed(result));
    EXPECT_EQ(result->bytes_received, 1000);
    EXPECT_EQ(static_cast<std::int64_t>(result->body.size()), 1000 - result->header_length);
    EXPECT_FALSE(result->failed()) << "a limit reached is a fetch done: " << result->error;
}

TEST(WebDestination, TheBodyGoesToTheFileAndAnErrorPageLeavesTheFileAlone)
{
    QTemporaryDir dir;
    const std::string target = dir.filePath("page.bin").toStdString();
    test::write_file(target, "precious");
    ScriptedHttpServer server;
    server.accept().expect_request().respond(404, {}, "error page").close();
    server.accept().expect_request().respond(200, {}, std::string(300000, 'b')).close();
    server.start();
    WebHarness h;
    auto missing = h.fetch(server.url("/missing"), target);
    ASSERT_TRUE(h.wait_completed(missing));
    EXPECT_TRUE(missing->failed());
    EXPECT_EQ(test::read_file(target), "precious");
    auto found = h.fetch(server.url("/found"), target);
    ASSERT_TRUE(h.wait_completed(found));
    EXPECT_FALSE(found->failed()) << found->error;
    EXPECT_EQ(test::read_file(target), std::string(300000, 'b'));
    EXPECT_TRUE(found->body.empty()) << "a body written to a file is not also kept in memory";
}

TEST(WebProxyAuthentication, AnsweredOnceWithBasicCredentialsThatNeverGoElsewhere)
{
    ScriptedHttpServer proxy;
    proxy.accept().expect_request().respond(407, {"Proxy-Authenticate: Basic realm=\"x\""}).close();
    proxy.accept().expect_request().respond(200, {}, "welcome").close();
    proxy.accept().expect_request().respond(407, {}).close();
    proxy.start();
    ScriptedHttpServer direct;
    direct.accept().expect_request().respond(200, {}, "direct").close();
    direct.start();
    WebHarness h;
    h.client.web_set_proxy(1, "127.0.0.1", proxy.port(), "anna", "secret");
    auto first = h.fetch("http://www.example.test/doc");
    ASSERT_TRUE(h.wait_completed(first)) << proxy.failure();
    EXPECT_FALSE(first->failed()) << first->error;
    EXPECT_EQ(first->completions, 1) << "the retry does not call the callback";
    EXPECT_EQ(first->body, "welcome");
    const auto requests = proxy.requests();
    EXPECT_FALSE(has_line(requests.at(0), "Proxy-Authorization: Basic YW5uYTpzZWNyZXQ="));
    EXPECT_TRUE(has_line(requests.at(1), "Proxy-Authorization: Basic YW5uYTpzZWNyZXQ=")) << requests.at(1);

    auto refused = h.fetch("http://www.example.test/again");
    ASSERT_TRUE(h.wait_completed(refused));
    EXPECT_TRUE(refused->failed()) << "credentials that were refused are not sent again and again";
    EXPECT_EQ(refused->status, 407);

    h.client.web_set_proxy(0, "", 0, "anna", "secret");
    auto plain = h.fetch(direct.url("/doc"));
    ASSERT_TRUE(h.wait_completed(plain));
    ASSERT_TRUE(direct.wait_done(5000)) << direct.failure();
    EXPECT_EQ(direct.requests().at(0).find("Proxy-Authorization"), std::string::npos)
        << direct.requests().at(0);
    ASSERT_TRUE(proxy.wait_done(5000)) << proxy.failure();
}

TEST(WebProxyAuthentication, AWebServerAskingForProxyCredentialsGetsNone)
{
    ScriptedHttpServer server;
    server.accept().expect_request().respond(407, {}).close();
    server.start();
    WebHarness h;
    auto result = h.fetch(server.url("/x"));
    ASSERT_TRUE(h.wait_completed(result));
    EXPECT_TRUE(result->failed());
    EXPECT_EQ(result->completions, 1);
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
}

TEST(WebSocks, Socks5HandshakeThenAnOriginRequestThroughTheTunnel)
{
    ScriptedHttpServer proxy;
    proxy.accept()
        .expect_bytes(3)
        .send(std::string{5, 0})
        .expect_bytes(10)
        .send(std::string{5, 0, 0, 1, 0, 0, 0, 0, 0, 0})
        .expect_request()
        .respond(200, {}, "tunnelled")
        .close();
    proxy.start();
    WebHarness h;
    h.client.web_set_proxy(WEB_PROXY_SOCKS5, "127.0.0.1", proxy.port(), "", "");
    auto result = h.fetch("http://127.0.0.1:50000/file.txt");
    ASSERT_TRUE(h.wait_completed(result)) << proxy.failure();
    ASSERT_TRUE(proxy.wait_done(5000)) << proxy.failure();
    const auto sent = proxy.requests();
    EXPECT_EQ(sent.at(0), std::string({5, 1, 0}));
    EXPECT_EQ(sent.at(1), std::string({5, 1, 0, 1, 127, 0, 0, 1, static_cast<char>(195), 80}));
    EXPECT_EQ(request_line(sent.at(2)), "GET /file.txt HTTP/1.0");
    EXPECT_EQ(sent.at(2).find("Proxy-Authorization"), std::string::npos);
    EXPECT_EQ(result->body, "tunnelled");
}

TEST(WebSocks, Socks4RequestCarriesTheUserIdAndARefusalFails)
{
    ScriptedHttpServer proxy;
    proxy.accept()
        .expect_bytes(12)
        .send(std::string{0, 90, 0, 0, 0, 0, 0, 0})
        .expect_request()
        .respond(200, {}, "ok")
        .close();
    proxy.accept().expect_bytes(12).send(std::string{0, 91, 0, 0, 0, 0, 0, 0}).expect_closed();
    proxy.start();
    WebHarness h;
    h.client.web_set_proxy(WEB_PROXY_SOCKS4, "127.0.0.1", proxy.port(), "bob", "");
    auto granted = h.fetch("http://127.0.0.1:21/x");
    ASSERT_TRUE(h.wait_completed(granted)) << proxy.failure();
    EXPECT_EQ(proxy.requests().at(0), std::string({4, 1, 0, 21, 127, 0, 0, 1, 'b', 'o', 'b', 0}));
    EXPECT_FALSE(granted->failed()) << granted->error;
    auto refused = h.fetch("http://127.0.0.1:21/y");
    ASSERT_TRUE(h.wait_completed(refused));
    EXPECT_TRUE(refused->failed());
    EXPECT_NE(refused->error.find("status 91"), std::string::npos) << refused->error;
    ASSERT_TRUE(proxy.wait_done(5000)) << proxy.failure();
}

TEST(WebTimeout, ASilentServerTimesOutAfterElevenPeriods)
{
    ScriptedHttpServer server;
    server.accept().expect_request().expect_closed();
    server.start();
    WebHarness h(0);
    auto result = h.fetch(server.url("/slow"));
    ASSERT_TRUE(h.wait([&] { return h.count(WEB_EV_SENT) == 1; }));
    VirtualClock clock;
    h.client.web_set_timeout(1000);
    clock.advance(10 * 1000);
    EXPECT_EQ(result->completions, 0) << "ten idle periods are still allowed";
    clock.advance(1000);
    ASSERT_EQ(result->completions, 1);
    EXPECT_EQ(result->flags & (WEB_TIMED_OUT | WEB_FAILED), WEB_TIMED_OUT | WEB_FAILED);
    EXPECT_TRUE(server.wait_done(5000)) << server.failure();
}

TEST(WebTimeout, ReceivingResetsTheIdleCount)
{
    ScriptedHttpServer server;
    server.accept().expect_request().send_split({"HTTP/1.0 200 OK\r\n\r\n", "a", "b", "c"}, 400ms).close();
    server.start();
    // About seven idle periods pass between pieces, sixteen or more in all: only a count that every
    // receive resets stays within the limit of ten.
    WebHarness h(60);
    auto result = h.fetch(server.url("/trickle"));
    ASSERT_TRUE(h.wait_completed(result, 10000));
    EXPECT_FALSE(result->failed()) << result->error;
    EXPECT_EQ(result->body, "abc");
}

TEST(WebErrors, RefusedConnectionUnknownSchemeAndLineBreaks)
{
    WebHarness h;
    auto refused = h.fetch("http://127.0.0.1:1/");
    ASSERT_TRUE(h.wait_completed(refused));
    EXPECT_TRUE(refused->flags & WEB_SOCKET_ERROR);
    ASSERT_EQ(h.count(WEB_EV_SOCKET_ERROR), 1);
    for (const auto& e : h.events) {
        if (e.code == WEB_EV_SOCKET_ERROR) {
            EXPECT_EQ(e.number, 10061);
        }
    }
    EXPECT_EQ(h.client.web_fetch("ftp://127.0.0.1/", std::nullopt, 0, nullptr, {}), nullptr);
    EXPECT_EQ(h.client.web_fetch("http://127.0.0.1/\r\nX: y", std::nullopt, 0, nullptr, {}), nullptr);
    auto unknown = h.fetch("http://no-such-host.invalid/");
    ASSERT_TRUE(h.wait_completed(unknown));
    EXPECT_TRUE(unknown->failed());
    const auto statuses = h.texts(WEB_EV_STATUS);
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), " Host Not Found"), statuses.end());
}

TEST(WebCancel, ACancelledFetchCompletesOnceAsFailedAndCancelled)
{
    ScriptedHttpServer server;
    server.accept().expect_request().expect_closed();
    server.start();
    WebHarness h;
    auto result = h.fetch(server.url("/long"));
    ASSERT_TRUE(h.wait([&] { return h.count(WEB_EV_SENT) == 1; }));
    h.client.cancel(h.last_requests.back());
    EXPECT_EQ(result->completions, 1);
    EXPECT_EQ(result->flags & (WEB_CANCELLED | WEB_FAILED), WEB_CANCELLED | WEB_FAILED);
    EXPECT_EQ(h.client.request_count(), 0u);
    EXPECT_TRUE(server.wait_done(5000)) << server.failure();
}

TEST(WebLookups, TheMessageCounterRunsFromOneTo9900)
{
    WebClient client;
    const std::uint32_t first = client.next_lookup_message();
    EXPECT_EQ(first, WM_WEB_LOOKUP_BASE + 1);
    std::uint32_t id = first;
    for (int i = 1; i < 9900; ++i)
        id = client.next_lookup_message();
    EXPECT_EQ(id, WM_WEB_LOOKUP_BASE + 9900);
    EXPECT_EQ(client.next_lookup_message(), WM_WEB_LOOKUP_BASE + 1);
}

TEST(WebTimers, TheTwoTimersFollowTheTimeOut)
{
    WebHarness h(8000);
    EXPECT_TRUE(h.window.has_timer(TIMER_WEB_TIMEOUT));
    EXPECT_TRUE(h.window.has_timer(TIMER_WEB_TICK));
    h.client.web_set_timeout(0);
    EXPECT_FALSE(h.window.has_timer(TIMER_WEB_TIMEOUT));
    EXPECT_TRUE(h.window.has_timer(TIMER_WEB_TICK));
    h.client.web_shutdown();
    EXPECT_FALSE(h.window.has_timer(TIMER_WEB_TICK));
}

} // namespace
} // namespace kestovan
