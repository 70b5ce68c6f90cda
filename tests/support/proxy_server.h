// Proxies from Debian's packages on 127.0.0.1 for the proxy tests: danted as SOCKS 4 and SOCKS 5
// proxy and ftp-proxy as FTP proxy ("USER user@host:port"), each with a configuration of our own in
// a temporary folder, started in its own process group, stopped by PID, never as a system service.
// A fixture starts in its constructor and throws std::runtime_error, with the proxy's log, when the
// proxy cannot start (or scripts/setup has not prepared the machine); the destructor stops it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace kestovan::test {

class ProxyServer {
public:
    static constexpr std::chrono::milliseconds START_TIMEOUT{10000};

    virtual ~ProxyServer();
    ProxyServer(const ProxyServer&) = delete;
    ProxyServer& operator=(const ProxyServer&) = delete;

    [[nodiscard]] std::uint16_t port() const { return port_; }
    [[nodiscard]] pid_t pid() const { return pid_; }
    // The proxy's output and log so far, for failure messages.
    [[nodiscard]] std::string log() const;

protected:
    enum class Start {
        SERVING,
        EXITED,
        TIMED_OUT,
    };
    // What a probe connection must receive after sending its bytes, for the proxy to count as ours
    // and serving.
    struct Probe {
        std::string send;
        std::string expect_prefix;
        std::string expect_text; // somewhere in the answer; empty: anything
    };

    explicit ProxyServer(const std::string& name);

    [[nodiscard]] const std::string& base() const { return base_; }
    // Picks a free port, writes the configuration config(port) to config_path, starts argv and waits
    // for the probe; another program that took the port first makes it try again a few times.
    void start(const std::string& config_path, const std::function<std::string(std::uint16_t)>& config,
               const std::vector<std::string>& argv, const Probe& probe, const std::string& log_file);

private:
    void launch(const std::vector<std::string>& argv);
    [[nodiscard]] Start wait_until_serving(const Probe& probe);
    [[nodiscard]] bool exited();
    void stop();

    std::string name_;
    std::string base_;
    std::string stdout_path_;
    std::string stderr_path_;
    std::string log_file_;
    std::uint16_t port_ = 0;
    pid_t pid_ = -1;
};

// danted on 127.0.0.1:port(), relaying to 127.0.0.1 only. Without a user it takes SOCKS 4 and
// SOCKS 5 without authentication; with require_user, SOCKS 5 with the username method only, checked
// against the dedicated account scripts/setup creates. Needs root (the password check reads the
// shadow file), like the vsftpd fixture.
class DanteServer : public ProxyServer {
public:
    static constexpr std::string_view PROGRAM = "/usr/sbin/danted";
    static constexpr std::string_view TEST_USER = "kestovan-socks";
    static constexpr std::string_view TEST_PASSWORD = "kestovan-socks-pw";

    struct Options {
        bool require_user = false;
    };
    explicit DanteServer(Options options);
    DanteServer() : DanteServer(Options{}) {}

private:
    [[nodiscard]] std::string config_text(std::uint16_t port) const;
    Options options_;
};

// ftp-proxy on 127.0.0.1:port(), taking the target from "USER user@host:port" (its magic user).
class FtpProxyServer : public ProxyServer {
public:
    static constexpr std::string_view PROGRAM = "/usr/sbin/ftp-proxy";

    FtpProxyServer();

private:
    [[nodiscard]] std::string config_text(std::uint16_t port, const std::string& banner,
                                          const std::string& log_path) const;
};

} // namespace kestovan::test
