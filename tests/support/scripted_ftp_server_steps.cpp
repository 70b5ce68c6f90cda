// Playing the script on the server's own thread: one function per kind of step, every wait bounded
// by the step time-out and cut short when the destructor wakes the thread.
#include "platform/socket_address.h"
#include "support/scripted_ftp_server.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <vector>

namespace kestovan::test {

namespace {

constexpr std::size_t RECEIVE_CHUNK = 16384;

// Control characters made visible, so a failure text shows exactly what went over the wire.
std::string visible(std::string_view bytes)
{
    static constexpr char HEX[] = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (u < 0x20 || u == 0x7f)
            out += std::string("\\x") + HEX[u >> 4] + HEX[u & 0xf];
        else
            out += c;
    }
    return out;
}

std::string in_quotes(std::string_view text)
{
    return "\"" + visible(text) + "\"";
}

std::string without_cr(std::string line)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::string ms_text(std::chrono::milliseconds period)
{
    return std::to_string(period.count()) + " ms";
}

void replace_all(std::string& text, std::string_view from, const std::string& to)
{
    for (auto pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
}

// "EPRT |1|a.b.c.d|port|" (any delimiter) as address and port; nullopt for anything else.
std::optional<HostPort> parse_eprt(std::string_view args)
{
    if (args.size() < 2)
        return std::nullopt;
    const char delimiter = args[0];
    std::vector<std::string_view> fields;
    for (std::size_t at = 1; at < args.size();) {
        const std::size_t end = args.find(delimiter, at);
        if (end == std::string_view::npos)
            return std::nullopt;
        fields.push_back(args.substr(at, end - at));
        at = end + 1;
    }
    if (fields.size() != 3 || fields[0] != "1")
        return std::nullopt;
    const auto ip = parse_dotted(fields[1]);
    const int port = std::atoi(std::string(fields[2]).c_str());
    if (!ip || port <= 0 || port > 65535)
        return std::nullopt;
    return HostPort{.ip = *ip, .port = static_cast<std::uint16_t>(port)};
}

// The address and port a PORT or EPRT line names; nullopt for anything else.
std::optional<HostPort> parse_port_line(const std::string& line)
{
    const std::string_view args = std::string_view(line).substr(5);
    const auto target =
        strncasecmp(line.c_str(), "EPRT ", 5) == 0 ? parse_eprt(args) : find_host_port_tuple(args);
    if (!target || target->port == 0)
        return std::nullopt;
    return target;
}

bool is_port_command(const std::string& line)
{
    const std::string head = line.substr(0, 5);
    return strncasecmp(head.c_str(), "PORT ", 5) == 0 || strncasecmp(head.c_str(), "EPRT ", 5) == 0;
}

} // namespace

void ScriptedFtpServer::run()
{
    bool ok = run_accept_control();
    for (; ok && step_index_ < steps_.size(); ++step_index_)
        ok = run_step(steps_[step_index_]);
    {
        std::lock_guard lock(mutex_);
        done_ = true;
        finished_ = ok;
    }
    if (!ok) {
        // The client is not left waiting for a reply that will never come.
        controls_.clear();
        data_.reset();
        passive_listener_.reset();
        return;
    }
    drain_control();
}

bool ScriptedFtpServer::run_step(const Step& step)
{
    switch (step.kind) {
    case StepKind::ACCEPT_CONTROL: return run_accept_control();
    case StepKind::USE_CONTROL: return run_use_control(step);
    case StepKind::EXPECT_BYTES: return run_expect_bytes(step);
    case StepKind::EXPECT:
    case StepKind::EXPECT_PATTERN: return run_expect(step);
    case StepKind::EXPECT_SILENCE: return run_expect_silence(step);
    case StepKind::EXPECT_CLOSED: return run_expect_closed();
    case StepKind::SEND:
        if (!current_control() || !current_control()->fd.valid())
            return fail("the control connection is closed");
        return run_send(step, current_control()->fd.get(), true);
    case StepKind::SEND_REPEATED:
        if (!current_control() || !current_control()->fd.valid())
            return fail("the control connection is closed");
        return run_send_repeated(step, current_control()->fd.get());
    case StepKind::PASSIVE: return run_passive();
    case StepKind::ACCEPT_DATA: return run_accept_data();
    case StepKind::CONNECT_ACTIVE: return run_connect_active();
    case StepKind::SEND_DATA:
        if (!data_.valid())
            return fail("no data connection is open");
        return run_send(step, data_.get(), false);
    case StepKind::SEND_DATA_REPEATED:
        if (!data_.valid())
            return fail("no data connection is open");
        return run_send_repeated(step, data_.get());
    case StepKind::RECEIVE_DATA: return run_receive_data();
    case StepKind::RECEIVE_DATA_BYTES: return run_receive_data(step.count);
    case StepKind::CLOSE_DATA: data_.reset(); return true;
    case StepKind::RESET_DATA:
        if (data_.valid()) {
            const linger abortive{1, 0};
            ::setsockopt(data_.get(), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
        }
        data_.reset();
        return true;
    case StepKind::CLOSE_CONTROL:
        if (current_control())
            current_control()->fd.reset();
        return true;
    case StepKind::PAUSE:
        if (wait_for(-1, 0, Clock::now() + step.period) == Wait::STOPPED)
            return fail("stopped");
        return true;
    case StepKind::AWAIT: return run_await(step);
    case StepKind::CALL: step.action(); return true;
    }
    return fail("unknown step");
}

bool ScriptedFtpServer::run_expect(const Step& step)
{
    std::string line;
    switch (read_line(step_deadline(), line)) {
    case LineResult::LINE: break;
    case LineResult::CLOSED: return fail("the client closed the control connection");
    case LineResult::TIMED_OUT: return fail("no command line within " + ms_text(step_timeout_));
    case LineResult::STOPPED: return fail("stopped");
    case LineResult::ERROR: return fail("the control connection failed: " + line);
    }
    if (line.empty() || line.back() != '\r')
        return fail("received " + in_quotes(line) + " not ended by CR LF");
    line.pop_back();
    const bool match = step.kind == StepKind::EXPECT ? line == step.text : step.pattern->matches(line);
    if (!match)
        return fail("received " + in_quotes(line));
    return true;
}

bool ScriptedFtpServer::run_expect_silence(const Step& step)
{
    std::string line;
    switch (read_line(Clock::now() + step.period, line)) {
    case LineResult::LINE: return fail("received " + in_quotes(without_cr(line)));
    case LineResult::CLOSED:
    case LineResult::TIMED_OUT: return true;
    case LineResult::STOPPED: return fail("stopped");
    case LineResult::ERROR: return fail("the control connection failed: " + line);
    }
    return true;
}

bool ScriptedFtpServer::run_expect_closed()
{
    std::string line;
    switch (read_line(step_deadline(), line)) {
    case LineResult::LINE: return fail("received " + in_quotes(without_cr(line)));
    case LineResult::CLOSED:
    case LineResult::ERROR: // a reset closes as well
        if (current_control())
            current_control()->fd.reset();
        return true;
    case LineResult::TIMED_OUT:
        return fail("the client kept the connection open for " + ms_text(step_timeout_));
    case LineResult::STOPPED: return fail("stopped");
    }
    return true;
}

bool ScriptedFtpServer::run_expect_bytes(const Step& step)
{
    Control* control = current_control();
    if (!control || !control->fd.valid())
        return fail("no control connection is open");
    const std::string& wanted = step.pieces.front();
    const auto deadline = step_deadline();
    while (control->pending.size() < wanted.size()) {
        switch (wait_for(control->fd.get(), POLLIN, deadline)) {
        case Wait::READY: break;
        case Wait::TIMED_OUT:
            return fail("received only " + in_quotes(control->pending) + " within " + ms_text(step_timeout_));
        case Wait::STOPPED: return fail("stopped");
        }
        char buffer[RECEIVE_CHUNK];
        const ssize_t n = ::recv(control->fd.get(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (n == 0)
            return fail("the client closed the connection after " + in_quotes(control->pending));
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return fail(std::string("the control connection failed: ") + std::strerror(errno));
        }
        control->pending.append(buffer, static_cast<std::size_t>(n));
    }
    const std::string received = control->pending.substr(0, wanted.size());
    control->pending.erase(0, wanted.size());
    if (received != wanted)
        return fail("received " + in_quotes(received));
    return true;
}

bool ScriptedFtpServer::run_use_control(const Step& step)
{
    const std::size_t index = step.control_index;
    if (index >= controls_.size())
        return fail("only " + std::to_string(controls_.size()) + " control connections were accepted");
    current_ = index;
    return true;
}

ScriptedFtpServer::Control* ScriptedFtpServer::current_control()
{
    return current_ < controls_.size() ? &controls_[current_] : nullptr;
}

bool ScriptedFtpServer::run_send(const Step& step, int fd, bool substitute)
{
    for (std::size_t i = 0; i < step.pieces.size(); ++i) {
        if (i > 0 && wait_for(-1, 0, Clock::now() + step.period) == Wait::STOPPED)
            return fail("stopped");
        std::string bytes = step.pieces[i];
        const bool wants_pasv = bytes.find(PASV_PLACEHOLDER) != std::string::npos ||
                                bytes.find(PASV_PORT_PLACEHOLDER) != std::string::npos ||
                                bytes.find(PASV_PORT_BYTES_PLACEHOLDER) != std::string::npos;
        if (substitute && wants_pasv) {
            if (!passive_listener_.valid())
                return fail("the text names the passive listener, but passive() has not run");
            const std::uint16_t data_port = bound_port(passive_listener_.get());
            replace_all(bytes, PASV_PLACEHOLDER, loopback_tuple(data_port));
            replace_all(bytes, PASV_PORT_PLACEHOLDER, std::to_string(data_port));
            replace_all(bytes, PASV_PORT_BYTES_PLACEHOLDER,
                        std::to_string(data_port >> 8) + "," + std::to_string(data_port & 0xFF));
        }
        if (const std::string error = write_piece(fd, bytes); !error.empty())
            return fail(error);
    }
    return true;
}

bool ScriptedFtpServer::run_send_repeated(const Step& step, int fd)
{
    // Whole units in blocks of about SEND_BLOCK bytes: memory stays small whatever the total.
    constexpr std::size_t SEND_BLOCK = 256 * 1024;
    const std::string& unit = step.pieces.front();
    if (unit.empty())
        return true;
    const std::int64_t per_block = std::max<std::int64_t>(1, SEND_BLOCK / unit.size());
    std::string block;
    for (std::int64_t i = 0; i < std::min(per_block, step.count); ++i)
        block += unit;
    for (std::int64_t left = step.count; left > 0; left -= per_block) {
        const std::size_t units = static_cast<std::size_t>(std::min(left, per_block));
        if (const std::string error = write_piece(fd, std::string_view(block).substr(0, units * unit.size()));
            !error.empty())
            return fail(error + " after " + std::to_string(step.count - left) + " of " +
                        std::to_string(step.count) + " repeats");
    }
    return true;
}

bool ScriptedFtpServer::run_accept_control()
{
    switch (wait_for(listener_.get(), POLLIN, step_deadline())) {
    case Wait::READY: break;
    case Wait::TIMED_OUT: return fail("no control connection within " + ms_text(step_timeout_));
    case Wait::STOPPED: return fail("stopped");
    }
    UniqueFd fd(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!fd.valid())
        return fail(std::string("accept: ") + std::strerror(errno));
    controls_.emplace_back().fd = std::move(fd);
    current_ = controls_.size() - 1;
    return true;
}

bool ScriptedFtpServer::run_passive()
{
    try {
        passive_listener_ = listen_loopback(0);
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    return true;
}

bool ScriptedFtpServer::run_accept_data()
{
    if (!passive_listener_.valid())
        return fail("no passive listener: passive() must come first");
    switch (wait_for(passive_listener_.get(), POLLIN, step_deadline())) {
    case Wait::READY: break;
    case Wait::TIMED_OUT: return fail("the client did not connect within " + ms_text(step_timeout_));
    case Wait::STOPPED: return fail("stopped");
    }
    UniqueFd fd(::accept4(passive_listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!fd.valid())
        return fail(std::string("accept: ") + std::strerror(errno));
    start_data_connection(std::move(fd));
    return true;
}

bool ScriptedFtpServer::run_connect_active()
{
    std::string port_line;
    {
        std::lock_guard lock(mutex_);
        const auto it = std::find_if(lines_.rbegin(), lines_.rend(), is_port_command);
        if (it != lines_.rend())
            port_line = *it;
    }
    if (port_line.empty())
        return fail("no PORT or EPRT command was received");
    const auto target = parse_port_line(port_line);
    if (!target)
        return fail("cannot read the address in " + in_quotes(port_line));
    const auto [ip, target_port] = *target;
    // Tests reach loopback only; a client that names another address is reported, not followed.
    if (!is_loopback(ip))
        return fail(in_quotes(port_line) + " names an address outside loopback; not connecting");

    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(ip);
    addr.sin_port = htons(target_port);
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        if (errno != EINPROGRESS)
            return fail("connect to " + in_quotes(port_line) + ": " + std::strerror(errno));
        switch (wait_for(fd.get(), POLLOUT, step_deadline())) {
        case Wait::READY: break;
        case Wait::TIMED_OUT: return fail("connect to " + in_quotes(port_line) + " timed out");
        case Wait::STOPPED: return fail("stopped");
        }
        int error = 0;
        socklen_t len = sizeof error;
        ::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &len);
        if (error != 0)
            return fail("connect to " + in_quotes(port_line) + ": " + std::strerror(error));
    }
    start_data_connection(std::move(fd));
    return true;
}

bool ScriptedFtpServer::run_receive_data(std::int64_t at_least)
{
    if (!data_.valid())
        return fail("no data connection is open");
    char buffer[RECEIVE_CHUNK];
    for (std::int64_t got = 0; at_least < 0 || got < at_least;) {
        switch (wait_for(data_.get(), POLLIN, step_deadline())) {
        case Wait::READY: break;
        case Wait::TIMED_OUT: return fail("the client neither sent nor closed for " + ms_text(step_timeout_));
        case Wait::STOPPED: return fail("stopped");
        }
        const ssize_t n = ::recv(data_.get(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (n == 0) {
            data_.reset();
            if (at_least >= 0)
                return fail("the client closed after " + std::to_string(got) + " bytes");
            return true;
        }
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return fail(std::string("data connection: ") + std::strerror(errno));
        }
        got += n;
        std::lock_guard lock(mutex_);
        data_received_.back().append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

bool ScriptedFtpServer::run_await(const Step& step)
{
    std::unique_lock lock(mutex_);
    reached_.insert(step.text);
    const bool released = latch_changed_.wait_until(
        lock, step_deadline(), [&] { return stopping_ || released_.contains(step.text); });
    const bool stopping = stopping_;
    lock.unlock();
    if (stopping)
        return fail("stopped");
    if (!released)
        return fail("not released within " + ms_text(step_timeout_));
    return true;
}

void ScriptedFtpServer::drain_control()
{
    // Lines that arrive after the script's end still go into lines(), so a test sees extra commands.
    std::string line;
    while (read_line(Clock::time_point::max(), line) == LineResult::LINE) {
    }
}

ScriptedFtpServer::Wait ScriptedFtpServer::wait_for(int fd, short events, Clock::time_point deadline) const
{
    pollfd fds[2] = {{wake_read_.get(), POLLIN, 0}, {fd, events, 0}};
    for (;;) {
        const auto now = Clock::now();
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
        const int timeout = deadline == Clock::time_point::max()
                                ? -1
                                : static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
        const int n = ::poll(fds, 2, timeout);
        if (n < 0 && errno == EINTR)
            continue;
        if (fds[0].revents != 0)
            return Wait::STOPPED;
        if (n > 0 && fds[1].revents != 0)
            return Wait::READY;
        if (Clock::now() >= deadline)
            return Wait::TIMED_OUT;
    }
}

ScriptedFtpServer::LineResult ScriptedFtpServer::read_line(Clock::time_point deadline, std::string& line)
{
    if (!current_control() || !current_control()->fd.valid()) {
        line = "no control connection is open";
        return LineResult::ERROR;
    }
    Control& control = *current_control();
    for (;;) {
        const auto end = control.pending.find('\n');
        if (end != std::string::npos) {
            line = control.pending.substr(0, end);
            control.pending.erase(0, end + 1);
            std::lock_guard lock(mutex_);
            lines_.push_back(without_cr(line));
            return LineResult::LINE;
        }
        switch (wait_for(control.fd.get(), POLLIN, deadline)) {
        case Wait::READY: break;
        case Wait::TIMED_OUT: return LineResult::TIMED_OUT;
        case Wait::STOPPED: return LineResult::STOPPED;
        }
        char buffer[RECEIVE_CHUNK];
        const ssize_t n = ::recv(control.fd.get(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (n == 0)
            return LineResult::CLOSED;
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            line = std::strerror(errno);
            return LineResult::ERROR;
        }
        control.pending.append(buffer, static_cast<std::size_t>(n));
    }
}

std::string ScriptedFtpServer::write_piece(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        // The time-out counts from the last progress, so large data is not cut short.
        switch (wait_for(fd, POLLOUT, step_deadline())) {
        case Wait::READY: break;
        case Wait::TIMED_OUT: return "the client took nothing for " + ms_text(step_timeout_);
        case Wait::STOPPED: return "stopped";
        }
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return std::string("send: ") + std::strerror(errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

void ScriptedFtpServer::start_data_connection(UniqueFd fd)
{
    data_ = std::move(fd);
    std::lock_guard lock(mutex_);
    data_received_.emplace_back();
}

bool ScriptedFtpServer::fail(const std::string& what)
{
    std::lock_guard lock(mutex_);
    if (failure_.empty()) {
        if (step_index_ < steps_.size() && !controls_.empty())
            failure_ = "step " + std::to_string(step_index_ + 1) + " of " + std::to_string(steps_.size()) +
                       " (" + describe(steps_[step_index_]) + "): " + what;
        else
            failure_ = "accepting the first control connection: " + what;
    }
    return false;
}

std::string ScriptedFtpServer::describe(const Step& step) const
{
    std::string sent;
    for (const std::string& piece : step.pieces)
        sent += piece;
    switch (step.kind) {
    case StepKind::ACCEPT_CONTROL: return "accept a control connection";
    case StepKind::USE_CONTROL: return "use control connection " + std::to_string(step.control_index);
    case StepKind::EXPECT_BYTES: return "expect the bytes " + in_quotes(sent);
    case StepKind::EXPECT: return "expect " + in_quotes(step.text);
    case StepKind::EXPECT_PATTERN: return "expect pattern /" + step.text + "/";
    case StepKind::EXPECT_SILENCE: return "expect no command for " + ms_text(step.period);
    case StepKind::EXPECT_CLOSED: return "expect the client to close the control connection";
    case StepKind::SEND: return "send " + in_quotes(sent);
    case StepKind::SEND_REPEATED:
        return "send " + in_quotes(sent) + " " + std::to_string(step.count) + " times";
    case StepKind::PASSIVE: return "open a passive listener";
    case StepKind::ACCEPT_DATA: return "accept a data connection";
    case StepKind::CONNECT_ACTIVE: return "connect to the PORT address";
    case StepKind::SEND_DATA: return "send " + std::to_string(sent.size()) + " data bytes";
    case StepKind::SEND_DATA_REPEATED:
        return "send " + std::to_string(sent.size()) + " data bytes " + std::to_string(step.count) + " times";
    case StepKind::RECEIVE_DATA: return "receive data until the client closes";
    case StepKind::RECEIVE_DATA_BYTES: return "receive " + std::to_string(step.count) + " data bytes";
    case StepKind::CLOSE_DATA: return "close the data connection";
    case StepKind::RESET_DATA: return "reset the data connection";
    case StepKind::CLOSE_CONTROL: return "close the control connection";
    case StepKind::PAUSE: return "pause " + ms_text(step.period);
    case StepKind::AWAIT: return "await " + in_quotes(step.text);
    case StepKind::CALL: return "run the test's action";
    }
    return "unknown step";
}

} // namespace kestovan::test
