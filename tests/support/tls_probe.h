// The greeting of an FTP server that speaks TLS from the first byte (implicit TLS), read with a
// blocking OpenSSL client that accepts any certificate: for start-up probes of test servers, never
// for a test's verdict.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace kestovan::test {

// The first line the server sends on 127.0.0.1:port; throws std::runtime_error when there is none
// within timeout.
[[nodiscard]] std::string read_tls_greeting(std::uint16_t port, std::chrono::milliseconds timeout);

} // namespace kestovan::test
