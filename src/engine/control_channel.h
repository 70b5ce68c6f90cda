// The control channel: the queue of commands of a control connection, sending the head, matching
// final reply lines to it by the reply table of its kind, completion and failure, the login and
// the orderly end of a session.
#pragma once

#include "engine/engine.h"

#include <string>
#include <string_view>

namespace kestovan {

FtpCommand* queue_command(Engine& engine, FtpConnection* conn, CommandKind kind, std::string text,
                          CommandCallback callback, std::string local_path = {}, void* user_data1 = nullptr,
                          void* user_data2 = nullptr);
// Like queue_command, but places the command right behind the head (used where a reply asks for
// commands that must run before the rest of the queue).
FtpCommand* queue_command_next(Engine& engine, FtpConnection& conn, CommandKind kind, std::string text,
                               CommandCallback callback, void* user_data1, void* user_data2);
int pop_command(Engine& engine, FtpConnection& conn);
int clear_queue(Engine& engine, FtpConnection& conn);
int send_next_command(Engine& engine, FtpConnection& conn);
void complete_command(Engine& engine, FtpConnection& conn);
void fail_command(Engine& engine, FtpConnection& conn, std::string_view reply);
void process_replies(Engine& engine, FtpConnection& conn);

constexpr int DEFAULT_FTP_PORT = 21;
constexpr int IMPLICIT_TLS_PORT = 990;

// A control connection to server (port 0: 21, or 990 for implicit TLS) with its login queued; with
// explicit TLS, AUTH TLS goes ahead of the login.
FtpConnection* open_session(Engine& engine, const std::string& user, const std::string& password,
                            const std::string& account, const std::string& server, int port, void* owner,
                            LoginCallback login_callback, void* user_data1 = nullptr,
                            void* user_data2 = nullptr, TlsMode tls = TLS_NONE);
void resend_password(Engine& engine, FtpConnection& conn, const std::string& password);
void close_session(Engine& engine, FtpConnection& conn);

// LIST, RETR, STOR and APPE: the commands that move data over a data connection.
[[nodiscard]] bool is_transfer_kind(CommandKind kind);

// Is this line a final reply line for a command of this kind at the head? (A line feed must follow,
// the fourth character is a blank, the first three are digits, and neither a greeting nor a
// misplaced "230 ".)
// "ddd " (or "ddd" alone): the last line of a reply block.
[[nodiscard]] bool ends_reply_block(std::string_view line);
[[nodiscard]] bool is_final_reply_line(std::string_view rest_of_text, CommandKind head_kind);

} // namespace kestovan
