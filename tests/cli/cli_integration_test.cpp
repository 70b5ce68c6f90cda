// kestovan-ftp-cli as a user runs it, against real servers on loopback: its output, its files and
// its exit status.
#include "support/cli_process.h"
#include "support/pyftpdlib_server.h"
#include "support/scripted_ftp_server.h"
#include "support/test_certificates.h"
#include "support/test_files.h"
#include "support/vsftpd_server.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>

namespace kestovan {
namespace {

using test::CliRun;
using test::run_cli;

enum class Kind {
    Vsftpd,
    Pyftpdlib
};

class Cli : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override
    {
        if (GetParam() == Kind::Vsftpd)
            server = std::make_unique<test::VsftpdServer>();
        else
            server = std::make_unique<test::PyftpdlibServer>();
    }
    QString url(const std::string& path, const std::string& password = {}) const
    {
        return QString::fromStdString("ftp://" + server->user() + ":" +
                                      (password.empty() ? server->password() : password) +
                                      "@127.0.0.1:" + std::to_string(server->port()) + path);
    }
    QString local(const char* name) const { return dir.filePath(name); }

    std::unique_ptr<test::RealFtpServer> server;
    QTemporaryDir dir;
};

TEST_P(Cli, LsPrintsOneParsedEntryPerLine)
{
    server->make_file("pub/a file.txt", "12345");
    server->make_folder("pub/sub");
    CliRun run = run_cli({"ls", url("/pub")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("0\ta file.txt\t5\t"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1\tsub\t"), std::string::npos) << run.out;
}

TEST_P(Cli, GetAndPutAreByteExactAndResume)
{
    server->make_random_file("data.bin", 3 * 1024 * 1024 + 5, 9);
    CliRun get = run_cli({"get", url("/data.bin"), local("data.bin"), "--active"});
    ASSERT_EQ(get.status, 0) << get.err;
    EXPECT_EQ(test::sha256_file(local("data.bin").toStdString()),
              test::sha256_file(server->path("data.bin")));

    const std::string whole = test::read_file(server->path("data.bin"));
    test::write_file(local("part.bin").toStdString(), whole.substr(0, 100000));
    CliRun resume = run_cli({"get", url("/data.bin"), local("part.bin"), "--resume"});
    ASSERT_EQ(resume.status, 0) << resume.err;
    EXPECT_EQ(test::read_file(local("part.bin").toStdString()), whole);

    CliRun put = run_cli({"put", local("data.bin"), url("/up.bin")});
    ASSERT_EQ(put.status, 0) << put.err;
    EXPECT_EQ(test::sha256_file(server->path("up.bin")), test::sha256_file(server->path("data.bin")));
}

// Every regular file below root, relative path to content, for comparing two trees.
std::map<std::string, std::string> tree_of(const std::string& root)
{
    std::map<std::string, std::string> files;
    for (auto it = std::filesystem::recursive_directory_iterator(root); it != std::filesystem::end(it);
         ++it) {
        const auto relative = std::filesystem::relative(it->path(), root).string();
        if (it->is_symlink())
            it.disable_recursion_pending();
        else if (it->is_directory())
            files[relative + "/"] = "";
        else if (it->is_regular_file())
            files[relative] = test::read_file(it->path().string());
    }
    return files;
}

TEST_P(Cli, WholeFoldersGoBothWaysOnOneOrSeveralConnections)
{
    server->make_file("tree/top.txt", "top");
    server->make_random_file("tree/a/b/deep.bin", 200000, 3);
    server->make_file("tree/a/note.txt", "note");
    server->make_folder("tree/empty");
    for (int i = 0; i < 12; ++i)
        server->make_file("tree/many/f" + std::to_string(i), std::string(100 + i, 'x'));
    std::filesystem::create_symlink("..", server->path("tree/a/loop")); // back to the top
    auto wanted = tree_of(server->path("tree"));

    for (const char* parallel : {"1", "3"}) {
        const QString target = local((std::string("copy") + parallel).c_str());
        CliRun get = run_cli({"get", "-r", url("/tree"), target, "--parallel", parallel});
        ASSERT_EQ(get.status, 0) << parallel << ": " << get.err;
        auto copied = tree_of(target.toStdString());
        // The loop is followed once as a folder and stopped where it comes back.
        copied.erase(copied.lower_bound("a/loop"), copied.upper_bound("a/loop~"));
        EXPECT_EQ(copied, wanted) << "parallel " << parallel;
    }

    const std::string upload = local("upload").toStdString();
    std::filesystem::create_directories(upload + "/sub/nothing");
    test::write_file(upload + "/x.txt", "x");
    test::write_file(upload + "/sub/y.bin", std::string(70000, 'y'));
    CliRun put = run_cli({"put", "-r", QString::fromStdString(upload), url("/new/place"), "--parallel", "2"});
    ASSERT_EQ(put.status, 0) << put.err;
    EXPECT_EQ(tree_of(server->path("new/place")), tree_of(upload));
}

TEST_P(Cli, VerboseLogMasksThePassword)
{
    CliRun run = run_cli({"-v", "quote", url("/"), "NOOP"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("> PASS ****"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find(server->password()), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("> NOOP\n200"), std::string::npos) << run.out;
}

TEST_P(Cli, FailuresExitNonZeroWithTheServersReply)
{
    CliRun wrong = run_cli({"ls", url("/", "not-the-password")});
    EXPECT_NE(wrong.status, 0);
    EXPECT_NE(wrong.err.find("530"), std::string::npos) << wrong.err;

    CliRun missing = run_cli({"get", url("/no-such-file"), local("x")});
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(missing.err.find("550"), std::string::npos) << missing.err;
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1)
        << "one clear line: " << missing.err;
}

INSTANTIATE_TEST_SUITE_P(Servers, Cli, ::testing::Values(Kind::Vsftpd, Kind::Pyftpdlib),
                         [](const auto& info) {
                             return info.param == Kind::Vsftpd ? "Vsftpd" : "Pyftpdlib";
                         });

// The client against vsftpd that demands TLS and session reuse on data connections: nothing is
// trusted without the system's store, --ca-file or --pin-sha256, and an untrusted certificate ends
// the run before the login with its fingerprint.
TEST(CliOverTls, TrustsOnlyWhatTheCommandLineSaysAndTransfersThroughResumedSessions)
{
    test::TestCertificates certificates;
    const test::ServerCertificate certificate = certificates.make_server("server", {"IP:127.0.0.1"});
    test::RealServerOptions options;
    options.tls_certificate = certificate.certificate;
    options.tls_key = certificate.key;
    test::VsftpdServer server(options);
    server.make_random_file("data.bin", 2 * 1024 * 1024 + 3, 4);
    QTemporaryDir dir;
    const QString url = QString::fromStdString("ftpes://" + server.user() + ":" + server.password() +
                                               "@127.0.0.1:" + std::to_string(server.port()) + "/data.bin");

    CliRun untrusted = run_cli({"get", url, dir.filePath("no.bin")});
    EXPECT_EQ(untrusted.status, 1);
    EXPECT_NE(untrusted.err.find(certificate.sha256), std::string::npos) << untrusted.err;
    EXPECT_EQ(server.log().find("\"USER "), std::string::npos) << server.log();

    CliRun with_ca = run_cli({"get", url, dir.filePath("ca.bin"), "--ca-file",
                              QString::fromStdString(certificates.ca_file()), "-v"});
    ASSERT_EQ(with_ca.status, 0) << with_ca.err;
    EXPECT_NE(with_ca.err.find("* Encrypted connection: TLSv1."), std::string::npos) << with_ca.err;
    EXPECT_EQ(test::read_file(dir.filePath("ca.bin").toStdString()),
              test::read_file(server.path("data.bin")));

    CliRun pinned = run_cli({"put", dir.filePath("ca.bin"), url + ".up", "--active", "--pin-sha256",
                             QString::fromStdString(certificate.sha256)});
    ASSERT_EQ(pinned.status, 0) << pinned.err;
    EXPECT_EQ(test::read_file(server.path("data.bin.up")), test::read_file(server.path("data.bin")));
}

TEST(CliWithoutServer, ARefusedConnectionAnUnknownHostAndAListingFile)
{
    CliRun refused = run_cli({"ls", "ftp://u:p@127.0.0.1:1/"});
    EXPECT_NE(refused.status, 0);
    EXPECT_NE(refused.err.find("10061"), std::string::npos) << refused.err;

    CliRun unknown = run_cli({"ls", "ftp://u:p@no-such-host.invalid/"});
    EXPECT_NE(unknown.status, 0);
    EXPECT_NE(unknown.err.find("Host Not Found: no-such-host.invalid"), std::string::npos) << unknown.err;

    QTemporaryDir dir;
    const std::string path = dir.filePath("listing.txt").toStdString();
    test::write_file(path,
                     "total 2\r\ndrwxr-xr-x 2 ftp ftp 512 Jan 15 2003 pub\r\n01-15-04 10:30AM <DIR> dos\r\n");
    CliRun parsed = run_cli({"parse-listing", QString::fromStdString(path)});
    ASSERT_EQ(parsed.status, 0) << parsed.err;
    EXPECT_EQ(parsed.out,
              "1\tpub\t512\tJan 15 2003\tdrwxr-xr-x\tftp\tftp\t2\t\n1\tdos\t\t01-15-04 10:30AM\t\t\t\t\t\n");
}

} // namespace
} // namespace kestovan

namespace kestovan {
namespace {

QProcessEnvironment environment_with_home(const QString& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    return env;
}

TEST(CliProgress, OnATerminalOnlyAndNotWithQuiet)
{
    // pyftpdlib names no size in its 150 reply: the total comes from SIZE.
    test::PyftpdlibServer server;
    server.make_random_file("big.bin", 2 * 1024 * 1024, 3);
    QTemporaryDir dir;
    const QString url = QString::fromStdString("ftp://" + server.user() + ":" + server.password() +
                                               "@127.0.0.1:" + std::to_string(server.port()) + "/big.bin");
    const QProcessEnvironment env = environment_with_home(dir.path());

    CliRun terminal = test::run_cli_in({"get", url, dir.filePath("a.bin")}, env, true);
    ASSERT_EQ(terminal.status, 0) << terminal.out;
    EXPECT_NE(terminal.out.find("\r2.0 MiB of 2.0 MiB  100%  "), std::string::npos) << terminal.out;

    CliRun pipe = test::run_cli_in({"get", url, dir.filePath("b.bin")}, env);
    ASSERT_EQ(pipe.status, 0) << pipe.err;
    EXPECT_EQ(pipe.err, "");

    CliRun quiet = test::run_cli_in({"get", "--quiet", url, dir.filePath("c.bin")}, env, true);
    ASSERT_EQ(quiet.status, 0) << quiet.out;
    EXPECT_EQ(quiet.out.find('\r'), std::string::npos) << quiet.out;

    CliRun usage = test::run_cli_in({"get", "--no-such-option", url}, env);
    EXPECT_EQ(usage.status, 2) << "a usage error, not a failed transfer";
}

TEST(CliNetrc, APrivateNetrcGivesThePasswordAndAnOpenOneIsRefused)
{
    test::PyftpdlibServer server;
    server.make_file("hello.txt", "hi");
    QTemporaryDir home;
    const std::filesystem::path netrc = home.filePath(".netrc").toStdString();
    test::write_file(netrc.string(),
                     "machine 127.0.0.1 login " + server.user() + " password " + server.password() + "\n");
    namespace fs = std::filesystem;
    fs::permissions(netrc, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
    const QString url = QString::fromStdString("ftp://127.0.0.1:" + std::to_string(server.port()) + "/");
    const QProcessEnvironment env = environment_with_home(home.path());

    CliRun used = test::run_cli_in({"ls", url}, env);
    ASSERT_EQ(used.status, 0) << used.err;
    EXPECT_NE(used.out.find("hello.txt"), std::string::npos) << used.out;

    fs::permissions(netrc, fs::perms::others_read, fs::perm_options::add);
    CliRun refused = test::run_cli_in({"ls", url}, env);
    EXPECT_EQ(refused.status, 1) << "anonymous login refused by the server";
    EXPECT_NE(refused.err.find("(chmod 600 it)"), std::string::npos) << refused.err;
}

} // namespace
} // namespace kestovan
