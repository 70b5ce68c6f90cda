#include "support/proxy_server.h"

#include "support/loopback_socket.h"
#include "support/process_group.h"
#include "support/test_files.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <pwd.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kestovan::test {

namespace fs = std::filesystem;

namespace {

constexpr int PORT_ATTEMPTS = 5;
constexpr std::chrono::milliseconds STOP_GRACE{3000};
constexpr std::chrono::milliseconds POLL_INTERVAL{20};
constexpr std::chrono::milliseconds PROBE_TIMEOUT{1000};
constexpr std::size_t PROBE_READ = 512;

std::string make_temp_folder(const std::string& name)
{
    std::string pattern = (fs::temp_directory_path() / ("kestovan-" + name + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp " + pattern + ": " + std::strerror(errno));
    // The proxies drop to an unprivileged account after opening their logs; their configuration
    // must stay readable for a reload.
    ::chmod(pattern.c_str(), 0755);
    return pattern;
}

// The first bytes a server sends after the probe's own, until `text` shows up or `prefix_size` bytes
// are there (when text is empty), the server closes or the time-out passes.
std::string probe_answer(std::uint16_t port, const std::string& send, std::size_t prefix_size,
                         const std::string& text)
{
    UniqueFd fd = connect_loopback(port, PROBE_TIMEOUT);
    if (!send.empty())
        write_all(fd.get(), send, PROBE_TIMEOUT);
    std::string answer;
    const auto deadline = Clock::now() + PROBE_TIMEOUT;
    while (Clock::now() < deadline) {
        if (text.empty() ? answer.size() >= prefix_size : answer.find(text) != std::string::npos)
            break;
        pollfd p{fd.get(), POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (::poll(&p, 1, static_cast<int>(std::max<long long>(left.count(), 0))) <= 0)
            continue;
        char buffer[PROBE_READ];
        const ssize_t n = ::recv(fd.get(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (n <= 0)
            break;
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    return answer;
}

void require_root(const std::string& fixture)
{
    if (::geteuid() != 0)
        throw std::runtime_error(fixture +
                                 ": the proxy tests must run as root (the proxies check passwords and "
                                 "switch accounts), but they run as uid " +
                                 std::to_string(::geteuid()));
}

void require_program(const std::string& fixture, std::string_view program)
{
    if (!fs::exists(program))
        throw std::runtime_error(fixture + ": " + std::string(program) +
                                 " is missing; run scripts/setup (as root) first");
}

} // namespace

ProxyServer::ProxyServer(const std::string& name) : name_(name), base_(make_temp_folder(name))
{
    stdout_path_ = base_ + "/proxy.out";
    stderr_path_ = base_ + "/proxy.err";
}

ProxyServer::~ProxyServer()
{
    stop();
    std::error_code ignored;
    fs::remove_all(base_, ignored);
}

std::string ProxyServer::log() const
{
    return output_tails(name_, {{"stdout", stdout_path_}, {"stderr", stderr_path_}, {"log", log_file_}});
}

void ProxyServer::start(const std::string& config_path,
                        const std::function<std::string(std::uint16_t)>& config,
                        const std::vector<std::string>& argv, const Probe& probe, const std::string& log_file)
{
    log_file_ = log_file;
    for (int attempt = 1;; ++attempt) {
        // The proxy must be told a port number; another program may take it before the proxy binds.
        port_ = free_loopback_port();
        write_file(config_path, config(port_));
        launch(argv);
        const Start start = wait_until_serving(probe);
        if (start == Start::SERVING)
            return;
        const std::string output = log();
        stop();
        if (start == Start::EXITED && attempt < PORT_ATTEMPTS)
            continue;
        throw std::runtime_error(name_ + " did not start on 127.0.0.1:" + std::to_string(port_) + " (" +
                                 (start == Start::EXITED ? "it exited" : "no answer in time") + "):\n" +
                                 output);
    }
}

void ProxyServer::launch(const std::vector<std::string>& argv)
{
    pid_ = spawn_process_group(argv, stdout_path_, stderr_path_, base_);
}

ProxyServer::Start ProxyServer::wait_until_serving(const Probe& probe)
{
    const auto deadline = Clock::now() + START_TIMEOUT;
    while (Clock::now() < deadline) {
        if (exited())
            return Start::EXITED;
        try {
            const std::string answer =
                probe_answer(port_, probe.send, probe.expect_prefix.size(), probe.expect_text);
            // Another program that took the port answers differently; ours then fails to bind and
            // exits, which the next round sees.
            if (answer.starts_with(probe.expect_prefix) &&
                (probe.expect_text.empty() || answer.find(probe.expect_text) != std::string::npos))
                return exited() ? Start::EXITED : Start::SERVING;
        } catch (const std::runtime_error&) {
            // Not listening yet.
        }
        std::this_thread::sleep_for(POLL_INTERVAL);
    }
    return exited() ? Start::EXITED : Start::TIMED_OUT;
}

bool ProxyServer::exited()
{
    return reap_if_exited(pid_);
}

void ProxyServer::stop()
{
    if (pid_ <= 0)
        return;
    const pid_t group = pid_;
    ::kill(-group, SIGTERM);
    const auto deadline = Clock::now() + STOP_GRACE;
    while (!exited() && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (pid_ > 0) {
        ::kill(-group, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    // Both proxies fork a child per client; one still busy with a connection when its parent
    // went is ended with the group.
    ::kill(-group, SIGKILL);
}

DanteServer::DanteServer(Options options) : ProxyServer("danted"), options_(options)
{
    require_root("DanteServer");
    require_program("DanteServer", PROGRAM);
    if (options_.require_user && ::getpwnam(std::string(TEST_USER).c_str()) == nullptr)
        throw std::runtime_error("DanteServer: the account " + std::string(TEST_USER) +
                                 " does not exist; run scripts/setup (as root) first");
    const std::string config_path = base() + "/danted.conf";
    // A SOCKS 5 greeting offering no authentication: danted answers with version 5 either way.
    start(
        config_path, [this](std::uint16_t port) { return config_text(port); },
        {std::string(PROGRAM), "-f", config_path, "-p", base() + "/danted.pid"},
        Probe{std::string{5, 1, 0}, std::string{5}, {}}, base() + "/danted.log");
}

std::string DanteServer::config_text(std::uint16_t port) const
{
    return "# Written by the test suite for one test proxy; not the system's danted.\n"
           "logoutput: " +
           base() + "/danted.log\n" + "internal: 127.0.0.1 port = " + std::to_string(port) +
           "\n"
           "external: 127.0.0.1\n"
           "clientmethod: none\n"
           "socksmethod: " +
           (options_.require_user ? "username" : "none") +
           "\n"
           // The username method checks passwords in the shadow file.
           "user.privileged: root\n"
           "user.unprivileged: nobody\n"
           "client pass {\n"
           "    from: 127.0.0.0/8 to: 127.0.0.0/8\n"
           "    log: error\n"
           "}\n"
           "socks pass {\n"
           "    from: 127.0.0.0/8 to: 127.0.0.0/8\n"
           "    command: connect\n"
           "    protocol: tcp\n"
           "    log: connect disconnect error\n"
           "}\n";
}

FtpProxyServer::FtpProxyServer() : ProxyServer("ftp-proxy")
{
    require_root("FtpProxyServer");
    require_program("FtpProxyServer", PROGRAM);
    const std::string config_path = base() + "/ftp-proxy.conf";
    // The folder name makes the banner unique, so the start-up probe knows it reached this instance.
    const std::string banner = "Kestovan test ftp-proxy " + fs::path(base()).filename().string();
    // ftp-proxy (re)creates its log after it has become nobody: the folder of the log is nobody's.
    const std::string log_folder = base() + "/log";
    fs::create_directory(log_folder);
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr || ::chown(log_folder.c_str(), nobody->pw_uid, nobody->pw_gid) != 0)
        throw std::runtime_error("FtpProxyServer: cannot hand " + log_folder + " to the account nobody");
    const std::string log_path = log_folder + "/ftp-proxy.log";
    start(
        config_path, [&](std::uint16_t port) { return config_text(port, banner, log_path); },
        {std::string(PROGRAM), "-d", "-n", "-f", config_path}, Probe{{}, "220 ", banner}, log_path);
}

std::string FtpProxyServer::config_text(std::uint16_t port, const std::string& banner,
                                        const std::string& log_path) const
{
    const std::vector<std::pair<std::string, std::string>> settings = {
        {"ServerType", "standalone"},
        {"Listen", "127.0.0.1"},
        {"Port", std::to_string(port)},
        // Required as a fallback; every session names its server in "USER user@host:port".
        {"DestinationAddress", "127.0.0.1"},
        {"AllowMagicUser", "yes"},
        {"WelcomeString", banner},
        {"LogDestination", log_path},
        {"LogLevel", "DBG"},
        {"PidFile", base() + "/ftp-proxy.pid"},
        {"User", "nobody"},
        {"Group", "nogroup"},
        // A test run opens more sessions per minute than the default limit of 40 allows.
        {"ForkLimit", "1000"},
    };
    std::string text =
        "# Written by the test suite for one test proxy; not the system's ftp-proxy.\n[-Global-]\n";
    for (const auto& [key, value] : settings)
        text += key + " " + value + "\n";
    return text;
}

} // namespace kestovan::test
