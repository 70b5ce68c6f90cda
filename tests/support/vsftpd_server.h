// vsftpd from the Debian package on 127.0.0.1, with a configuration of our own in a temporary folder
// (never the system service). It logs in the dedicated account that scripts/setup creates, through
// the PAM service scripts/setup installs, and needs root to run: without either it throws, with the
// reason, rather than skip. Passive and active transfers both work; the test user is kept inside
// root(), which it sees as "/".
#pragma once

#include "support/real_ftp_server.h"

namespace kestovan::test {

class VsftpdServer : public RealFtpServer {
public:
    static constexpr std::string_view PROGRAM = "/usr/sbin/vsftpd";
    static constexpr std::string_view TEST_USER = "kestovan-ftptest";
    static constexpr std::string_view TEST_PASSWORD = "kestovan-ftptest-pw";
    static constexpr std::string_view PAM_SERVICE = "kestovan-ftptest";

    explicit VsftpdServer(RealServerOptions options = {});

private:
    [[nodiscard]] std::string config_text(std::uint16_t port, const std::string& banner) const;
};

} // namespace kestovan::test
