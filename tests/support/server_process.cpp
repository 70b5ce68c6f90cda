#include "support/server_process.h"

#include "support/test_files.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kestovan::test {

namespace {

constexpr std::chrono::milliseconds STOP_GRACE{3000};
constexpr std::size_t LOG_TAIL = 4096;

std::string tail_of(const std::string& path)
{
    try {
        std::string text = read_file(path);
        return text.size() > LOG_TAIL ? "...\n" + text.substr(text.size() - LOG_TAIL) : text;
    } catch (const std::runtime_error&) {
        return {};
    }
}

} // namespace

ServerProcess::ServerProcess(const std::string& name)
{
    std::string pattern =
        (std::filesystem::temp_directory_path() / ("kestovan-" + name + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp " + pattern + ": " + std::strerror(errno));
    folder_ = pattern;
    stdout_path_ = folder_ + "/server.out";
    stderr_path_ = folder_ + "/server.err";
}

ServerProcess::~ServerProcess()
{
    stop();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void ServerProcess::launch(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int out = ::open(stdout_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int err = ::open(stderr_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (in < 0 || out < 0 || err < 0)
        throw std::runtime_error("cannot open the server's output files in " + folder_);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec: the test process has threads.
        ::setpgid(0, 0);
        ::dup2(in, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::close_range(3, ~0U, 0);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    const int fork_errno = errno;
    ::close(in);
    ::close(out);
    ::close(err);
    if (pid < 0)
        throw std::runtime_error(std::string("fork: ") + std::strerror(fork_errno));
    ::setpgid(pid, pid);
    pid_ = pid;
}

bool ServerProcess::exited()
{
    if (pid_ <= 0)
        return true;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) != pid_)
        return false;
    pid_ = -1;
    return true;
}

void ServerProcess::stop()
{
    if (pid_ <= 0)
        return;
    ::kill(-pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + STOP_GRACE;
    while (!exited() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (pid_ > 0) {
        ::kill(-pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

std::string ServerProcess::output() const
{
    try {
        return read_file(stdout_path_);
    } catch (const std::runtime_error&) {
        return {};
    }
}

std::string ServerProcess::log() const
{
    return "--- stdout ---\n" + tail_of(stdout_path_) + "\n--- stderr ---\n" + tail_of(stderr_path_) + "\n";
}

void ServerProcess::give_up(const std::string& why)
{
    const std::string text = log();
    stop();
    throw std::runtime_error("the server did not report its port (" + why + "):\n" + text);
}

void ServerProcess::sleep_a_little() const
{
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

} // namespace kestovan::test
