#include "support/scripted_http_server.h"

#include "support/test_environment.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace kestovan::test {

namespace {

std::string reason_of(int code)
{
    switch (code) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 404: return "Not Found";
    case 407: return "Proxy Authentication Required";
    default: return "Status";
    }
}

} // namespace

ScriptedHttpServer::ScriptedHttpServer() : listener_(listen_loopback(0))
{
    port_ = bound_port(listener_.get());
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    wake_read_.reset(fds[0]);
    wake_write_.reset(fds[1]);
}

ScriptedHttpServer::~ScriptedHttpServer()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_write_.get(), &byte, 1);
    if (thread_.joinable())
        thread_.join();
}

std::string ScriptedHttpServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

ScriptedHttpServer& ScriptedHttpServer::add(StepKind kind, std::vector<std::string> pieces, std::size_t count,
                                            std::chrono::milliseconds period)
{
    if (thread_.joinable())
        throw std::logic_error("ScriptedHttpServer: add steps before start()");
    steps_.push_back(Step{kind, std::move(pieces), count, period});
    return *this;
}

ScriptedHttpServer& ScriptedHttpServer::accept()
{
    return add(StepKind::ACCEPT);
}

ScriptedHttpServer& ScriptedHttpServer::expect_request()
{
    return add(StepKind::EXPECT_REQUEST);
}

ScriptedHttpServer& ScriptedHttpServer::expect_bytes(std::size_t count)
{
    return add(StepKind::EXPECT_BYTES, {}, count);
}

ScriptedHttpServer& ScriptedHttpServer::send(std::string bytes)
{
    return add(StepKind::SEND, {std::move(bytes)});
}

ScriptedHttpServer& ScriptedHttpServer::send_split(std::vector<std::string> pieces,
                                                   std::chrono::milliseconds pause)
{
    return add(StepKind::SEND, std::move(pieces), 0, pause);
}

ScriptedHttpServer& ScriptedHttpServer::respond(int code, std::vector<std::string> headers, std::string body,
                                                bool length)
{
    std::string text = "HTTP/1.0 " + std::to_string(code) + " " + reason_of(code) + "\r\n";
    bool has_length = false;
    for (const std::string& header : headers) {
        text += header + "\r\n";
        has_length = has_length || header.starts_with("Content-Length:");
    }
    if (length && !has_length)
        text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return send(text + "\r\n" + body);
}

ScriptedHttpServer& ScriptedHttpServer::flood_headers(std::size_t max_bytes)
{
    return add(StepKind::FLOOD, {}, max_bytes);
}

ScriptedHttpServer& ScriptedHttpServer::close()
{
    return add(StepKind::CLOSE);
}

ScriptedHttpServer& ScriptedHttpServer::expect_closed()
{
    return add(StepKind::EXPECT_CLOSED);
}

ScriptedHttpServer& ScriptedHttpServer::pause(std::chrono::milliseconds period)
{
    return add(StepKind::PAUSE, {}, 0, period);
}

void ScriptedHttpServer::start()
{
    thread_ = std::thread([this] { run(); });
}

bool ScriptedHttpServer::wait_done(int timeout_ms)
{
    wait_until([this] { return done(); }, timeout_ms);
    std::lock_guard lock(mutex_);
    return finished_;
}

bool ScriptedHttpServer::done() const
{
    std::lock_guard lock(mutex_);
    return done_;
}

std::vector<std::string> ScriptedHttpServer::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

std::string ScriptedHttpServer::failure() const
{
    std::lock_guard lock(mutex_);
    return failure_;
}

bool ScriptedHttpServer::stopping() const
{
    std::lock_guard lock(mutex_);
    return stopping_;
}

bool ScriptedHttpServer::fail(const std::string& what)
{
    std::lock_guard lock(mutex_);
    if (failure_.empty())
        failure_ = what;
    return false;
}

void ScriptedHttpServer::run()
{
    bool ok = true;
    for (std::size_t i = 0; ok && i < steps_.size(); ++i) {
        try {
            ok = run_step(steps_[i]);
        } catch (const std::exception& e) {
            ok = fail("step " + std::to_string(i + 1) + ": " + e.what());
        }
        if (!ok)
            fail("step " + std::to_string(i + 1) + " failed");
    }
    connection_.reset();
    std::lock_guard lock(mutex_);
    finished_ = ok;
    done_ = true;
}

bool ScriptedHttpServer::run_step(const Step& step)
{
    switch (step.kind) {
    case StepKind::ACCEPT:
        connection_ = accept_within(listener_.get(), DEFAULT_STEP_TIMEOUT);
        pending_.clear();
        peer_closed_ = false;
        return true;
    case StepKind::EXPECT_REQUEST: return read_request(true, 0);
    case StepKind::EXPECT_BYTES: return read_request(false, step.count);
    case StepKind::SEND: return send_pieces(step);
    case StepKind::FLOOD: return flood(step.count);
    case StepKind::CLOSE: connection_.reset(); return true;
    case StepKind::EXPECT_CLOSED: return wait_closed();
    case StepKind::PAUSE: {
        pollfd p{wake_read_.get(), POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(step.period.count()));
        return !stopping() || fail("stopped during a pause");
    }
    }
    return false;
}

bool ScriptedHttpServer::read_more(Clock::time_point deadline)
{
    pollfd fds[2] = {{connection_.get(), POLLIN, 0}, {wake_read_.get(), POLLIN, 0}};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0 || ::poll(fds, 2, static_cast<int>(left.count())) <= 0 || (fds[1].revents & POLLIN))
        return false;
    char chunk[4096];
    const ssize_t got = ::recv(connection_.get(), chunk, sizeof chunk, 0);
    if (got <= 0) {
        peer_closed_ = true;
        return false;
    }
    pending_.append(chunk, static_cast<std::size_t>(got));
    return true;
}

bool ScriptedHttpServer::read_request(bool to_blank_line, std::size_t count)
{
    if (!connection_.valid())
        return fail("no connection to read from");
    const auto deadline = Clock::now() + DEFAULT_STEP_TIMEOUT;
    for (;;) {
        std::size_t length = 0;
        if (to_blank_line) {
            const std::size_t end = pending_.find("\r\n\r\n");
            length = end == std::string::npos ? 0 : end + 4;
        } else if (pending_.size() >= count) {
            length = count;
        }
        if (length > 0) {
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(pending_.substr(0, length));
            }
            pending_.erase(0, length);
            return true;
        }
        if (!read_more(deadline))
            return fail(std::string(peer_closed_ ? "the client closed" : "time-out") +
                        " while reading; got \"" + pending_ + "\"");
    }
}

bool ScriptedHttpServer::send_pieces(const Step& step)
{
    for (std::size_t i = 0; i < step.pieces.size(); ++i) {
        if (i > 0 && step.period.count() > 0) {
            pollfd p{wake_read_.get(), POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(step.period.count())) > 0)
                return fail("stopped while sending");
        }
        write_all(connection_.get(), step.pieces[i]);
    }
    return true;
}

bool ScriptedHttpServer::flood(std::size_t max_bytes)
{
    const std::string line = "X-Filler: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\r\n";
    std::string text = "HTTP/1.0 200 OK\r\n";
    std::size_t sent = 0;
    while (sent < max_bytes && !stopping()) {
        while (text.size() < 16 * 1024)
            text += line;
        pollfd p{connection_.get(), POLLOUT, 0};
        if (::poll(&p, 1, static_cast<int>(DEFAULT_STEP_TIMEOUT.count())) <= 0)
            return fail("the client stopped reading the headers without closing the connection");
        const ssize_t n = ::send(connection_.get(), text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n <= 0)
            return true; // the client gave up, as it should
        sent += static_cast<std::size_t>(n);
        text.erase(0, static_cast<std::size_t>(n));
    }
    return fail("the client took " + std::to_string(sent) + " bytes of headers without giving up");
}

bool ScriptedHttpServer::wait_closed()
{
    const auto deadline = Clock::now() + DEFAULT_STEP_TIMEOUT;
    while (!peer_closed_) {
        if (!read_more(deadline) && !peer_closed_)
            return fail("the client did not close the connection");
        if (!pending_.empty())
            return fail("the client sent more: \"" + pending_ + "\"");
    }
    return true;
}

} // namespace kestovan::test
