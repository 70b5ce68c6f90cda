// Building the script and the test's side of the server: start, wait, release, read the results.
#include "support/scripted_ftp_server.h"

#include "support/test_environment.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace kestovan::test {

ScriptedFtpServer::ScriptedFtpServer() : listener_(listen_loopback(0))
{
    port_ = bound_port(listener_.get());
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    wake_read_.reset(fds[0]);
    wake_write_.reset(fds[1]);
}

ScriptedFtpServer::~ScriptedFtpServer()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    latch_changed_.notify_all();
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_write_.get(), &byte, 1);
    if (thread_.joinable())
        thread_.join();
}

void ScriptedFtpServer::set_step_timeout(std::chrono::milliseconds timeout)
{
    if (thread_.joinable())
        throw std::logic_error("ScriptedFtpServer: set the step time-out before start()");
    step_timeout_ = timeout;
}

ScriptedFtpServer& ScriptedFtpServer::add(StepKind kind, std::string text, std::vector<std::string> pieces,
                                          std::chrono::milliseconds period)
{
    if (thread_.joinable())
        throw std::logic_error("ScriptedFtpServer: add steps before start()");
    Step step;
    step.kind = kind;
    step.text = std::move(text);
    if (kind == StepKind::EXPECT_PATTERN)
        step.pattern.emplace(step.text); // a bad pattern throws here, in the test that wrote it
    step.pieces = std::move(pieces);
    step.period = period;
    steps_.push_back(std::move(step));
    return *this;
}

ScriptedFtpServer& ScriptedFtpServer::accept_control()
{
    return add(StepKind::ACCEPT_CONTROL);
}

ScriptedFtpServer& ScriptedFtpServer::use_control(std::size_t index)
{
    add(StepKind::USE_CONTROL);
    steps_.back().control_index = index;
    return *this;
}

ScriptedFtpServer& ScriptedFtpServer::expect_bytes(std::string bytes)
{
    return add(StepKind::EXPECT_BYTES, {}, {std::move(bytes)});
}

ScriptedFtpServer& ScriptedFtpServer::expect(std::string line)
{
    return add(StepKind::EXPECT, std::move(line));
}

ScriptedFtpServer& ScriptedFtpServer::expect_pattern(const std::string& pattern)
{
    return add(StepKind::EXPECT_PATTERN, pattern);
}

ScriptedFtpServer& ScriptedFtpServer::expect_silence(std::chrono::milliseconds period)
{
    return add(StepKind::EXPECT_SILENCE, {}, {}, period);
}

ScriptedFtpServer& ScriptedFtpServer::expect_closed()
{
    return add(StepKind::EXPECT_CLOSED);
}

ScriptedFtpServer& ScriptedFtpServer::send(std::string bytes)
{
    return add(StepKind::SEND, {}, {std::move(bytes)});
}

ScriptedFtpServer& ScriptedFtpServer::send_split(std::vector<std::string> pieces,
                                                 std::chrono::milliseconds pause)
{
    return add(StepKind::SEND, {}, std::move(pieces), pause);
}

ScriptedFtpServer& ScriptedFtpServer::send_repeated(std::string unit, std::int64_t count)
{
    add(StepKind::SEND_REPEATED, {}, {std::move(unit)});
    steps_.back().count = count;
    return *this;
}

ScriptedFtpServer& ScriptedFtpServer::reply(std::string_view line)
{
    return send(std::string(line) + "\r\n");
}

ScriptedFtpServer& ScriptedFtpServer::reply_lines(std::initializer_list<std::string_view> lines)
{
    std::string bytes;
    for (const std::string_view line : lines)
        bytes.append(line).append("\r\n");
    return send(std::move(bytes));
}

ScriptedFtpServer& ScriptedFtpServer::passive()
{
    return add(StepKind::PASSIVE);
}
ScriptedFtpServer& ScriptedFtpServer::accept_data()
{
    return add(StepKind::ACCEPT_DATA);
}
ScriptedFtpServer& ScriptedFtpServer::connect_active()
{
    return add(StepKind::CONNECT_ACTIVE);
}

ScriptedFtpServer& ScriptedFtpServer::send_data(std::string bytes)
{
    return add(StepKind::SEND_DATA, {}, {std::move(bytes)});
}

ScriptedFtpServer& ScriptedFtpServer::send_data_split(std::vector<std::string> pieces,
                                                      std::chrono::milliseconds pause)
{
    return add(StepKind::SEND_DATA, {}, std::move(pieces), pause);
}

ScriptedFtpServer& ScriptedFtpServer::send_data_repeated(std::string unit, std::int64_t count)
{
    add(StepKind::SEND_DATA_REPEATED, {}, {std::move(unit)});
    steps_.back().count = count;
    return *this;
}

ScriptedFtpServer& ScriptedFtpServer::receive_data()
{
    return add(StepKind::RECEIVE_DATA);
}

ScriptedFtpServer& ScriptedFtpServer::receive_data_bytes(std::int64_t count)
{
    add(StepKind::RECEIVE_DATA_BYTES);
    steps_.back().count = count;
    return *this;
}
ScriptedFtpServer& ScriptedFtpServer::close_data()
{
    return add(StepKind::CLOSE_DATA);
}
ScriptedFtpServer& ScriptedFtpServer::reset_data()
{
    return add(StepKind::RESET_DATA);
}
ScriptedFtpServer& ScriptedFtpServer::close_control()
{
    return add(StepKind::CLOSE_CONTROL);
}

ScriptedFtpServer& ScriptedFtpServer::pause(std::chrono::milliseconds period)
{
    return add(StepKind::PAUSE, {}, {}, period);
}

ScriptedFtpServer& ScriptedFtpServer::await(std::string latch)
{
    return add(StepKind::AWAIT, std::move(latch));
}

ScriptedFtpServer& ScriptedFtpServer::call(std::function<void()> action)
{
    add(StepKind::CALL);
    steps_.back().action = std::move(action);
    return *this;
}

void ScriptedFtpServer::start()
{
    if (thread_.joinable())
        throw std::logic_error("ScriptedFtpServer: start() called twice");
    thread_ = std::thread([this] { run(); });
}

bool ScriptedFtpServer::wait_done(int timeout_ms)
{
    wait_until([this] { return done(); }, timeout_ms);
    return finished();
}

bool ScriptedFtpServer::wait_reached(const std::string& latch, int timeout_ms)
{
    wait_until(
        [&] {
            std::lock_guard lock(mutex_);
            return reached_.contains(latch) || done_;
        },
        timeout_ms);
    std::lock_guard lock(mutex_);
    return reached_.contains(latch);
}

void ScriptedFtpServer::release(const std::string& latch)
{
    {
        std::lock_guard lock(mutex_);
        released_.insert(latch);
    }
    latch_changed_.notify_all();
}

std::vector<std::string> ScriptedFtpServer::lines() const
{
    std::lock_guard lock(mutex_);
    return lines_;
}

std::vector<std::string> ScriptedFtpServer::data_received() const
{
    std::lock_guard lock(mutex_);
    return data_received_;
}

bool ScriptedFtpServer::done() const
{
    std::lock_guard lock(mutex_);
    return done_;
}

bool ScriptedFtpServer::finished() const
{
    std::lock_guard lock(mutex_);
    return finished_;
}

std::string ScriptedFtpServer::failure() const
{
    std::lock_guard lock(mutex_);
    return failure_;
}

} // namespace kestovan::test
