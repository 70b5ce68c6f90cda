// Real web servers on 127.0.0.1 for the web client's integration tests, each started by a fixture
// and stopped by PID: Python's file server (python3 -m http.server from Debian's python3) for large
// downloads, the same over TLS with a certificate made for the test and signed by a CA of the
// test's own, and tinyproxy with Basic authentication as an HTTP proxy, with a configuration file
// of ours. Constructors throw std::runtime_error with the server's output when it cannot start.
#pragma once

#include "support/server_process.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kestovan::test {

inline constexpr std::string_view SYSTEM_PYTHON = "/usr/bin/python3";

// A folder served over HTTP: files put into root() are fetched at url(name).
class PythonHttpServer {
public:
    PythonHttpServer();
    [[nodiscard]] std::uint16_t port() const { return port_; }
    [[nodiscard]] const std::string& root() const { return root_; }
    [[nodiscard]] std::string url(const std::string& path) const;
    [[nodiscard]] pid_t pid() const { return process_.pid(); }
    std::string make_file(const std::string& name, std::string_view content);
    std::string make_random_file(const std::string& name, std::int64_t size, std::uint64_t seed = 1);

private:
    ServerProcess process_;
    std::string root_;
    std::uint16_t port_ = 0;
};

// The same over TLS. ca_file() is the PEM of the CA that signed the server's certificate (for
// 127.0.0.1 and localhost); nothing else trusts it.
class HttpsTestServer {
public:
    HttpsTestServer();
    [[nodiscard]] std::uint16_t port() const { return port_; }
    [[nodiscard]] const std::string& root() const { return root_; }
    [[nodiscard]] const std::string& ca_file() const { return ca_file_; }
    [[nodiscard]] std::string url(const std::string& path) const;
    std::string make_file(const std::string& name, std::string_view content);

private:
    ServerProcess process_;
    std::string root_;
    std::string ca_file_;
    std::uint16_t port_ = 0;
};

// tinyproxy on 127.0.0.1 asking every client for Basic credentials.
class TinyproxyServer {
public:
    TinyproxyServer(std::string user, std::string password);
    [[nodiscard]] std::uint16_t port() const { return port_; }
    [[nodiscard]] pid_t pid() const { return process_.pid(); }
    [[nodiscard]] std::string log() const { return process_.log(); }

private:
    ServerProcess process_;
    std::uint16_t port_ = 0;
};

} // namespace kestovan::test
