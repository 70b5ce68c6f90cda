// kestovan-ftp-cli's web commands as a user runs them, against Python's file server and tinyproxy on
// loopback: the links of a page, a saved file, a failure and the proxy.
#include "support/cli_process.h"
#include "support/http_servers.h"
#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

using test::CliRun;
using test::run_cli;

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

TEST(WebCli, LinksPrintsTheHarvestedLinksOnePerLine)
{
    test::PythonHttpServer server;
    server.make_file("index.html",
                     "<html><body><a href=\"a.zip\">a</a> <a href=\"A.ZIP\">again</a>\n"
                     "<a href=\"page.html?x=1#top\">p</a> <a href=\"shop.jsp?id=2\">s</a></body></html>");
    const CliRun run = run_cli({"links", q(server.url("/"))});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "a.zip\npage.html\nshop.jsp?id=2\n");
}

TEST(WebCli, FetchSavesTheFileAndAMissingOneFails)
{
    test::PythonHttpServer server;
    const std::string source = server.make_random_file("data.bin", 1234567, 3);
    QTemporaryDir dir;
    const std::string target = dir.filePath("copy.bin").toStdString();
    const CliRun saved = run_cli({"fetch", q(server.url("/data.bin")), q(target)});
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(saved.out, "saved 1234567 bytes from " + server.url("/data.bin") + " to " + target + "\n");
    EXPECT_EQ(test::sha256_file(target), test::sha256_file(source));
    const CliRun missing = run_cli({"fetch", q(server.url("/nothing.bin")), q(target + ".2")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "kestovan-ftp-cli: The server answered 404.\n");
}

TEST(WebCli, FetchThroughTinyproxyWithCredentials)
{
    test::PythonHttpServer server;
    const std::string source = server.make_random_file("p.bin", 300000, 5);
    test::TinyproxyServer proxy("cli", "cli-pw");
    QTemporaryDir dir;
    const std::string target = dir.filePath("p.bin").toStdString();
    const CliRun run = run_cli({"fetch", q(server.url("/p.bin")), q(target), "--http-proxy",
                                q("cli:cli-pw@127.0.0.1:" + std::to_string(proxy.port()))});
    EXPECT_EQ(run.status, 0) << run.err << proxy.log();
    EXPECT_EQ(test::sha256_file(target), test::sha256_file(source));
}

} // namespace
} // namespace kestovan
