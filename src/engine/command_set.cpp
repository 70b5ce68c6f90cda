#include "engine/command_set.h"

#include "engine/control_channel.h"
#include "engine/data_connection.h"
#include "ui/language.h"

#include <sys/stat.h>

namespace kestovan {

namespace {

bool refuse_line_break(Engine& e, FtpConnection* c, std::string_view argument)
{
    if (!has_line_break(argument))
        return false;
    e.raise(make_error_event(ERR_BAD_ARGUMENT), c, 0, load_string(IDS_ERR_ARGUMENT_LINE_BREAK));
    return true;
}

FtpCommand* queue_simple(Engine& e, FtpConnection* c, CommandKind kind, std::string_view word,
                         std::string_view argument, CommandCallback cb, void* ud1, void* ud2)
{
    if (!c || refuse_line_break(e, c, argument))
        return nullptr;
    return queue_command(e, c, kind, std::string(word) + " " + std::string(argument) + "\r\n", std::move(cb),
                         {}, ud1, ud2);
}

int type_callback(FtpConnection& c, bool ok)
{
    if (!ok || c.queue.empty())
        return 0;
    c.transfer_type = c.queue.front()->text.find('I') != std::string::npos ? 1 : 0;
    return 1;
}

// Shared by PORT and PASV. A failure takes the command behind it along, and fail_command the one
// after that.
int data_command_callback(Engine& e, FtpConnection& c, bool ok)
{
    if (!ok) {
        const std::uint32_t serial = c.serial;
        pop_command(e, c);
        if (e.is_live(&c, serial))
            pop_command(e, c);
        return 0;
    }
    if (!c.queue.empty() && c.queue.front()->kind == CMD_PASV)
        return parse_pasv_reply(e, c);
    return 1;
}

int rename_callback(Engine& e, FtpConnection& c, bool ok)
{
    if (ok)
        return 1;
    if (c.queue.size() > 1 && c.queue[1]->kind == CMD_RNTO)
        pop_command(e, c);
    return 0;
}

bool local_file_size(std::string_view local, std::int64_t& size)
{
    struct stat st {};
    if (::stat(std::string(local).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    size = st.st_size;
    return true;
}

// TYPE when the binary flag differs from the type the server last confirmed, then PORT or PASV.
bool queue_preamble(Engine& e, FtpConnection& c, bool binary)
{
    const std::uint32_t serial = c.serial;
    if ((binary ? 1 : 0) != c.transfer_type)
        send_type(e, &c, binary);
    if (!e.is_live(&c, serial))
        return false;
    send_data_command(e, &c);
    return e.is_live(&c, serial);
}

FtpCommand* queue_download(Engine& e, FtpConnection* c, std::string text, std::string_view local, bool binary,
                           std::int64_t offset, CommandCallback cb, void* ud1, void* ud2)
{
    if (!queue_preamble(e, *c, binary))
        return nullptr;
    if (offset > 0) {
        FtpCommand* rest =
            queue_command(e, c, CMD_REST, "REST " + std::to_string(offset) + "\r\n", cb, {}, ud1, ud2);
        if (!rest)
            return nullptr;
        rest->restart_offset = offset;
    }
    c->restart_offset = offset;
    FtpCommand* command =
        queue_command(e, c, CMD_RETR, std::move(text), std::move(cb), std::string(local), ud1, ud2);
    if (command)
        command->restart_offset = offset;
    return command;
}

FtpCommand* queue_upload(Engine& e, FtpConnection* c, CommandKind kind, std::string_view word,
                         std::string_view local, std::string_view remote, bool binary, std::int64_t offset,
                         CommandCallback cb, void* ud1, void* ud2)
{
    if (!c || refuse_line_break(e, c, remote))
        return nullptr;
    std::int64_t size = 0;
    if (!local_file_size(local, size))
        return nullptr;
    if (!queue_preamble(e, *c, binary))
        return nullptr;
    if (offset > 0) {
        FtpCommand* rest =
            queue_command(e, c, CMD_REST, "REST " + std::to_string(offset) + "\r\n", cb, {}, ud1, ud2);
        if (!rest)
            return nullptr;
        rest->restart_offset = offset;
    }
    c->restart_offset = offset;
    std::string text = std::string(word) + apply_case_rule(" " + std::string(remote) + "\r\n", c->case_flags);
    FtpCommand* command =
        queue_command(e, c, kind, std::move(text), std::move(cb), std::string(local), ud1, ud2);
    if (command) {
        command->size = size;
        command->restart_offset = offset;
    }
    return command;
}

} // namespace

bool has_line_break(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

std::string apply_case_rule(std::string text, std::uint8_t case_flags)
{
    const auto slash = text.rfind('/');
    if (slash == std::string::npos)
        return text;
    auto lower = [](char& ch) {
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    };
    if (case_flags & 1)
        for (std::size_t i = slash; i < text.size(); ++i)
            lower(text[i]);
    if (case_flags & 2)
        for (std::size_t i = 0; i < slash; ++i)
            lower(text[i]);
    return text;
}

std::string cut_link_arrow(std::string text)
{
    if (auto arrow = text.find(" ->"); arrow != std::string::npos)
        text.erase(arrow);
    return text;
}

FtpCommand* send_pwd(Engine& e, FtpConnection* c, CommandCallback cb, void* ud1, void* ud2)
{
    return queue_command(e, c, CMD_PWD, "PWD\r\n", std::move(cb), {}, ud1, ud2);
}

FtpCommand* send_marker(Engine& e, FtpConnection* c, CommandCallback cb, void* ud1, void* ud2)
{
    return queue_command(e, c, CMD_MARK, "", std::move(cb), {}, ud1, ud2);
}

FtpCommand* send_list(Engine& e, FtpConnection* c, std::string_view argument, CommandCallback cb, void* ud1,
                      void* ud2)
{
    if (!c || refuse_line_break(e, c, argument))
        return nullptr;
    const std::uint32_t serial = c->serial;
    if (c->transfer_type == 1)
        send_type(e, c, false);
    if (!e.is_live(c, serial))
        return nullptr;
    send_data_command(e, c);
    if (!e.is_live(c, serial))
        return nullptr;
    std::string text = argument.empty() ? "LIST\r\n" : "LIST " + std::string(argument) + "\r\n";
    return queue_command(e, c, CMD_LIST, std::move(text), std::move(cb), {}, ud1, ud2);
}

FtpCommand* send_nlst(Engine& e, FtpConnection* c, std::optional<std::string_view> argument,
                      CommandCallback cb, void* ud1, void* ud2)
{
    if (!c || (argument && refuse_line_break(e, c, *argument)))
        return nullptr;
    const std::uint32_t serial = c->serial;
    if (c->transfer_type == 1)
        send_type(e, c, false);
    if (!e.is_live(c, serial))
        return nullptr;
    send_data_command(e, c);
    if (!e.is_live(c, serial))
        return nullptr;
    std::string text = argument ? "NLST " + std::string(*argument) + "\r\n" : "NLST\r\n";
    return queue_command(e, c, CMD_LIST, std::move(text), std::move(cb), {}, ud1, ud2);
}

FtpCommand* send_raw(Engine& e, FtpConnection* c, std::string_view text, CommandCallback cb, void* ud1,
                     void* ud2)
{
    if (!c || refuse_line_break(e, c, text))
        return nullptr;
    return queue_command(e, c, CMD_RAW, std::string(text) + "\r\n", std::move(cb), {}, ud1, ud2);
}

FtpCommand* send_cwd(Engine& e, FtpConnection* c, std::string_view path, CommandCallback cb, void* ud1,
                     void* ud2)
{
    if (!c || refuse_line_break(e, c, path))
        return nullptr;
    return queue_command(e, c, CMD_CWD, cut_link_arrow("CWD " + std::string(path)) + "\r\n", std::move(cb),
                         {}, ud1, ud2);
}

FtpCommand* send_retr(Engine& e, FtpConnection* c, std::string_view remote, std::string_view local,
                      bool binary, CommandCallback cb, void* ud1, void* ud2)
{
    if (!c || refuse_line_break(e, c, remote))
        return nullptr;
    return queue_download(e, c, cut_link_arrow("RETR " + std::string(remote)) + "\r\n", local, binary, 0,
                          std::move(cb), ud1, ud2);
}

FtpCommand* send_retr_plain(Engine& e, FtpConnection* c, std::string_view remote, std::string_view local,
                            bool binary, CommandCallback cb)
{
    if (!c || refuse_line_break(e, c, remote))
        return nullptr;
    return queue_download(e, c, "RETR " + std::string(remote) + "\r\n", local, binary, 0, std::move(cb),
                          nullptr, nullptr);
}

FtpCommand* send_retr_resume(Engine& e, FtpConnection* c, std::string_view remote, std::string_view local,
                             bool binary, std::int64_t offset, CommandCallback cb, void* ud1, void* ud2)
{
    if (!c || refuse_line_break(e, c, remote))
        return nullptr;
    return queue_download(e, c, "RETR " + std::string(remote) + "\r\n", local, binary, offset, std::move(cb),
                          ud1, ud2);
}

FtpCommand* send_stor(Engine& e, FtpConnection* c, std::string_view local, std::string_view remote,
                      bool binary, CommandCallback cb, void* ud1, void* ud2)
{
    return queue_upload(e, c, CMD_STOR, "STOR", local, remote, binary, 0, std::move(cb), ud1, ud2);
}

FtpCommand* send_stor_resume(Engine& e, FtpConnection* c, std::string_view local, std::string_view remote,
                             bool binary, std::int64_t offset, CommandCallback cb, void* ud1, void* ud2)
{
    return queue_upload(e, c, CMD_STOR, "STOR", local, remote, binary, offset, std::move(cb), ud1, ud2);
}

FtpCommand* send_appe(Engine& e, FtpConnection* c, std::string_view local, std::string_view remote,
                      bool binary, CommandCallback cb, void* ud1, void* ud2)
{
    return queue_upload(e, c, CMD_APPE, "APPE", local, remote, binary, 0, std::move(cb), ud1, ud2);
}

FtpCommand* send_type(Engine& e, FtpConnection* c, bool binary)
{
    return queue_command(e, c, CMD_TYPE, binary ? "TYPE I\r\n" : "TYPE A\r\n", type_callback);
}

FtpCommand* send_dele(Engine& e, FtpConnection* c, std::string_view path, CommandCallback cb, void* ud1,
                      void* ud2)
{
    return queue_simple(e, c, CMD_DELE, "DELE", path, std::move(cb), ud1, ud2);
}

FtpCommand* send_mkd(Engine& e, FtpConnection* c, std::string_view path, CommandCallback cb, void* ud1,
                     void* ud2)
{
    return queue_simple(e, c, CMD_MKD, "MKD", path, std::move(cb), ud1, ud2);
}

FtpCommand* send_rmd(Engine& e, FtpConnection* c, std::string_view path, CommandCallback cb, void* ud1,
                     void* ud2)
{
    return queue_simple(e, c, CMD_RMD, "RMD", path, std::move(cb), ud1, ud2);
}

FtpCommand* send_rnfr(Engine& e, FtpConnection* c, std::string_view path, CommandCallback cb, void* ud1,
                      void* ud2)
{
    if (!cb)
        cb = [&e](FtpConnection& conn, bool ok) { return rename_callback(e, conn, ok); };
    return queue_simple(e, c, CMD_RNFR, "RNFR", path, std::move(cb), ud1, ud2);
}

FtpCommand* send_rnto(Engine& e, FtpConnection* c, std::string_view path, CommandCallback cb, void* ud1,
                      void* ud2)
{
    return queue_simple(e, c, CMD_RNTO, "RNTO", path, std::move(cb), ud1, ud2);
}

FtpCommand* send_quit(Engine& e, FtpConnection* c, CommandCallback cb)
{
    return queue_command(e, c, CMD_QUIT, "QUIT\r\n", std::move(cb));
}

FtpCommand* send_data_command(Engine& e, FtpConnection* c)
{
    if (!c)
        return nullptr;
    auto callback = [&e](FtpConnection& conn, bool ok) { return data_command_callback(e, conn, ok); };
    if (!c->passive && uses_socks(e, *c)) {
        // SOCKS carries only connections we open (there is no BIND here), and a PORT would have the
        // server connect to us past the proxy: the transfer goes passive instead.
        const std::uint32_t serial = c->serial;
        e.log_text(c, load_string(IDS_LOG_ACTIVE_THROUGH_SOCKS));
        if (!e.is_live(c, serial))
            return nullptr;
    }
    if (c->passive || uses_socks(e, *c))
        return queue_command(e, c, CMD_PASV, "PASV\r\n", callback);
    return queue_command(e, c, CMD_PORT, "PORT $", callback);
}

} // namespace kestovan
