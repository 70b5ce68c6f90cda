// What the real-server fixtures share: a temporary folder with the test user's root (and an
// anonymous root where asked), a server process started in its own process group and stopped by
// PID, and helpers that put files into the roots so the server's account can read, write, rename
// and delete them. The fixtures themselves are VsftpdServer and PyftpdlibServer.
//
// A fixture starts in its constructor and throws std::runtime_error, with the server's output, when
// the server cannot start; the destructor stops it and removes the folder.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace kestovan::test {

struct RealServerOptions {
    bool anonymous = false;        // anonymous login, seeing anon_root() as "/"
    bool anonymous_upload = false; // anonymous may also store files in anon_root()/upload
    // TLS (vsftpd): the server's certificate and key files; empty: plain FTP. The server then demands
    // TLS for the login and for data, and data connections that resume the control connection's
    // TLS session.
    std::string tls_certificate = {};
    std::string tls_key = {};
    bool implicit_tls = false; // TLS from the first byte instead of AUTH TLS
    std::int64_t max_rate = 0; // bytes per second of each transfer; 0: as fast as it goes (vsftpd)
};

class RealFtpServer {
public:
    static constexpr std::chrono::milliseconds START_TIMEOUT{10000};
    static constexpr std::string_view ANONYMOUS_UPLOAD_FOLDER = "upload";

    virtual ~RealFtpServer();
    RealFtpServer(const RealFtpServer&) = delete;
    RealFtpServer& operator=(const RealFtpServer&) = delete;

    [[nodiscard]] std::uint16_t port() const { return port_; }
    [[nodiscard]] const std::string& root() const { return root_; }           // the test user's "/"
    [[nodiscard]] const std::string& anon_root() const { return anon_root_; } // anonymous "/"
    [[nodiscard]] const std::string& user() const { return user_; }
    [[nodiscard]] const std::string& password() const { return password_; }
    [[nodiscard]] pid_t pid() const { return pid_; }
    // The server's own output and log so far, for failure messages.
    [[nodiscard]] std::string log() const;

    // Paths are relative to root(), or absolute inside root() or anon_root(). What these create,
    // including the folders leading to it, belongs to the server's account.
    [[nodiscard]] std::string path(const std::string& where) const;
    std::string make_folder(const std::string& where);
    std::string make_file(const std::string& where, std::string_view content);
    std::string make_random_file(const std::string& where, std::int64_t size, std::uint64_t seed = 1);
    // Gives an item the test made some other way (a folder with all inside it) to the server's account.
    void hand_over(const std::string& where);

    // The account a server works as, which owns what the helpers above create.
    struct Owner {
        uid_t uid = 0;
        gid_t gid = 0;
    };

protected:
    enum class Start {
        SERVING,
        EXITED,
        TIMED_OUT,
    };

    // Creates the folders; owner is the account the server works as (none: the test's own).
    RealFtpServer(const std::string& name, std::string user, std::string password, RealServerOptions options,
                  std::optional<Owner> owner);

    [[nodiscard]] const std::string& base() const { return base_; }
    [[nodiscard]] const RealServerOptions& options() const { return options_; }
    // Starts argv[0] with stdin from /dev/null and stdout and stderr into files in base().
    void launch(const std::vector<std::string>& argv);
    // Waits until the server greets on port() with a line containing banner, or exits, or time runs out
    // (over TLS when the server speaks it from the first byte).
    [[nodiscard]] Start wait_until_serving(std::string_view banner, std::chrono::milliseconds timeout);
    // The server's stdout so far.
    [[nodiscard]] std::string output() const;
    // Stops the process group by the leader's PID: SIGTERM, then SIGKILL when it does not go.
    void stop();
    [[nodiscard]] bool exited();
    void set_port(std::uint16_t port) { port_ = port; }
    // Extra text for log(): the path of a log file the server writes itself.
    void set_log_file(std::string path) { log_file_ = std::move(path); }

private:
    [[nodiscard]] std::string area_of(const std::string& absolute) const;
    void own(const std::string& absolute) const;
    void own_chain(const std::string& absolute) const; // the item and its folders up to its root

    std::string base_;
    std::string root_;
    std::string anon_root_;
    std::string user_;
    std::string password_;
    RealServerOptions options_;
    std::optional<Owner> owner_;
    std::string stdout_path_;
    std::string stderr_path_;
    std::string log_file_;
    std::uint16_t port_ = 0;
    pid_t pid_ = -1;
};

} // namespace kestovan::test
