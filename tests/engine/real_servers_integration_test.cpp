// The engine against real servers from Debian's packages on loopback, each in passive and active
// mode: login, listings, large transfers with checksums, resumes, append and the file commands.
#include "engine/command_set.h"
#include "engine/control_channel.h"
#include "support/engine_harness.h"
#include "support/pyftpdlib_server.h"
#include "support/test_files.h"
#include "support/vsftpd_server.h"
#include "views/dir_entry.h"
#include "views/listing_parser.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace kestovan {
namespace {

using test::EngineHarness;
using test::RealFtpServer;

enum class ServerKind {
    Vsftpd,
    Pyftpdlib
};
struct Setup {
    ServerKind server;
    bool passive;
};

std::string setup_name(const ::testing::TestParamInfo<Setup>& info)
{
    return std::string(info.param.server == ServerKind::Vsftpd ? "Vsftpd" : "Pyftpdlib") +
           (info.param.passive ? "Passive" : "Active");
}

// One logged-in session; every step queues commands and waits for the callback of the last one.
class RealServer : public ::testing::TestWithParam<Setup> {
protected:
    void SetUp() override
    {
        if (GetParam().server == ServerKind::Vsftpd)
            server = std::make_unique<test::VsftpdServer>();
        else
            server = std::make_unique<test::PyftpdlibServer>();
    }

    FtpConnection* login(const std::string& password = {})
    {
        conn = h.open(server->port(), server->user(), password.empty() ? server->password() : password,
                      GetParam().passive);
        serial = conn->serial;
        h.wait([&] { return !h.login_results.empty() || h.closed(conn, serial); }, 10000);
        return conn;
    }

    // Queues through `queue` with a callback that records the outcome, and waits for it.
    bool run(const std::function<FtpCommand*(CommandCallback)>& queue, int timeout_ms = 30000)
    {
        auto result = std::make_shared<std::optional<bool>>();
        FtpCommand* command = queue([this, result](FtpConnection& c, bool ok) {
            // A resume's REST shares the callback; only the transfer's own outcome counts.
            if (!c.queue.empty() && c.queue.front()->kind == CMD_REST && ok)
                return 1;
            if (!c.queue.empty() && c.queue.front()->kind == CMD_LIST && c.data_connection)
                listing = c.data_connection->buffer;
            if (!c.queue.empty())
                last_reply = c.queue.front()->reply;
            *result = ok;
            return 1;
        });
        if (!command)
            return false;
        EXPECT_TRUE(h.wait([&] { return result->has_value() || !h.live(conn); }, timeout_ms))
            << server->log();
        return result->value_or(false);
    }

    EntryChain list(const std::string& path)
    {
        listing.clear();
        EXPECT_TRUE(run([&](CommandCallback cb) { return send_list(h.engine, conn, path, cb); }));
        DirEntry folder;
        folder.path = path;
        return parse_listing(listing, folder, ListingOptions{});
    }

    const DirEntry* find(const EntryChain& entries, const std::string& name)
    {
        for (const auto& e : entries)
            if (e->name == name)
                return e.get();
        return nullptr;
    }

    std::string local(const std::string& name) const
    {
        return dir.filePath(QString::fromStdString(name)).toStdString();
    }

    std::unique_ptr<RealFtpServer> server;
    EngineHarness h;
    FtpConnection* conn = nullptr;
    std::uint32_t serial = 0;
    std::string listing;
    std::string last_reply;
    QTemporaryDir dir;
};

TEST_P(RealServer, LogsInAndListsFilesFoldersLinksAndNamesWithBlanks)
{
    server->make_file("pub/readme.txt", "hello\n");
    server->make_file("pub/name with blanks.txt", "x");
    server->make_folder("pub/sub");
    ::symlink("readme.txt", server->path("pub/link").c_str());
    server->hand_over("pub");
    login();
    ASSERT_EQ(h.login_results, std::vector<bool>{true}) << server->log();
    EntryChain entries = list("/pub");
    const DirEntry* readme = find(entries, "readme.txt");
    ASSERT_NE(readme, nullptr) << listing;
    EXPECT_EQ(readme->kind, KIND_FILE);
    EXPECT_EQ(readme->size, "6");
    const DirEntry* blanks = find(entries, "name with blanks.txt");
    ASSERT_NE(blanks, nullptr) << listing;
    const DirEntry* sub = find(entries, "sub");
    ASSERT_NE(sub, nullptr) << listing;
    EXPECT_EQ(sub->kind, KIND_FOLDER);
    const DirEntry* link = find(entries, "link");
    ASSERT_NE(link, nullptr) << listing;
    EXPECT_EQ(link->kind, KIND_LINK);
    EXPECT_EQ(link->link_target, "readme.txt");
}

TEST_P(RealServer, ARefusedPasswordEndsTheSession)
{
    login("wrong-password");
    EXPECT_TRUE(h.wait([&] { return h.closed(conn, serial); }, 10000)) << server->log();
    EXPECT_TRUE(h.login_results.empty() || !h.login_results[0]);
}

TEST_P(RealServer, TwentyMebibytesGoDownAndUpByteExact)
{
    const std::int64_t size = 20 * 1024 * 1024;
    server->make_random_file("big.bin", size, 42);
    login();
    ASSERT_EQ(h.login_results, std::vector<bool>{true});
    ASSERT_TRUE(run([&](CommandCallback cb) {
        return send_retr(h.engine, conn, "/big.bin", local("big.bin"), true, cb);
    })) << last_reply;
    EXPECT_EQ(test::sha256_file(local("big.bin")), test::sha256_file(server->path("big.bin")));
    ASSERT_TRUE(run([&](CommandCallback cb) {
        return send_stor(h.engine, conn, local("big.bin"), "/copy.bin", true, cb);
    })) << last_reply;
    ASSERT_TRUE(
        h.wait([&] { return std::filesystem::file_size(server->path("copy.bin")) == std::uintmax_t(size); }));
    EXPECT_EQ(test::sha256_file(server->path("copy.bin")), test::sha256_file(server->path("big.bin")));
}

TEST_P(RealServer, ResumesAndAppendsContinueWhereTheFilesEnd)
{
    const std::int64_t size = 3 * 1024 * 1024 + 17;
    server->make_random_file("data.bin", size, 7);
    const std::string whole = test::read_file(server->path("data.bin"));
    test::write_file(local("part.bin"), whole.substr(0, 1000000));
    login();
    ASSERT_TRUE(run([&](CommandCallback cb) {
        return send_retr_resume(h.engine, conn, "/data.bin", local("part.bin"), true, 1000000, cb);
    })) << last_reply;
    EXPECT_EQ(test::sha256_file(local("part.bin")), test::sha256_file(server->path("data.bin")));

    test::write_file(local("whole.bin"), whole);
    server->make_file("up.bin", whole.substr(0, 2000000));
    ASSERT_TRUE(run([&](CommandCallback cb) {
        return send_stor_resume(h.engine, conn, local("whole.bin"), "/up.bin", true, 2000000, cb);
    })) << last_reply;
    ASSERT_TRUE(
        h.wait([&] { return std::filesystem::file_size(server->path("up.bin")) == std::uintmax_t(size); }));
    EXPECT_EQ(test::read_file(server->path("up.bin")), whole);

    test::write_file(local("tail.txt"), "tail\n");
    server->make_file("log.txt", "head\n");
    ASSERT_TRUE(run([&](CommandCallback cb) {
        return send_appe(h.engine, conn, local("tail.txt"), "/log.txt", true, cb);
    })) << last_reply;
    ASSERT_TRUE(h.wait([&] { return test::read_file(server->path("log.txt")) == "head\ntail\n"; }));
}

TEST_P(RealServer, FolderAndFileCommandsAndARawSiteCommand)
{
    server->make_file("old.txt", "x");
    login();
    EXPECT_TRUE(run([&](CommandCallback cb) { return send_mkd(h.engine, conn, "/made", cb); })) << last_reply;
    EXPECT_TRUE(std::filesystem::is_directory(server->path("made")));
    EXPECT_TRUE(run([&](CommandCallback cb) { return send_cwd(h.engine, conn, "/made", cb); })) << last_reply;
    EXPECT_TRUE(run([&](CommandCallback cb) { return send_pwd(h.engine, conn, cb); })) << last_reply;
    EXPECT_NE(last_reply.find("/made"), std::string::npos) << last_reply;
    EXPECT_TRUE(run([&](CommandCallback cb) { return send_cwd(h.engine, conn, "/", cb); })) << last_reply;
    EXPECT_TRUE(run([&](CommandCallback cb) { return send_rmd(h.engine, conn, "/made", cb); })) << last_reply;
    EXPECT_FALSE(std::filesystem::exists(server->path("made")));
    send_rnfr(h.engine, conn, "/old.txt");
    EXPECT_TRUE(run([&](CommandCallback cb) { return send_rnto(h.engine, conn, "/new.txt", cb); }))
        << last_reply;
    EXPECT_TRUE(std::filesystem::exists(server->path("new.txt")));
    EXPECT_TRUE(run([&](CommandCallback cb) {
        return send_raw(h.engine, conn, "SITE CHMOD 600 /new.txt", cb);
    })) << last_reply;
    EXPECT_EQ(std::filesystem::status(server->path("new.txt")).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_TRUE(run([&](CommandCallback cb) { return send_dele(h.engine, conn, "/new.txt", cb); }))
        << last_reply;
    EXPECT_FALSE(std::filesystem::exists(server->path("new.txt")));
    EXPECT_FALSE(run([&](CommandCallback cb) { return send_dele(h.engine, conn, "/new.txt", cb); }));
    EXPECT_EQ(last_reply.substr(0, 3), "550");

    close_session(h.engine, *conn);
    EXPECT_TRUE(h.wait([&] { return h.closed(conn, serial); }, 10000));
}

// Offsets do not depend on the data connection's mode, so one mode per server is enough here.
class HugeFiles : public RealServer {};

TEST_P(HugeFiles, BeyondFourGibibytesListAndResumeWith64BitOffsets)
{
    const std::int64_t five_gib = 5LL * 1024 * 1024 * 1024;
    const std::string tail = test::pseudo_random_bytes(1 << 20, 5);
    {
        // A sparse file: zeros up to the last mebibyte, then known bytes.
        std::string path = server->make_file("huge.bin", "");
        std::filesystem::resize_file(path, five_gib - static_cast<std::int64_t>(tail.size()));
        std::ofstream(path, std::ios::app | std::ios::binary) << tail;
    }
    login();
    EntryChain entries = list("/");
    const DirEntry* huge = find(entries, "huge.bin");
    ASSERT_NE(huge, nullptr) << listing;
    EXPECT_EQ(huge->size, "5368709120");

    const std::int64_t offset = five_gib - static_cast<std::int64_t>(tail.size());
    {
        std::ofstream(local("huge.bin"), std::ios::binary).close();
        std::filesystem::resize_file(local("huge.bin"), offset);
    }
    ASSERT_TRUE(run([&](CommandCallback cb) {
        return send_retr_resume(h.engine, conn, "/huge.bin", local("huge.bin"), true, offset, cb);
    })) << last_reply;
    ASSERT_EQ(std::filesystem::file_size(local("huge.bin")), std::uintmax_t(five_gib));
    std::ifstream in(local("huge.bin"), std::ios::binary);
    in.seekg(offset);
    std::string got(tail.size(), '\0');
    in.read(got.data(), static_cast<std::streamsize>(got.size()));
    EXPECT_TRUE(got == tail);

    std::string remote = server->make_file("up-huge.bin", "");
    std::filesystem::resize_file(remote, offset);
    server->hand_over("up-huge.bin");
    ASSERT_TRUE(run([&](CommandCallback cb) {
        return send_stor_resume(h.engine, conn, local("huge.bin"), "/up-huge.bin", true, offset, cb);
    })) << last_reply;
    ASSERT_TRUE(h.wait([&] { return std::filesystem::file_size(remote) == std::uintmax_t(five_gib); }));
}

INSTANTIATE_TEST_SUITE_P(Servers, RealServer,
                         ::testing::Values(Setup{ServerKind::Vsftpd, true}, Setup{ServerKind::Vsftpd, false},
                                           Setup{ServerKind::Pyftpdlib, true},
                                           Setup{ServerKind::Pyftpdlib, false}),
                         setup_name);
INSTANTIATE_TEST_SUITE_P(Servers, HugeFiles,
                         ::testing::Values(Setup{ServerKind::Vsftpd, true},
                                           Setup{ServerKind::Pyftpdlib, true}),
                         setup_name);

} // namespace
} // namespace kestovan
