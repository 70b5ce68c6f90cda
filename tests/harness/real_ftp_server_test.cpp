// The process handling the real-server fixtures share, with a shell standing in for the server:
// a start-up failure is reported with the server's own output, and the destructor stops a server
// that will not stop, its whole process group included.
#include "support/loopback_socket.h"
#include "support/real_ftp_server.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace kestovan::test {
namespace {

using namespace std::chrono_literals;

class ShellServer : public RealFtpServer {
public:
    ShellServer(const std::string& script, std::chrono::milliseconds timeout)
        : RealFtpServer("shell", "user", "password", {}, std::nullopt)
    {
        set_port(free_loopback_port());
        launch({"/bin/sh", "-c", script});
        serving = wait_until_serving("Kestovan", timeout) == Start::SERVING;
    }
    bool serving = false;
};

// False once the process has ended, whether or not its parent has reaped it yet.
bool running(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    const auto close = line.rfind(')'); // the state follows the command name in parentheses
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

TEST(RealFtpServer, StartFailureKeepsTheServerOutput)
{
    ShellServer server("echo started; echo 'bind: address in use' >&2; exit 3", 5s);

    EXPECT_FALSE(server.serving);
    EXPECT_NE(server.log().find("--- stdout ---\nstarted\n"), std::string::npos) << server.log();
    EXPECT_NE(server.log().find("--- stderr ---\nbind: address in use\n"), std::string::npos) << server.log();
}

TEST(RealFtpServer, DestructorKillsAProcessGroupThatIgnoresTerm)
{
    pid_t leader = 0;
    pid_t child = 0;
    std::string base;
    const auto begin = std::chrono::steady_clock::now();
    {
        // The shell and the sleep it starts both ignore SIGTERM; only SIGKILL ends them.
        ShellServer server("trap '' TERM; sleep 60 & echo $!; wait", 300ms);
        EXPECT_FALSE(server.serving);
        leader = server.pid();
        base = std::filesystem::path(server.root()).parent_path().string();
        ASSERT_TRUE(std::filesystem::exists(base));
        for (int i = 0; i < 100 && child == 0; ++i) {
            const std::string out = server.log();
            if (const auto at = out.find("--- stdout ---\n"); at != std::string::npos)
                child = static_cast<pid_t>(std::atoi(out.c_str() + at + 15));
            std::this_thread::sleep_for(10ms);
        }
        ASSERT_GT(child, 0) << server.log();
    }
    EXPECT_GE(std::chrono::steady_clock::now() - begin, 3s); // the grace period passed first
    EXPECT_FALSE(running(leader));
    EXPECT_TRUE(wait_until([&] { return !running(child); }, 2000)); // its parent was not us

    EXPECT_FALSE(std::filesystem::exists(base));
}

} // namespace
} // namespace kestovan::test
