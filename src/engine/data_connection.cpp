#include "engine/data_connection.h"

#include "engine/control_channel.h"
#include "engine/tls_channel.h"
#include "platform/socket_error.h"
#include "platform/window.h"
#include "ui/language.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestovan {

namespace {

FtpCommand* transfer_command(FtpConnection& control)
{
    for (auto& command : control.queue) {
        if (command->kind == CMD_RETR || command->kind == CMD_STOR || command->kind == CMD_APPE ||
            command->kind == CMD_LIST)
            return command.get();
        if (command->kind != CMD_PORT && command->kind != CMD_PASV && command->kind != CMD_REST &&
            command->kind != CMD_TYPE)
            return nullptr;
    }
    return nullptr;
}

bool is_data_role(Role role)
{
    return role == ROLE_LIST || role == ROLE_DOWNLOAD || role == ROLE_UPLOAD;
}

// A data connection that has completed its connect (or was accepted) takes the file at once.
void hand_file_to_data_connection(FtpConnection& control)
{
    FtpConnection* data = control.data_connection;
    if (data && data->state != ST_LISTENING && data->socket && data->connect_pause_until == 0 &&
        (data->state == ST_CONNECTED || data->state == ST_READY || data->state == ST_SENDING))
        Engine::take_parent_file(*data);
}

} // namespace

Role data_role_for(const FtpConnection& control, std::size_t index)
{
    if (index + 1 >= control.queue.size())
        return ROLE_NONE;
    switch (control.queue[index + 1]->kind) {
    case CMD_LIST: return ROLE_LIST;
    case CMD_RETR: return ROLE_DOWNLOAD;
    case CMD_STOR:
    case CMD_APPE: return ROLE_UPLOAD;
    case CMD_REST:
        if (index + 2 < control.queue.size() && control.queue[index + 2]->kind == CMD_STOR)
            return ROLE_UPLOAD;
        return ROLE_DOWNLOAD;
    default: return ROLE_NONE;
    }
}

std::string port_argument(std::uint32_t ip, std::uint16_t port)
{
    return std::to_string(ip >> 24) + "," + std::to_string((ip >> 16) & 0xFF) + "," +
           std::to_string((ip >> 8) & 0xFF) + "," + std::to_string(ip & 0xFF) + "," +
           std::to_string(port >> 8) + "," + std::to_string(port & 0xFF) + "\r\n";
}

std::optional<PasvTarget> parse_pasv_target(std::string_view reply)
{
    auto open = reply.find('(');
    if (open == std::string_view::npos)
        return std::nullopt;
    auto close = reply.find(')', open + 1);
    std::string_view inner =
        reply.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1);
    // Six numbers, each a byte: a larger number or a port of 0 is a broken or hostile reply, and
    // cutting it to 8 bits would send the data connection somewhere the server never meant.
    int numbers[6] = {};
    std::size_t count = 0;
    std::size_t pos = 0;
    while (count < 6) {
        while (pos < inner.size() && inner[pos] == ' ')
            ++pos;
        std::size_t start = pos;
        int value = 0;
        while (pos < inner.size() && inner[pos] >= '0' && inner[pos] <= '9' && pos - start < 4)
            value = value * 10 + (inner[pos++] - '0');
        if (pos == start || value > 255)
            return std::nullopt;
        numbers[count++] = value;
        while (pos < inner.size() && inner[pos] == ' ')
            ++pos;
        if (count < 6) {
            if (pos >= inner.size() || inner[pos] != ',')
                return std::nullopt;
            ++pos;
        }
    }
    if (pos != inner.size())
        return std::nullopt;
    const int port = numbers[4] * 256 + numbers[5];
    if (port == 0)
        return std::nullopt;
    return PasvTarget{std::to_string(numbers[0]) + "." + std::to_string(numbers[1]) + "." +
                          std::to_string(numbers[2]) + "." + std::to_string(numbers[3]),
                      port};
}

bool open_listener(Engine& engine, FtpConnection& control, FtpCommand& port_command)
{
    const Role role = data_role_for(control);
    FtpConnection* listener = engine.new_connection();
    const std::uint32_t serial = listener->serial;
    listener->socket = socket_open();
    auto failed = [&](EngineError error) {
        engine.raise(make_error_event(error), listener);
        if (engine.is_live(listener, serial))
            engine.fail_connection(listener);
        return false;
    };
    if (!listener->socket) {
        engine.raise(make_error_event(ERR_SOCKET), listener);
        if (engine.is_live(listener, serial))
            engine.destroy_connection(listener, true);
        return false;
    }
    if (async_select(listener->socket, engine.window(), WM_FTP_ACCEPT, FD_ACCEPT) != 0)
        return failed(ERR_SELECT);
    // Listen only on the address the control connection uses, not on every interface.
    auto control_local = socket_local_address(control.socket);
    if (!control_local || control_local->ip == 0) {
        engine.close_socket(*listener);
        engine.destroy_connection(listener, false);
        return false;
    }
    if (socket_bind(listener->socket, {control_local->ip, 0}) != 0)
        return failed(ERR_BIND);
    auto bound = socket_local_address(listener->socket);
    if (!bound)
        return failed(ERR_SOCKNAME);
    if (socket_listen(listener->socket, 1) != 0)
        return failed(ERR_LISTEN);
    listener->state = ST_LISTENING;
    listener->parent = &control;
    listener->role = role;
    listener->busy = 1;
    listener->owner = control.owner;
    listener->restart_offset = control.restart_offset;
    listener->address = SocketAddress{control.address.ip, 0}; // only the server may connect
    if (auto dollar = port_command.text.find('$'); dollar != std::string::npos)
        port_command.text.replace(dollar, std::string::npos, port_argument(control_local->ip, bound->port));
    control.data_connection = listener;
    return true;
}

void accept_data_connection(Engine& engine, FtpConnection& listener)
{
    const std::uint32_t listener_serial = listener.serial;
    SocketAddress peer;
    SocketHandle accepted = socket_accept(listener.socket, &peer);
    if (!accepted) {
        int error = last_socket_error();
        if (error != WSAEWOULDBLOCK)
            engine.raise(EV_SOCKET_ERROR, &listener, error);
        return;
    }
    if (listener.address.ip != 0 && peer.ip != listener.address.ip) {
        // Someone other than the server reached the listener first: refuse and keep waiting.
        socket_close(accepted);
        engine.log_text(&listener, format_string<IDS_LOG_DATA_FROM_STRANGER>(format_dotted(peer.ip)));
        return;
    }
    FtpConnection* conn = engine.new_connection();
    conn->owner = listener.owner;
    conn->socket = accepted;
    conn->address = peer;
    conn->address_text = format_dotted(peer.ip);
    const bool upload = listener.role == ROLE_UPLOAD;
    int rc = upload ? async_select(accepted, engine.window(), WM_FTP_WRITE, FD_WRITE | FD_CLOSE)
                    : async_select(accepted, engine.window(), WM_FTP_READ, FD_READ | FD_CLOSE);
    if (rc != 0) {
        engine.status(&listener, format_string<IDS_STATUS_LISTENER_WINSOCK_ERROR>(last_socket_error()));
        engine.destroy_connection(conn, false);
        return;
    }
    conn->state = upload ? ST_SENDING : ST_READY;
    conn->role = listener.role;
    if (FtpConnection* parent = listener.parent) {
        parent->data_connection = conn;
        conn->parent = parent;
        Engine::take_parent_file(*conn);
        conn->restart_offset = parent->restart_offset;
    }
    if (engine.is_live(&listener, listener_serial)) {
        listener.parent = nullptr; // the new record serves the control connection now
        engine.destroy_connection(&listener, false);
    }
    const std::uint32_t serial = conn->serial;
    start_tls_if_wanted(engine, *conn);
    if (engine.is_live(conn, serial))
        engine.run_state(*conn);
}

int parse_pasv_reply(Engine& engine, FtpConnection& control)
{
    if (control.queue.empty())
        return 0;
    auto target = parse_pasv_target(control.queue.front()->reply);
    if (!target) {
        // The transfer behind the PASV is not sent: without a data connection it could only wait
        // for the server's own time-out.
        mark_transfer_failure(control, format_string<IDS_ERR_PASV_NO_ADDRESS>(control.queue.front()->reply));
        return 0;
    }
    // The data connection goes to the server the control connection reached, whatever address the
    // reply names: a hostile or misconfigured server cannot send the client to another host.
    std::string address = control.address_text.empty() ? target->address : control.address_text;
    if (address != target->address)
        engine.log_text(&control, format_string<IDS_LOG_PASV_OTHER_ADDRESS>(target->address, address));
    const Role role = data_role_for(control);
    FtpConnection* data = engine.new_connection();
    data->state = ST_NEW;
    data->host = address + ":" + std::to_string(target->port);
    data->passive = control.passive;
    data->owner = control.owner;
    data->role = role;
    data->parent = &control;
    control.data_connection = data;
    const std::uint32_t serial = data->serial;
    engine.run_state(control);
    if (engine.is_live(data, serial))
        engine.run_state(*data);
    return 1;
}

bool passive_data_connecting(const FtpConnection& control)
{
    const FtpConnection* data = control.data_connection;
    if (!data)
        return false;
    switch (data->state) {
    case ST_NEW:
    case ST_RESOLVING:
    case ST_RESOLVED:
    case ST_PROXY: return true;
    default: return false; // connected, or an active-mode listener
    }
}

int finish_upload(Engine& engine, FtpConnection& conn)
{
    // A local file that became shorter while it was sent leaves a cut copy on the server: the
    // transfer fails whatever the server replies.
    if (FtpConnection* control = conn.parent; control && control->transfer_type == 1) {
        FtpCommand* command = transfer_command(*control);
        const std::int64_t sent = conn.byte_total + conn.restart_offset;
        if (command && command->size > sent && command->failure.empty())
            command->failure = format_string<IDS_ERR_LOCAL_FILE_SHRANK>(sent, command->size);
    }
    ::close(conn.file);
    conn.file = -1;
    if (conn.parent)
        conn.parent->data_connection = nullptr;
    engine.destroy_connection(&conn, true);
    return -1;
}

namespace {

// Counts what a send took. 1: all of it, go on; 0: the socket is full, wait for the next write
// notification; -1: the record was failed or destroyed.
int after_send(Engine& engine, FtpConnection& conn, long sent, std::size_t wanted)
{
    const std::uint32_t serial = conn.serial;
    if (sent < 0) {
        const int error = last_socket_error();
        if (error != WSAEWOULDBLOCK) {
            engine.raise(EV_SOCKET_ERROR, &conn, error);
            if (engine.is_live(&conn, serial)) {
                mark_data_failure(engine, conn, error);
                engine.fail_connection(&conn);
            }
            return -1;
        }
        sent = 0;
    }
    conn.byte_total += sent;
    engine.add_to_accumulator(sent);
    if (sent > 0) {
        engine.update_rate(conn);
        engine.update_global_rate();
    }
    if (static_cast<std::size_t>(sent) < wanted)
        return 0;
    engine.raise(EV_SENT, &conn);
    return engine.is_live(&conn, serial) ? 1 : -1;
}

} // namespace

int upload_step(Engine& engine, FtpConnection& conn)
{
    if (conn.tls)
        return tls_upload_step(engine, conn);
    if (conn.file < 0)
        return 1;
    for (int round = 0; round < UPLOAD_ROUNDS; ++round) {
        conn.idle_count = 0;
        if (conn.parent)
            conn.parent->idle_count = 0;
        const bool buffered = conn.send_offset < conn.send_buffer.size();
        // Bytes read but not yet taken by the socket wait in the send buffer, so a partial send
        // never reads the same part of the file twice.
        if (!buffered) {
            conn.send_buffer.resize(UPLOAD_CHUNK_SIZE);
            const ssize_t got = ::read(conn.file, conn.send_buffer.data(), conn.send_buffer.size());
            if (got < 0) {
                conn.send_buffer.clear();
                protocol_violation(engine, conn,
                                   format_string<IDS_ERR_READ_LOCAL_FILE>(std::strerror(errno)));
                return -1;
            }
            conn.send_buffer.resize(static_cast<std::size_t>(got));
            conn.send_offset = 0;
            if (got == 0)
                return finish_upload(engine, conn);
        }
        const std::size_t pending = conn.send_buffer.size() - conn.send_offset;
        const long sent = socket_send(conn.socket, conn.send_buffer.data() + conn.send_offset, pending);
        if (sent > 0)
            conn.send_offset += static_cast<std::size_t>(sent);
        const int result = after_send(engine, conn, sent, pending);
        if (result <= 0)
            return result;
    }
    return 1;
}

void drain_data_connection(Engine& engine, FtpConnection& conn)
{
    // Reads what is already waiting; never waits for more (the hold of the final reply makes sure
    // the completion comes after the server closed the data connection).
    const std::uint32_t serial = conn.serial;
    for (int round = 0; round < 1024 && conn.socket && socket_pending(conn.socket) > 0; ++round) {
        conn.state = ST_READY;
        if (engine.receive_step(conn) < 0 || !engine.is_live(&conn, serial))
            return;
    }
}

namespace {

// Marks the transfer as failed before it was sent, with the system's reason; false for the caller.
bool local_open_failed(FtpCommand& command, int error)
{
    command.local_file_failed = true;
    command.failure = format_string<IDS_ERR_OPEN_LOCAL_FILE>(command.local_path, std::strerror(error));
    return false;
}

} // namespace

bool open_transfer_file(Engine& engine, FtpConnection& control, FtpCommand& command)
{
    const std::int64_t offset = command.restart_offset;
    control.restart_offset = offset;
    if (command.kind == CMD_RETR) {
        struct stat before {};
        command.created_file = offset == 0 && ::stat(command.local_path.c_str(), &before) != 0;
        int fd = offset > 0
                     ? ::open(command.local_path.c_str(), O_WRONLY | O_CLOEXEC)
                     : ::open(command.local_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        int error = fd < 0 ? errno : 0;
        if (fd >= 0 && offset > 0 &&
            (::ftruncate(fd, offset) != 0 || ::lseek(fd, offset, SEEK_SET) != offset)) {
            error = errno;
            ::close(fd);
            fd = -1;
        }
        if (fd < 0) {
            local_open_failed(command, error);
            engine.raise(make_error_event(ERR_LOCAL_FILE), &control, 0, command.local_path);
            return false;
        }
        control.file = fd;
        hand_file_to_data_connection(control);
        // Bytes that came before the file was open (with a proxy's reply) are its first part.
        if (FtpConnection* data = control.data_connection;
            data && data->file >= 0 && data->role == ROLE_DOWNLOAD && !data->buffer.empty()) {
            std::string early = std::move(data->buffer);
            data->buffer.clear();
            engine.deliver_received(*data, early.data(), early.size());
        }
        return true;
    }
    if (!control.data_connection)
        return true;
    int fd = ::open(command.local_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return local_open_failed(command, errno);
    struct stat st {};
    if (::fstat(fd, &st) == 0)
        command.size = st.st_size;
    if (offset > 0 && ::lseek(fd, offset, SEEK_SET) != offset) {
        const int error = errno;
        ::close(fd);
        return local_open_failed(command, error);
    }
    // The file waits on the control connection: an active-mode connection takes it when the server
    // connects, a passive one when the server's preliminary reply asks for the data.
    control.file = fd;
    return true;
}

void release_upload(Engine& engine, FtpConnection& control)
{
    FtpConnection* data = control.data_connection;
    if (!data || data->state == ST_LISTENING || control.file < 0 || data->file >= 0)
        return;
    data->file = control.file;
    control.file = -1;
    if (data->state == ST_SENDING && data->socket && data->tls)
        tls_listen(engine, *data); // listens for room in the socket from now on
    else if (data->state == ST_SENDING && data->socket)
        async_select(data->socket, engine.window(), WM_FTP_WRITE, FD_WRITE); // start sending promptly
}

std::string short_download_text(const FtpConnection& control, const FtpCommand& command)
{
    const FtpConnection* data = control.data_connection;
    if (command.size <= 0 || control.transfer_type != 1 || !data || data->role != ROLE_DOWNLOAD)
        return {};
    // A resume from beyond the server's end would report a file that is not the server's as whole.
    if (command.restart_offset > command.size)
        return format_string<IDS_ERR_RESUME_BEYOND_END>(command.restart_offset, command.size);
    const std::int64_t have = data->byte_total + command.restart_offset;
    if (have >= command.size)
        return {};
    return format_string<IDS_ERR_TRANSFER_INCOMPLETE>(have, command.size);
}

FtpCommand* pending_transfer(FtpConnection& control)
{
    return transfer_command(control);
}

void mark_transfer_failure(FtpConnection& control, std::string_view text)
{
    if (FtpCommand* command = transfer_command(control); command && command->failure.empty())
        command->failure = std::string(text);
}

void discard_empty_download(const FtpCommand& command)
{
    struct stat st {};
    if (command.kind == CMD_RETR && command.created_file && ::stat(command.local_path.c_str(), &st) == 0 &&
        S_ISREG(st.st_mode) && st.st_size == 0)
        ::unlink(command.local_path.c_str());
}

void stop_transfer(Engine& engine, FtpConnection& control, std::string_view reason)
{
    mark_transfer_failure(control, reason);
    if (control.data_connection)
        engine.destroy_connection(control.data_connection, true);
}

void mark_data_failure(Engine&, FtpConnection& conn, int winsock_error)
{
    if (!is_data_role(conn.role) || !conn.parent)
        return;
    mark_transfer_failure(*conn.parent, format_string<IDS_ERR_DATA_CONNECTION_FAILED>(winsock_error));
}

void transfer_write_failed(Engine& engine, FtpConnection& conn)
{
    const std::string reason = std::strerror(errno);
    if (conn.parent)
        mark_transfer_failure(*conn.parent, format_string<IDS_ERR_WRITE_LOCAL_FILE>(reason));
    engine.destroy_connection(&conn, true);
}

void protocol_violation(Engine& engine, FtpConnection& conn, std::string_view text)
{
    const std::uint32_t serial = conn.serial;
    engine.raise(make_error_event(ERR_PROTOCOL), &conn, 0, text);
    if (!engine.is_live(&conn, serial))
        return;
    if (is_data_role(conn.role)) {
        if (conn.parent)
            mark_transfer_failure(*conn.parent, text);
        engine.destroy_connection(&conn, true);
        return;
    }
    engine.fail_connection(&conn);
}

bool write_all(int fd, const char* data, std::size_t count)
{
    while (count > 0) {
        ssize_t n = ::write(fd, data, count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace kestovan
