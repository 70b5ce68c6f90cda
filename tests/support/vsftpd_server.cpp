#include "support/vsftpd_server.h"

#include "support/loopback_socket.h"
#include "support/test_files.h"

#include <filesystem>
#include <pwd.h>
#include <stdexcept>
#include <unistd.h>
#include <utility>
#include <vector>

namespace kestovan::test {

namespace {

constexpr int PORT_ATTEMPTS = 5;
constexpr const char* PAM_FOLDER = "/etc/pam.d/";
// vsftpd's empty folder for its unprivileged helper; scripts/setup creates it.
constexpr const char* SECURE_CHROOT_DIR = "/var/run/vsftpd/empty";

[[noreturn]] void setup_missing(const std::string& what)
{
    throw std::runtime_error("VsftpdServer: " + what + "; run scripts/setup (as root) first");
}

// The account vsftpd works as; checks first what the fixture needs from the machine.
RealFtpServer::Owner test_account()
{
    if (::geteuid() != 0)
        throw std::runtime_error("VsftpdServer: the vsftpd tests must run as root (vsftpd switches to the "
                                 "test account), but they run as uid " +
                                 std::to_string(::geteuid()));
    if (!std::filesystem::exists(VsftpdServer::PROGRAM))
        setup_missing(std::string(VsftpdServer::PROGRAM) + " is missing");
    if (!std::filesystem::exists(std::string(PAM_FOLDER) + std::string(VsftpdServer::PAM_SERVICE)))
        setup_missing("the PAM service " + std::string(PAM_FOLDER) + std::string(VsftpdServer::PAM_SERVICE) +
                      " is missing");
    if (!std::filesystem::is_directory(SECURE_CHROOT_DIR))
        setup_missing(std::string(SECURE_CHROOT_DIR) + " is missing");
    const passwd* account = ::getpwnam(std::string(VsftpdServer::TEST_USER).c_str());
    if (account == nullptr)
        setup_missing("the account " + std::string(VsftpdServer::TEST_USER) + " does not exist");
    return {.uid = account->pw_uid, .gid = account->pw_gid};
}

std::string yes_no(bool value)
{
    return value ? "YES" : "NO";
}

} // namespace

VsftpdServer::VsftpdServer(RealServerOptions options)
    : RealFtpServer("vsftpd", std::string(TEST_USER), std::string(TEST_PASSWORD), options, test_account())
{
    const std::string config_path = base() + "/vsftpd.conf";
    // The folder name makes the banner unique, so the start-up probe knows it reached this instance.
    const std::string banner = "Kestovan test vsftpd " + std::filesystem::path(base()).filename().string();
    set_log_file(base() + "/vsftpd.log");
    for (int attempt = 1;; ++attempt) {
        // vsftpd must be told a port number; another program may take it before vsftpd binds.
        set_port(free_loopback_port());
        write_file(config_path, config_text(port(), banner));
        launch({std::string(PROGRAM), config_path});
        const Start start = wait_until_serving(banner, START_TIMEOUT);
        if (start == Start::SERVING)
            return;
        const std::string output = log();
        stop();
        const bool port_taken = output.find("could not bind") != std::string::npos;
        if (start == Start::EXITED && port_taken && attempt < PORT_ATTEMPTS)
            continue;
        throw std::runtime_error("vsftpd did not start on 127.0.0.1:" + std::to_string(port()) + " (" +
                                 (start == Start::EXITED ? "it exited" : "no greeting in time") + "):\n" +
                                 output);
    }
}

std::string VsftpdServer::config_text(std::uint16_t port, const std::string& banner) const
{
    const RealServerOptions& opts = options();
    std::vector<std::pair<std::string, std::string>> settings = {
        {"listen", "YES"},
        {"listen_ipv6", "NO"},
        {"listen_address", "127.0.0.1"},
        {"listen_port", std::to_string(port)},
        {"background", "NO"},
        {"ftpd_banner", banner},
        {"pam_service_name", std::string(PAM_SERVICE)},
        {"secure_chroot_dir", SECURE_CHROOT_DIR},
        // Containers with fewer privileges than this one refuse the per-session namespaces
        // ("500 OOPS: clone"), and the seccomp filter kills sessions on system calls it does not know
        // ("500 OOPS: child died"); the test server needs neither.
        {"seccomp_sandbox", "NO"},
        {"isolate", "NO"},
        {"isolate_network", "NO"},
        {"local_enable", "YES"},
        {"write_enable", "YES"},
        {"chmod_enable", "YES"}, // SITE CHMOD
        {"local_umask", "022"},
        {"local_root", root()},
        {"chroot_local_user", "YES"},
        {"allow_writeable_chroot", "YES"},
        {"pasv_enable", "YES"},
        {"pasv_address", "127.0.0.1"},
        {"port_enable", "YES"},
        {"connect_from_port_20", "NO"},
        {"dirmessage_enable", "NO"},
        {"use_localtime", "NO"},
        {"delay_failed_login", "0"},
        {"syslog_enable", "NO"},
        {"xferlog_enable", "YES"},
        {"xferlog_std_format", "NO"},
        {"log_ftp_protocol", "YES"},
        {"vsftpd_log_file", base() + "/vsftpd.log"},
        {"anonymous_enable", yes_no(opts.anonymous)},
    };
    if (opts.max_rate > 0)
        settings.emplace_back("local_max_rate", std::to_string(opts.max_rate));
    if (opts.anonymous) {
        settings.insert(settings.end(), {
                                            {"anon_root", anon_root()},
                                            {"no_anon_password", "YES"},
                                            // Anonymous works as the test account too, so its uploads
                                            // belong to the same owner as everything else.
                                            {"ftp_username", std::string(TEST_USER)},
                                            {"anon_umask", "022"},
                                            {"anon_upload_enable", yes_no(opts.anonymous_upload)},
                                            {"anon_mkdir_write_enable", yes_no(opts.anonymous_upload)},
                                        });
    }
    if (!opts.tls_certificate.empty()) {
        settings.insert(settings.end(), {
                                            {"ssl_enable", "YES"},
                                            {"rsa_cert_file", opts.tls_certificate},
                                            {"rsa_private_key_file", opts.tls_key},
                                            {"force_local_logins_ssl", "YES"},
                                            {"force_local_data_ssl", "YES"},
                                            {"require_ssl_reuse", "YES"},
                                            {"implicit_ssl", yes_no(opts.implicit_tls)},
                                            // vsftpd's own default list is a single cipher that
                                            // OpenSSL 3 no longer offers.
                                            {"ssl_ciphers", "HIGH"},
                                        });
    }
    std::string text = "# Written by the test suite for one test server; not the system's vsftpd.\n";
    for (const auto& [key, value] : settings)
        text += key + "=" + value + "\n";
    return text;
}

} // namespace kestovan::test
