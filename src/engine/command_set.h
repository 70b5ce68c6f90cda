// The senders: one per FTP command the program uses. Each builds the exact command line and queues
// it (with the TYPE and PORT or PASV a transfer needs in front). They only queue; the engine sends
// when the queue reaches the command. A sender returns the queued command, or null when the
// connection or a required text is missing, an argument holds CR or LF (nothing is queued then),
// or an upload's local file does not exist.
#pragma once

#include "engine/engine.h"

#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

FtpCommand* send_pwd(Engine& e, FtpConnection* c, CommandCallback cb = {}, void* ud1 = nullptr,
                     void* ud2 = nullptr);
FtpCommand* send_marker(Engine& e, FtpConnection* c, CommandCallback cb, void* ud1 = nullptr,
                        void* ud2 = nullptr);
FtpCommand* send_list(Engine& e, FtpConnection* c, std::string_view argument, CommandCallback cb,
                      void* ud1 = nullptr, void* ud2 = nullptr);
// An empty argument still gives "NLST " (with the blank); nullopt gives none.
FtpCommand* send_nlst(Engine& e, FtpConnection* c, std::optional<std::string_view> argument,
                      CommandCallback cb, void* ud1 = nullptr, void* ud2 = nullptr);
FtpCommand* send_raw(Engine& e, FtpConnection* c, std::string_view text, CommandCallback cb = {},
                     void* ud1 = nullptr, void* ud2 = nullptr);
FtpCommand* send_cwd(Engine& e, FtpConnection* c, std::string_view path, CommandCallback cb = {},
                     void* ud1 = nullptr, void* ud2 = nullptr);
FtpCommand* send_retr(Engine& e, FtpConnection* c, std::string_view remote, std::string_view local,
                      bool binary, CommandCallback cb, void* ud1 = nullptr, void* ud2 = nullptr);
FtpCommand* send_retr_plain(Engine& e, FtpConnection* c, std::string_view remote, std::string_view local,
                            bool binary, CommandCallback cb);
FtpCommand* send_retr_resume(Engine& e, FtpConnection* c, std::string_view remote, std::string_view local,
                             bool binary, std::int64_t offset, CommandCallback cb, void* ud1 = nullptr,
                             void* ud2 = nullptr);
FtpCommand* send_stor(Engine& e, FtpConnection* c, std::string_view local, std::string_view remote,
                      bool binary, CommandCallback cb, void* ud1 = nullptr, void* ud2 = nullptr);
FtpCommand* send_stor_resume(Engine& e, FtpConnection* c, std::string_view local, std::string_view remote,
                             bool binary, std::int64_t offset, CommandCallback cb, void* ud1 = nullptr,
                             void* ud2 = nullptr);
FtpCommand* send_appe(Engine& e, FtpConnection* c, std::string_view local, std::string_view remote,
                      bool binary, CommandCallback cb, void* ud1 = nullptr, void* ud2 = nullptr);
FtpCommand* send_type(Engine& e, FtpConnection* c, bool binary);
FtpCommand* send_dele(Engine& e, FtpConnection* c, std::string_view path, CommandCallback cb = {},
                      void* ud1 = nullptr, void* ud2 = nullptr);
FtpCommand* send_mkd(Engine& e, FtpConnection* c, std::string_view path, CommandCallback cb = {},
                     void* ud1 = nullptr, void* ud2 = nullptr);
FtpCommand* send_rmd(Engine& e, FtpConnection* c, std::string_view path, CommandCallback cb = {},
                     void* ud1 = nullptr, void* ud2 = nullptr);
FtpCommand* send_rnfr(Engine& e, FtpConnection* c, std::string_view path, CommandCallback cb = {},
                      void* ud1 = nullptr, void* ud2 = nullptr);
FtpCommand* send_rnto(Engine& e, FtpConnection* c, std::string_view path, CommandCallback cb = {},
                      void* ud1 = nullptr, void* ud2 = nullptr);
FtpCommand* send_quit(Engine& e, FtpConnection* c, CommandCallback cb = {});
FtpCommand* send_data_command(Engine& e, FtpConnection* c);

// The case rule for upload targets, on the text after the command word.
[[nodiscard]] std::string apply_case_rule(std::string text, std::uint8_t case_flags);
// A formatted line cut at the first " ->" (a symbolic link as a listing shows it).
[[nodiscard]] std::string cut_link_arrow(std::string text);
[[nodiscard]] bool has_line_break(std::string_view text);

} // namespace kestovan
