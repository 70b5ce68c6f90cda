#include "support/tls_probe.h"

#include "support/loopback_socket.h"

#include <memory>
#include <openssl/ssl.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/time.h>

namespace kestovan::test {

std::string read_tls_greeting(std::uint16_t port, std::chrono::milliseconds timeout)
{
    UniqueFd fd = connect_loopback(port, timeout);
    timeval limit{};
    limit.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    limit.tv_usec = static_cast<suseconds_t>((timeout.count() % 1000) * 1000);
    ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> context(SSL_CTX_new(TLS_client_method()), SSL_CTX_free);
    std::unique_ptr<SSL, decltype(&SSL_free)> ssl(context ? SSL_new(context.get()) : nullptr, SSL_free);
    if (!ssl || SSL_set_fd(ssl.get(), fd.get()) != 1 || SSL_connect(ssl.get()) != 1)
        throw std::runtime_error("no TLS handshake on port " + std::to_string(port));
    std::string line;
    char c = 0;
    while (line.size() < 1024 && SSL_read(ssl.get(), &c, 1) == 1) {
        line.push_back(c);
        if (c == '\n')
            return line;
    }
    throw std::runtime_error("no greeting over TLS on port " + std::to_string(port));
}

} // namespace kestovan::test
