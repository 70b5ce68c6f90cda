#include "support/real_ftp_server.h"

#include "support/blocking_ftp_client.h"
#include "support/process_group.h"
#include "support/test_files.h"
#include "support/tls_probe.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kestovan::test {

namespace fs = std::filesystem;

namespace {

constexpr std::chrono::milliseconds STOP_GRACE{3000};
constexpr std::chrono::milliseconds POLL_INTERVAL{20};
constexpr std::chrono::milliseconds PROBE_TIMEOUT{1000};
constexpr mode_t FOLDER_MODE = 0755;
constexpr mode_t FILE_MODE = 0644;

std::string make_temp_folder(const std::string& name)
{
    std::string pattern = (fs::temp_directory_path() / ("kestovan-" + name + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp " + pattern + ": " + std::strerror(errno));
    // The server's account must be able to reach the roots inside.
    ::chmod(pattern.c_str(), FOLDER_MODE);
    return pattern;
}

void make_folder_with_mode(const std::string& path)
{
    fs::create_directory(path);
    ::chmod(path.c_str(), FOLDER_MODE);
}

// The end of a file, or nothing when it is missing.
bool inside(const std::string& path, const std::string& folder)
{
    return !folder.empty() && (path == folder || path.starts_with(folder + "/"));
}

} // namespace

RealFtpServer::RealFtpServer(const std::string& name, std::string user, std::string password,
                             RealServerOptions options, std::optional<Owner> owner)
    : base_(make_temp_folder(name)), user_(std::move(user)), password_(std::move(password)),
      options_(options), owner_(owner)
{
    try {
        root_ = base_ + "/root";
        make_folder_with_mode(root_);
        own(root_);
        if (options_.anonymous) {
            // The anonymous root stays the test's own: vsftpd refuses a root its account can write.
            anon_root_ = base_ + "/anon";
            make_folder_with_mode(anon_root_);
            if (options_.anonymous_upload)
                make_folder(anon_root_ + "/" + std::string(ANONYMOUS_UPLOAD_FOLDER));
        }
        stdout_path_ = base_ + "/server.out";
        stderr_path_ = base_ + "/server.err";
    } catch (...) {
        std::error_code ignored;
        fs::remove_all(base_, ignored);
        throw;
    }
}

RealFtpServer::~RealFtpServer()
{
    stop();
    std::error_code ignored;
    fs::remove_all(base_, ignored);
}

std::string RealFtpServer::log() const
{
    return output_tails("", {{"stdout", stdout_path_}, {"stderr", stderr_path_}, {"log", log_file_}});
}

std::string RealFtpServer::path(const std::string& where) const
{
    const fs::path given(where);
    const std::string full =
        (given.is_absolute() ? given : fs::path(root_) / given).lexically_normal().string();
    std::string trimmed = full;
    while (trimmed.size() > 1 && trimmed.ends_with('/'))
        trimmed.pop_back();
    if (area_of(trimmed).empty())
        throw std::invalid_argument("\"" + where + "\" is outside the server's roots");
    return trimmed;
}

std::string RealFtpServer::make_folder(const std::string& where)
{
    const std::string full = path(where);
    fs::create_directories(full);
    own_chain(full);
    return full;
}

std::string RealFtpServer::make_file(const std::string& where, std::string_view content)
{
    const std::string full = path(where);
    make_folder(fs::path(full).parent_path().string());
    write_file(full, content);
    own_chain(full);
    return full;
}

std::string RealFtpServer::make_random_file(const std::string& where, std::int64_t size, std::uint64_t seed)
{
    const std::string full = path(where);
    make_folder(fs::path(full).parent_path().string());
    write_random_file(full, size, seed);
    own_chain(full);
    return full;
}

void RealFtpServer::hand_over(const std::string& where)
{
    const std::string full = path(where);
    if (fs::is_directory(full)) {
        for (const auto& entry : fs::recursive_directory_iterator(full))
            own(entry.path().string());
    }
    own_chain(full);
}

std::string RealFtpServer::area_of(const std::string& absolute) const
{
    if (inside(absolute, root_))
        return root_;
    if (inside(absolute, anon_root_))
        return anon_root_;
    return {};
}

void RealFtpServer::own(const std::string& absolute) const
{
    const bool folder = fs::is_directory(fs::symlink_status(absolute));
    if (!fs::is_symlink(fs::symlink_status(absolute)))
        ::chmod(absolute.c_str(), folder ? FOLDER_MODE : FILE_MODE);
    if (owner_ && ::lchown(absolute.c_str(), owner_->uid, owner_->gid) != 0)
        throw std::runtime_error("chown " + absolute + ": " + std::strerror(errno));
}

void RealFtpServer::own_chain(const std::string& absolute) const
{
    const std::string area = area_of(absolute);
    for (fs::path p(absolute); p.string() != area && inside(p.string(), area); p = p.parent_path())
        own(p.string());
}

void RealFtpServer::launch(const std::vector<std::string>& argv)
{
    pid_ = spawn_process_group(argv, stdout_path_, stderr_path_, base_);
}

RealFtpServer::Start RealFtpServer::wait_until_serving(std::string_view banner,
                                                       std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (exited())
            return Start::EXITED;
        try {
            // Another program that took the port in the meantime greets differently; ours then
            // fails to bind and exits, which the next round sees.
            if (options_.implicit_tls) {
                const std::string greeting = read_tls_greeting(port_, PROBE_TIMEOUT);
                if (greeting.starts_with("220") && greeting.find(banner) != std::string::npos)
                    return Start::SERVING;
            } else {
                BlockingFtpClient probe(port_, PROBE_TIMEOUT);
                const FtpReply greeting = probe.read_reply();
                if (greeting.code == 220 && greeting.text.find(banner) != std::string::npos)
                    return Start::SERVING;
            }
        } catch (const std::runtime_error&) {
            // Not listening yet.
        }
        std::this_thread::sleep_for(POLL_INTERVAL);
    }
    return exited() ? Start::EXITED : Start::TIMED_OUT;
}

std::string RealFtpServer::output() const
{
    try {
        return read_file(stdout_path_);
    } catch (const std::runtime_error&) {
        return {};
    }
}

bool RealFtpServer::exited()
{
    return reap_if_exited(pid_);
}

void RealFtpServer::stop()
{
    stop_process_group(pid_, STOP_GRACE);
}

} // namespace kestovan::test
