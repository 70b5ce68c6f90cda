// kestovan-ftp-cli through proxies that refuse or answer nonsense, and its web commands against web
// servers that misbehave: every row ends within its bound with the right exit status and a message
// naming the fault, and leaves no file that is not what the server sent.
#include "support/cli_process.h"
#include "support/hostile_cases.h"
#include "support/scripted_http_server.h"
#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>

namespace kestovan {
namespace {

using test::HostileCase;
using test::ScriptedFtpServer;
using test::ScriptedHttpServer;

constexpr int BOUND_MS = 8000;

// The FTP client through a SOCKS proxy that the scripted server plays (proxy: "host:port" with
// "{port}" for its port); the FTP server behind it (port 2121) is never reached.
HostileCase through_socks(std::string name, const char* proxy, std::function<void(ScriptedFtpServer&)> script,
                          std::string message)
{
    return {.name = std::move(name),
            .script = std::move(script),
            .args = {"ls", "ftp://u:p@127.0.0.1:2121/d", "--proxy", proxy},
            .status = 1,
            .message = std::move(message),
            .login = false};
}

TEST(HostileProxies, SocksRefusalsAndMalformedAnswersEndTheFtpSession)
{
    const std::string greeting5{5, 1, 0};
    const std::string connect5{5, 1, 0, 1, 127, 0, 0, 1, 0x08, 0x49};
    const std::string request4{4, 1, 0x08, 0x49, 127, 0, 0, 1, 'b', 'o', 'b', 0};
    test::run_hostile_cases({
        through_socks(
            "SOCKS 5 accepts no method", "socks5://127.0.0.1:{port}",
            [&](ScriptedFtpServer& s) {
                s.expect_bytes(greeting5).send(std::string{5, '\xff'});
            },
            "SOCKS 5"),
        through_socks(
            "SOCKS 5 answers with another protocol", "socks5://127.0.0.1:{port}",
            [&](ScriptedFtpServer& s) { s.expect_bytes(greeting5).send("HTTP/1.0 400 Bad Request\r\n\r\n"); },
            "not SOCKS 5"),
        through_socks(
            "SOCKS 5 refuses the connection", "socks5://127.0.0.1:{port}",
            [&](ScriptedFtpServer& s) {
                s.expect_bytes(greeting5).send(std::string{5, 0}).expect_bytes(connect5);
                s.send(std::string{5, 5, 0, 1, 0, 0, 0, 0, 0, 0});
            },
            "connection refused"),
        through_socks(
            "SOCKS 5 closes mid-answer", "socks5://127.0.0.1:{port}",
            [&](ScriptedFtpServer& s) { s.expect_bytes(greeting5).send(std::string{5}).close_control(); },
            "before the handshake was complete"),
        through_socks(
            "SOCKS 4 rejects the request", "socks4://bob@127.0.0.1:{port}",
            [&](ScriptedFtpServer& s) {
                s.expect_bytes(request4).send(std::string{0, 91, 0, 0, 0, 0, 0, 0});
            },
            "status 91"),
        through_socks(
            "SOCKS 4 answers with another protocol", "socks4://bob@127.0.0.1:{port}",
            [&](ScriptedFtpServer& s) {
                s.expect_bytes(request4).send("220 an FTP server, not a proxy\r\n");
            },
            "SOCKS 4"),
    });
}

struct WebCase {
    std::string name;
    std::function<void(ScriptedHttpServer&)> script{};
    QStringList args{}; // "{url}": the scripted server's address, "{port}" its port, "{dir}" the folder
    int status = 1;
    std::string message{}; // in stderr, or in stdout for status 0
    // The whole content of {dir}/f when it exists after the run; it may exist only then.
    std::string saved{};
};

TEST(HostileWeb, ProxiesAndServersThatMisbehave)
{
    const std::string endless_location = "Location: /loop";
    const std::vector<WebCase> cases = {
        {.name = "the HTTP proxy refuses",
         .script = [](ScriptedHttpServer& s) { s.accept().expect_request().respond(403, {}, "no").close(); },
         .args = {"fetch", "http://127.0.0.1:2121/f", "{dir}/f", "--http-proxy", "127.0.0.1:{port}"},
         .message = "403"},
        {.name = "the HTTP proxy answers nonsense",
         .script =
             [](ScriptedHttpServer& s) {
                 s.accept().expect_request().send("SSH-2.0-OpenSSH\r\n\r\n").close();
             },
         .args = {"fetch", "http://127.0.0.1:2121/f", "{dir}/f", "--http-proxy", "127.0.0.1:{port}"},
         .message = "not HTTP"},
        {.name = "a redirection loop",
         .script =
             [&](ScriptedHttpServer& s) {
                 for (int i = 0; i < 6; ++i)
                     s.accept().expect_request().respond(302, {endless_location}).close();
             },
         .args = {"fetch", "{url}/loop", "{dir}/f"},
         .message = "failed (status 302)"},
        {.name = "a Location to another scheme",
         .script =
             [](ScriptedHttpServer& s) {
                 s.accept().expect_request().respond(302, {"Location: ftp://127.0.0.1/f"}).close();
             },
         .args = {"fetch", "{url}/a", "{dir}/f"},
         .message = "failed (status 302)"},
        {.name = "endless headers",
         .script = [](ScriptedHttpServer& s) { s.accept().expect_request().flood_headers(64 * 1024 * 1024); },
         .args = {"fetch", "{url}/a", "{dir}/f"},
         .message = "64 KiB of headers"},
        {.name = "a body longer than its Content-Length",
         .script =
             [](ScriptedHttpServer& s) {
                 s.accept().expect_request().respond(200, {"Content-Length: 5"}, "0123456789", false).close();
             },
         .args = {"fetch", "{url}/a", "{dir}/f"},
         .status = 0,
         .message = "saved 5 bytes",
         .saved = "01234"},
    };
    for (const WebCase& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir root;
        const QString dir = root.filePath("dir");
        std::filesystem::create_directory(dir.toStdString());
        ScriptedHttpServer server;
        c.script(server);
        server.start();
        QStringList args{"--timeout", "300"};
        for (QString arg : c.args)
            args << arg.replace("{url}", QString::fromStdString(server.url("")))
                        .replace("{port}", QString::number(server.port()))
                        .replace("{dir}", dir);
        const auto started = std::chrono::steady_clock::now();
        const test::CliRun run = test::run_cli(args, BOUND_MS * 2, root.path());
        const auto took =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started)
                .count();
        EXPECT_LT(took, BOUND_MS) << c.name;
        EXPECT_EQ(run.status, c.status) << c.name << ": " << run.err;
        bool said = false;
        const std::string& text = c.status == 0 ? run.out : run.err;
        for (const QString& part : QString::fromStdString(c.message).split('|'))
            said = said || text.find(part.toStdString()) != std::string::npos;
        EXPECT_TRUE(said) << c.name << ": \"" << c.message << "\" not in: " << text.substr(0, 2000);
        const std::string file = (dir + "/f").toStdString();
        if (std::filesystem::exists(file)) {
            EXPECT_EQ(test::read_file(file), c.saved) << c.name << ": the saved file is not what was sent";
        }
        EXPECT_EQ(std::filesystem::exists(file), !c.saved.empty()) << c.name;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root.path().toStdString()),
                                std::filesystem::directory_iterator{}),
                  1)
            << c.name << ": wrote outside its folder";
    }
}

} // namespace
} // namespace kestovan
