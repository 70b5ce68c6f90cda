// A server program started by a test: its own process group, stdin from /dev/null, stdout and
// stderr into files of a private temporary folder, stopped by PID (SIGTERM, then SIGKILL) when the
// fixture goes. The web fixtures (http_servers.h) are built on it.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kestovan::test {

class ServerProcess {
public:
    explicit ServerProcess(const std::string& name); // makes the folder; starts nothing yet
    ~ServerProcess();                                // stops the program and removes the folder
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    [[nodiscard]] const std::string& folder() const { return folder_; }
    [[nodiscard]] pid_t pid() const { return pid_; }

    void launch(const std::vector<std::string>& argv);
    void stop();
    [[nodiscard]] bool exited();
    [[nodiscard]] std::string output() const; // stdout so far
    [[nodiscard]] std::string log() const;    // the ends of stdout and stderr, for failure messages

    // Waits until `found` returns a port for the output so far; throws with the log when the program
    // exits or time runs out.
    template <typename Find>
    [[nodiscard]] int wait_for_port(Find found, std::chrono::milliseconds timeout);

private:
    [[noreturn]] void give_up(const std::string& why);
    void sleep_a_little() const;

    std::string folder_;
    std::string stdout_path_;
    std::string stderr_path_;
    pid_t pid_ = -1;
};

template <typename Find>
int ServerProcess::wait_for_port(Find found, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const int port = found(output()); port > 0)
            return port;
        if (exited())
            give_up("it exited");
        if (std::chrono::steady_clock::now() >= deadline)
            give_up("time-out");
        sleep_a_little();
    }
}

} // namespace kestovan::test
