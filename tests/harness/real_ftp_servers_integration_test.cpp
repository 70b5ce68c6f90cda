// The real-server fixtures start, serve the files the test puts in their roots, take logins and
// transfers both ways, and are gone after their destructor. Every case runs against each server.
#include "support/blocking_ftp_client.h"
#include "support/pyftpdlib_server.h"
#include "support/test_files.h"
#include "support/vsftpd_server.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>

namespace kestovan::test {
namespace {

namespace fs = std::filesystem;

using Factory = std::function<std::unique_ptr<RealFtpServer>(RealServerOptions)>;

struct ServerKind {
    const char* name;
    Factory make;
};

void PrintTo(const ServerKind& kind, std::ostream* out)
{
    *out << kind.name;
}

const ServerKind SERVER_KINDS[] = {
    {"vsftpd", [](RealServerOptions o) { return std::make_unique<VsftpdServer>(o); }},
    {"pyftpdlib", [](RealServerOptions o) { return std::make_unique<PyftpdlibServer>(o); }},
};

class RealFtpServerTest : public ::testing::TestWithParam<ServerKind> {
protected:
    std::unique_ptr<RealFtpServer> start(RealServerOptions options = {}) { return GetParam().make(options); }

    static BlockingFtpClient logged_in(const RealFtpServer& server)
    {
        BlockingFtpClient client(server.port());
        EXPECT_EQ(client.read_reply().code, 220);
        const FtpReply reply = client.login(server.user(), server.password());
        EXPECT_EQ(reply.code, 230) << reply.text << "\n" << server.log();
        EXPECT_EQ(client.command("TYPE I").code, 200);
        return client;
    }
};

TEST_P(RealFtpServerTest, TakesTheTestUserAndRefusesAWrongPassword)
{
    const auto server = start();
    {
        BlockingFtpClient client(server->port());
        EXPECT_EQ(client.read_reply().code, 220);
        EXPECT_EQ(client.login(server->user(), server->password() + "-wrong").code, 530);
    }
    BlockingFtpClient client = logged_in(*server);
    EXPECT_EQ(client.command("PWD").text.find("\"/\""), 4u); // the root is the user's "/"
}

TEST_P(RealFtpServerTest, ListsAndServesFilesCreatedInTheRoot)
{
    const auto server = start();
    server->make_file("a.txt", "alpha\n");
    server->make_file("sub/b.txt", "beta\n");
    server->make_folder("empty");

    BlockingFtpClient client = logged_in(*server);
    const FtpTransfer list = client.retrieve_passive("LIST");
    const FtpTransfer sub = client.retrieve_passive("LIST sub");
    const FtpTransfer active = client.retrieve_active("LIST");
    const FtpTransfer file = client.retrieve_passive("RETR a.txt");

    EXPECT_EQ(list.end.code, 226) << server->log();
    for (const char* name : {"a.txt", "sub", "empty"})
        EXPECT_NE(list.data.find(name), std::string::npos) << name << " in:\n" << list.data;
    EXPECT_NE(sub.data.find("b.txt"), std::string::npos) << sub.data;
    EXPECT_EQ(active.end.code, 226) << server->log();
    EXPECT_EQ(active.data, list.data);
    EXPECT_EQ(file.data, "alpha\n");
}

TEST_P(RealFtpServerTest, TestUserCanStoreRenameAndDelete)
{
    const auto server = start();
    server->make_file("old.txt", "old");
    server->make_folder("gone");
    const std::string payload = pseudo_random_bytes(200000, 5);

    BlockingFtpClient client = logged_in(*server);
    const FtpTransfer stored = client.store_passive("STOR up.bin", payload);
    EXPECT_EQ(stored.end.code, 226) << server->log();
    EXPECT_EQ(client.command("RNFR old.txt").code, 350);
    EXPECT_EQ(client.command("RNTO new.txt").code, 250);
    EXPECT_EQ(client.command("MKD made").code, 257);
    EXPECT_EQ(client.command("RMD gone").code, 250);
    EXPECT_EQ(client.command("DELE new.txt").code, 250);

    EXPECT_EQ(sha256_file(server->path("up.bin")), sha256_bytes(payload));
    EXPECT_FALSE(fs::exists(server->path("old.txt")));
    EXPECT_FALSE(fs::exists(server->path("new.txt")));
    EXPECT_FALSE(fs::exists(server->path("gone")));
    EXPECT_TRUE(fs::is_directory(server->path("made")));
}

TEST_P(RealFtpServerTest, AnonymousSeesItsRootAndUploadsOnlyWhereAllowed)
{
    const auto server = start({.anonymous = true, .anonymous_upload = true});
    server->make_file(server->anon_root() + "/pub.txt", "public\n");

    BlockingFtpClient client(server->port());
    EXPECT_EQ(client.read_reply().code, 220);
    EXPECT_EQ(client.login("anonymous", "guest@example.invalid").code, 230) << server->log();
    EXPECT_EQ(client.command("TYPE I").code, 200);
    const FtpTransfer list = client.retrieve_passive("NLST");
    const FtpTransfer upload = client.store_passive("STOR upload/in.txt", "incoming\n");

    EXPECT_NE(list.data.find("pub.txt"), std::string::npos) << list.data;
    EXPECT_NE(list.data.find("upload"), std::string::npos) << list.data;
    EXPECT_EQ(upload.end.code, 226) << server->log();
    EXPECT_EQ(read_file(server->anon_root() + "/upload/in.txt"), "incoming\n");
}

TEST_P(RealFtpServerTest, AnonymousIsRefusedUnlessEnabled)
{
    const auto server = start();
    BlockingFtpClient client(server->port());
    EXPECT_EQ(client.read_reply().code, 220);
    EXPECT_NE(client.login("anonymous", "guest@example.invalid").code, 230);
}

TEST_P(RealFtpServerTest, PathsStayInsideTheRoots)
{
    const auto server = start();
    EXPECT_EQ(server->path("a/../b"), server->root() + "/b");
    EXPECT_THROW((void)server->path("../escape"), std::invalid_argument);
    EXPECT_THROW((void)server->path("/etc/passwd"), std::invalid_argument);
}

TEST_P(RealFtpServerTest, DestructorStopsTheServer)
{
    auto server = start();
    const pid_t pid = server->pid();
    const std::uint16_t port = server->port();
    const std::string base = fs::path(server->root()).parent_path().string();
    server.reset();

    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
    EXPECT_THROW((void)connect_loopback(port, std::chrono::milliseconds(500)), std::runtime_error);
    EXPECT_FALSE(fs::exists(base));
}

INSTANTIATE_TEST_SUITE_P(Servers, RealFtpServerTest, ::testing::ValuesIn(SERVER_KINDS),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kestovan::test
