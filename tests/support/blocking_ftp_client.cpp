#include "support/blocking_ftp_client.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>

namespace kestovan::test {

namespace {

bool is_preliminary(const FtpReply& reply)
{
    return reply.code >= 100 && reply.code < 200;
}

int reply_code(const std::string& line)
{
    if (line.size() < 3 || !std::isdigit(static_cast<unsigned char>(line[0])) ||
        !std::isdigit(static_cast<unsigned char>(line[1])) ||
        !std::isdigit(static_cast<unsigned char>(line[2])))
        return 0;
    return std::stoi(line.substr(0, 3));
}

} // namespace

BlockingFtpClient::BlockingFtpClient(std::uint16_t port, std::chrono::milliseconds timeout)
    : fd_(connect_loopback(port, timeout)), timeout_(timeout)
{}

std::string BlockingFtpClient::read_line()
{
    if (!fd_.valid())
        throw std::runtime_error("the control connection is closed");
    for (;;) {
        if (const auto end = pending_.find('\n'); end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        pollfd p{fd_.get(), POLLIN, 0};
        const int n = ::poll(&p, 1, static_cast<int>(timeout_.count()));
        if (n == 0)
            throw std::runtime_error("no reply within " + std::to_string(timeout_.count()) +
                                     " ms; received so far: \"" + pending_ + "\"");
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error(std::string("poll: ") + std::strerror(errno));
        }
        char buffer[4096];
        const ssize_t got = ::recv(fd_.get(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (got == 0)
            throw std::runtime_error("the server closed the control connection; pending: \"" + pending_ +
                                     "\"");
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            throw std::runtime_error(std::string("recv: ") + std::strerror(errno));
        }
        pending_.append(buffer, static_cast<std::size_t>(got));
    }
}

FtpReply BlockingFtpClient::read_reply()
{
    FtpReply reply;
    std::string line = read_line();
    reply.code = reply_code(line);
    if (reply.code == 0)
        throw std::runtime_error("not an FTP reply: \"" + line + "\"");
    reply.text = line;
    if (line.size() > 3 && line[3] == '-') {
        // A multi-line reply ends at the line that starts with the same code and a space.
        const std::string last = line.substr(0, 3) + " ";
        do {
            line = read_line();
            reply.text += "\n" + line;
        } while (line.compare(0, 4, last) != 0);
    }
    return reply;
}

void BlockingFtpClient::send_line(std::string_view line)
{
    send_raw(std::string(line) + "\r\n");
}

void BlockingFtpClient::send_raw(std::string_view bytes)
{
    write_all(fd_.get(), bytes, timeout_);
}

FtpReply BlockingFtpClient::command(std::string_view line)
{
    send_line(line);
    return read_reply();
}

FtpReply BlockingFtpClient::login(std::string_view user, std::string_view password)
{
    const FtpReply reply = command("USER " + std::string(user));
    if (reply.code != 331)
        return reply;
    return command("PASS " + std::string(password));
}

UniqueFd BlockingFtpClient::open_passive()
{
    const FtpReply reply = command("PASV");
    const auto target = find_host_port_tuple(reply.text);
    if (reply.code != 227 || !target)
        throw std::runtime_error("unexpected PASV reply: \"" + reply.text + "\"");
    // Loopback only: a test never follows a reply to another address.
    if (!is_loopback(target->ip))
        throw std::runtime_error("PASV names an address outside loopback: \"" + reply.text + "\"");
    return connect_loopback(target->port, timeout_);
}

FtpTransfer BlockingFtpClient::retrieve_passive(std::string_view command_line)
{
    UniqueFd data = open_passive();
    FtpTransfer transfer;
    transfer.start = command(command_line);
    if (!is_preliminary(transfer.start))
        return transfer;
    transfer.data = read_to_end(data.get(), timeout_);
    data.reset();
    transfer.end = read_reply();
    return transfer;
}

FtpTransfer BlockingFtpClient::store_passive(std::string_view command_line, std::string_view bytes)
{
    UniqueFd data = open_passive();
    FtpTransfer transfer;
    transfer.start = command(command_line);
    if (!is_preliminary(transfer.start))
        return transfer;
    write_all(data.get(), bytes, timeout_);
    data.reset();
    transfer.end = read_reply();
    return transfer;
}

FtpTransfer BlockingFtpClient::retrieve_active(std::string_view command_line)
{
    const UniqueFd listener = listen_loopback(0);
    const FtpReply port_reply = command("PORT " + loopback_tuple(bound_port(listener.get())));
    if (port_reply.code != 200)
        throw std::runtime_error("unexpected PORT reply: \"" + port_reply.text + "\"");
    FtpTransfer transfer;
    transfer.start = command(command_line);
    if (!is_preliminary(transfer.start))
        return transfer;
    const UniqueFd data = accept_within(listener.get(), timeout_);
    transfer.data = read_to_end(data.get(), timeout_);
    transfer.end = read_reply();
    return transfer;
}

} // namespace kestovan::test
