// Many transfers of mixed sizes through one engine, and many sessions opened and closed, against a
// real server: the process's resident memory and open descriptors stay flat after a warm-up. CI runs
// a short form; scripts/soak runs the full counts (KESTOVAN_SOAK_TRANSFERS, KESTOVAN_SOAK_SESSIONS).
#include "engine/command_set.h"
#include "engine/control_channel.h"
#include "engine/engine.h"
#include "platform/window.h"
#include "support/test_environment.h"
#include "support/test_files.h"
#include "support/vsftpd_server.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <unistd.h>

namespace kestovan {
namespace {

constexpr std::int64_t RSS_BOUND = 8 * 1024 * 1024; // growth allowed after the warm-up
constexpr int WAIT_MS = 20000;

int count_from_environment(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    return text && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

struct Usage {
    std::int64_t rss = 0;
    int fds = 0;
};

Usage usage_now()
{
    Usage usage;
    std::ifstream statm("/proc/self/statm");
    std::int64_t pages = 0;
    statm >> pages >> usage.rss;
    usage.rss *= ::sysconf(_SC_PAGESIZE);
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++usage.fds;
    return usage;
}

// One engine that counts what a soak needs and keeps nothing per event, so that the test itself
// does not grow.
class SoakEngine {
public:
    SoakEngine()
    {
        engine.engine_init(window, 10000, [this](std::int32_t code, FtpConnection*, const EventArg&) {
            if (event_code(code) == EV_CLOSED)
                ++closed;
        });
    }

    FtpConnection* login(const test::RealFtpServer& server)
    {
        bool done = false;
        bool ok = false;
        FtpConnection* conn = open_session(engine, server.user(), server.password(), "", "127.0.0.1",
                                           server.port(), nullptr, [&](FtpConnection&, bool result) {
                                               done = true;
                                               ok = result;
                                               return 0;
                                           });
        if (!conn || !test::wait_until([&] { return done; }, WAIT_MS) || !ok)
            return nullptr;
        conn->passive = 1;
        return conn;
    }

    Window window;
    Engine engine;
    int closed = 0;
};

void report(const char* what, const Usage& warm, const Usage& end)
{
    std::cout << "soak " << what << ": RSS " << warm.rss / 1024 << " KiB after warm-up, " << end.rss / 1024
              << " KiB at the end; descriptors " << warm.fds << " -> " << end.fds << "\n";
}

TEST(Soak, TransfersOfMixedSizesKeepMemoryAndDescriptorsFlat)
{
    const int transfers = count_from_environment("KESTOVAN_SOAK_TRANSFERS", 200);
    test::VsftpdServer server;
    const std::int64_t sizes[] = {0, 1, 1000, 65537, 1024 * 1024 + 3, 4 * 1024 * 1024};
    for (std::size_t i = 0; i < std::size(sizes); ++i)
        server.make_random_file("f" + std::to_string(i), sizes[i], i + 1);
    QTemporaryDir dir;
    SoakEngine soak;
    FtpConnection* conn = soak.login(server);
    ASSERT_NE(conn, nullptr) << server.log();

    const int warm_up = std::max(20, transfers / 10);
    Usage warm;
    int failures = 0;
    for (int i = 0; i < transfers; ++i) {
        if (i == warm_up)
            warm = usage_now();
        const std::size_t which = static_cast<std::size_t>(i) % std::size(sizes);
        const std::string name = "f" + std::to_string(which);
        const std::string local = dir.filePath(QString::fromStdString(name)).toStdString();
        int result = -1;
        auto done = [&result](FtpConnection&, bool ok) {
            result = ok ? 1 : 0;
            return 1;
        };
        // Every third transfer sends back a file fetched before.
        const bool upload = i % 3 == 2 && std::filesystem::exists(local);
        const FtpCommand* queued =
            upload ? send_stor(soak.engine, conn, local, "/up" + std::to_string(which), true, done)
                   : send_retr(soak.engine, conn, "/" + name, local, true, done);
        ASSERT_NE(queued, nullptr) << "transfer " << i;
        ASSERT_TRUE(test::wait_until([&] { return result >= 0; }, WAIT_MS))
            << "transfer " << i << " never ended";
        failures += result == 0;
        if (!upload && result == 1) {
            ASSERT_EQ(static_cast<std::int64_t>(std::filesystem::file_size(local)), sizes[which])
                << "transfer " << i;
        }
    }
    const Usage end = usage_now();
    report("transfers", warm, end);
    EXPECT_EQ(failures, 0);
    EXPECT_LE(end.fds, warm.fds) << "descriptors leak";
    EXPECT_LT(end.rss - warm.rss, RSS_BOUND) << "memory grows";
}

TEST(Soak, SessionsOpenedAndClosedKeepMemoryAndDescriptorsFlat)
{
    const int sessions = count_from_environment("KESTOVAN_SOAK_SESSIONS", 40);
    test::VsftpdServer server;
    SoakEngine soak;
    const int warm_up = std::max(10, sessions / 10);
    Usage warm;
    for (int i = 0; i < sessions; ++i) {
        if (i == warm_up)
            warm = usage_now();
        FtpConnection* conn = soak.login(server);
        ASSERT_NE(conn, nullptr) << "session " << i << ": " << server.log();
        const int closed = soak.closed;
        close_session(soak.engine, *conn);
        ASSERT_TRUE(test::wait_until([&] { return soak.closed > closed; }, WAIT_MS)) << "session " << i;
    }
    const Usage end = usage_now();
    report("sessions", warm, end);
    EXPECT_LE(end.fds, warm.fds) << "descriptors leak";
    EXPECT_LT(end.rss - warm.rss, RSS_BOUND) << "memory grows";
}

} // namespace
} // namespace kestovan
