// Data connections: the listener and PORT argument of active mode, the 227 reply and the outgoing
// connection of passive mode, the local file of a transfer, sending a file, draining, and the ways a
// transfer can go wrong.
#pragma once

#include "engine/engine.h"

#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

// The role of the data connection for the PORT or PASV at `index` of the queue.
[[nodiscard]] Role data_role_for(const FtpConnection& control, std::size_t index = 0);

// "h1,h2,h3,h4,p1,p2\r\n" for an address and port in host byte order.
[[nodiscard]] std::string port_argument(std::uint32_t ip, std::uint16_t port);

struct PasvTarget {
    std::string address; // dotted text as the reply gave it
    int port = 0;
};
// The six numbers between the first "(" and the following ")": an address and a port; nullopt
// without "(", with another count of numbers, a number above 255 or port 0.
[[nodiscard]] std::optional<PasvTarget> parse_pasv_target(std::string_view reply);

bool open_listener(Engine& engine, FtpConnection& control, FtpCommand& port_command);
void accept_data_connection(Engine& engine, FtpConnection& listener);
// The success path of PASV's callback: opens the data connection; 0 when the reply names none.
int parse_pasv_reply(Engine& engine, FtpConnection& control);
// True while the passive data connection of control is still on its way to the server (resolving,
// connecting, or in a proxy's handshake).
[[nodiscard]] bool passive_data_connecting(const FtpConnection& control);
int upload_step(Engine& engine, FtpConnection& conn);
// The end of an upload's file: closing the socket tells the server that the upload is complete. -1.
int finish_upload(Engine& engine, FtpConnection& conn);
void drain_data_connection(Engine& engine, FtpConnection& conn);

// Opens the local file of the transfer command at the head (when it is sent); false when the
// command must be dropped.
bool open_transfer_file(Engine& engine, FtpConnection& control, FtpCommand& command);
// Hands an upload's file to its passive data connection and starts sending. Called on the server's
// preliminary reply: data sent before it may reach a server (or an FTP proxy) that has not taken the
// command yet, and a proxy relaying it can stall for good.
void release_upload(Engine& engine, FtpConnection& control);
// The failure text of a binary download that ended before the size the server announced; empty
// when it is complete or nothing was announced.
[[nodiscard]] std::string short_download_text(const FtpConnection& control, const FtpCommand& command);
// The transfer command (LIST, RETR, STOR, APPE) that the head of the queue prepares or is; null
// when the head is something else.
[[nodiscard]] FtpCommand* pending_transfer(FtpConnection& control);
// Marks that transfer as failed with text (the first reason wins): its final reply, or the attempt
// to send it without a data connection, then fails it.
void mark_transfer_failure(FtpConnection& control, std::string_view text);
// A failed download leaves no empty file where there was none: the file this command created is
// removed when nothing was written to it (a partial file is kept for a later resume).
void discard_empty_download(const FtpCommand& command);
// Stops the running transfer of a control connection: marks it failed with reason and closes its
// data connection; the server's reply to the broken transfer then fails the command. Nothing else
// on the connection is touched.
void stop_transfer(Engine& engine, FtpConnection& control, std::string_view reason);
// A data connection that failed marks its transfer command, so the final reply fails it.
void mark_data_failure(Engine& engine, FtpConnection& conn, int winsock_error);
void transfer_write_failed(Engine& engine, FtpConnection& conn);
// Fails the connection (or the transfer of a data connection) with a clear text.
void protocol_violation(Engine& engine, FtpConnection& conn, std::string_view text);
[[nodiscard]] bool write_all(int fd, const char* data, std::size_t count);

} // namespace kestovan
