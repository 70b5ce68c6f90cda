// A minimal blocking FTP client for test code: it checks that a server fixture serves, and plays the
// client side of the scripted server's self-tests. Every wait is bounded by the time-out given at
// construction; a time-out, a closed connection or a malformed reply throws std::runtime_error.
// It reaches 127.0.0.1 only and refuses a PASV reply that names any other address.
#pragma once

#include "support/loopback_socket.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestovan::test {

struct FtpReply {
    int code = 0;
    std::string text; // every line of the reply, without CR LF, joined by "\n"
};

struct FtpTransfer {
    FtpReply start;   // the reply to the transfer command (1xx when the transfer began)
    std::string data; // what came over the data connection
    FtpReply end;     // the reply after the transfer (code 0 when it never began)
};

class BlockingFtpClient {
public:
    explicit BlockingFtpClient(std::uint16_t port,
                               std::chrono::milliseconds timeout = std::chrono::seconds(5));

    [[nodiscard]] FtpReply read_reply();   // one complete reply, multi-line replies included
    void send_line(std::string_view line); // line + CR LF
    void send_raw(std::string_view bytes);
    FtpReply command(std::string_view line);
    // USER, then PASS when the server asks for it; the last reply.
    FtpReply login(std::string_view user, std::string_view password);

    // PASV, then the command over a passive data connection; reads until the server closes it.
    [[nodiscard]] FtpTransfer retrieve_passive(std::string_view command);
    // PASV, then the command, writing data and closing the data connection.
    [[nodiscard]] FtpTransfer store_passive(std::string_view command, std::string_view data);
    // PORT to a listener of ours, then the command; reads until the server closes the data connection.
    [[nodiscard]] FtpTransfer retrieve_active(std::string_view command);

    // PASV and a connection to the port it names.
    [[nodiscard]] UniqueFd open_passive();

    [[nodiscard]] int fd() const { return fd_.get(); }
    void close() { fd_.reset(); }

private:
    std::string read_line();

    UniqueFd fd_;
    std::chrono::milliseconds timeout_;
    std::string pending_;
};

} // namespace kestovan::test
