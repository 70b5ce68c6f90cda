#include "support/process_group.h"

#include "support/test_files.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kestovan::test {

pid_t spawn_process_group(const std::vector<std::string>& argv, const std::string& stdout_path,
                          const std::string& stderr_path, const std::string& where)
{
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int out = ::open(stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int err = ::open(stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (in < 0 || out < 0 || err < 0) {
        for (int fd : {in, out, err})
            if (fd >= 0)
                ::close(fd);
        throw std::runtime_error("cannot open the server's output files in " + where);
    }
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
    ::setpgid(pid, pid); // also from here, so a stop finds the group even if the child has not run yet
    return pid;
}

bool reap_if_exited(pid_t& pid)
{
    if (pid <= 0)
        return true;
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) != pid)
        return false;
    pid = -1;
    return true;
}

void stop_process_group(pid_t& pid, std::chrono::milliseconds grace)
{
    if (pid <= 0)
        return;
    const pid_t group = pid;
    ::kill(-group, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + grace;
    while (!reap_if_exited(pid) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (pid > 0) {
        ::kill(-group, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        pid = -1;
    }
}

std::string output_tails(const std::string& who,
                         const std::vector<std::pair<std::string, std::string>>& files)
{
    constexpr std::size_t LOG_TAIL = 8192;
    std::string text;
    for (const auto& [title, path] : files) {
        if (path.empty())
            continue;
        std::string tail;
        try {
            tail = read_file(path);
        } catch (const std::runtime_error&) {
            continue;
        }
        if (tail.size() > LOG_TAIL)
            tail = "...\n" + tail.substr(tail.size() - LOG_TAIL);
        if (!tail.empty())
            text += "--- " + (who.empty() ? "" : who + " ") + title + " ---\n" + tail +
                    (tail.ends_with('\n') ? "" : "\n");
    }
    return text.empty() ? "(" + (who.empty() ? std::string("the server") : who) + " wrote nothing)\n" : text;
}

} // namespace kestovan::test
