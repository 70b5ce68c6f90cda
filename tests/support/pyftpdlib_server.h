// pyftpdlib (python3-pyftpdlib under Debian's /usr/bin/python3) on 127.0.0.1, through the small
// server script next to this file. It binds a port of its own choosing and reports it, so there is
// no race for the port. It runs as the test's own user with every permission on root().
#pragma once

#include "support/real_ftp_server.h"

namespace kestovan::test {

class PyftpdlibServer : public RealFtpServer {
public:
    static constexpr std::string_view PYTHON = "/usr/bin/python3";
    static constexpr std::string_view TEST_USER = "kestovan";
    static constexpr std::string_view TEST_PASSWORD = "kestovan-pw";

    explicit PyftpdlibServer(RealServerOptions options = {});

private:
    [[nodiscard]] std::uint16_t wait_for_port();
};

} // namespace kestovan::test
