#include "support/pyftpdlib_server.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace kestovan::test {

namespace {

constexpr const char* SCRIPT = KESTOVAN_TEST_SUPPORT_DIR "/pyftpdlib_server.py";
constexpr std::string_view BANNER = "Kestovan test pyftpdlib";
constexpr std::chrono::milliseconds POLL_INTERVAL{20};

} // namespace

PyftpdlibServer::PyftpdlibServer(RealServerOptions options)
    : RealFtpServer("pyftpdlib", std::string(TEST_USER), std::string(TEST_PASSWORD), options, std::nullopt)
{
    if (!std::filesystem::exists(PYTHON))
        throw std::runtime_error("PyftpdlibServer: " + std::string(PYTHON) +
                                 " is missing; run scripts/setup");
    std::vector<std::string> argv = {std::string(PYTHON), SCRIPT,    "--root", root(), "--user", user(),
                                     "--password",        password()};
    if (options.anonymous) {
        argv.insert(argv.end(), {"--anonymous-root", anon_root()});
        if (options.anonymous_upload)
            argv.emplace_back("--anonymous-upload");
    }
    launch(argv);
    set_port(wait_for_port());
    const Start start = wait_until_serving(BANNER, START_TIMEOUT);
    if (start == Start::SERVING)
        return;
    const std::string output = log();
    stop();
    throw std::runtime_error("pyftpdlib did not start on 127.0.0.1:" + std::to_string(port()) + ":\n" +
                             output);
}

std::uint16_t PyftpdlibServer::wait_for_port()
{
    constexpr std::string_view PREFIX = "PORT ";
    const auto deadline = std::chrono::steady_clock::now() + START_TIMEOUT;
    for (;;) {
        const std::string out = output();
        if (out.starts_with(PREFIX) && out.find('\n') != std::string::npos) {
            const int number = std::atoi(out.c_str() + PREFIX.size());
            if (number > 0 && number <= 65535)
                return static_cast<std::uint16_t>(number);
        }
        const bool gone = exited();
        if (gone || std::chrono::steady_clock::now() >= deadline) {
            const std::string text = log();
            stop();
            throw std::runtime_error(std::string("pyftpdlib did not report its port (") +
                                     (gone ? "it exited" : "time-out") + "):\n" + text);
        }
        std::this_thread::sleep_for(POLL_INTERVAL);
    }
}

} // namespace kestovan::test
