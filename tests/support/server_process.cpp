#include "support/server_process.h"

#include "support/process_group.h"
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
    pid_ = spawn_process_group(argv, stdout_path_, stderr_path_, folder_);
}

bool ServerProcess::exited()
{
    return reap_if_exited(pid_);
}

void ServerProcess::stop()
{
    stop_process_group(pid_, STOP_GRACE);
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
    return output_tails("", {{"stdout", stdout_path_}, {"stderr", stderr_path_}});
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
