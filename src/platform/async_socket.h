// Non-blocking IPv4 stream sockets with select-style notifications delivered as window messages,
// after the model of WSAAsyncSelect:
//  - connect completion (FD_CONNECT, with the error), read (FD_READ), write (FD_WRITE), peer close
//    (FD_CLOSE) and incoming connections (FD_ACCEPT) arrive as message `msg` with the socket in
//    wparam and make_select_reply(event, error) in lparam;
//  - after a notification of a kind, the next one of that kind comes only after the matching
//    re-enabling call (socket_recv for FD_READ, socket_send for FD_WRITE, socket_accept for
//    FD_ACCEPT) - so reading is level-triggered: a new FD_READ follows every recv while unread data
//    remains, and FD_WRITE follows every send while the socket can take more;
//  - FD_CLOSE comes once, after all data that arrived before the close has been read;
//  - async_select replaces the selected events and re-arms them; a mask of 0 cancels.
// Socket handles are never reused, so a late notification can never be mistaken for another socket.
#pragma once

#include "platform/socket_address.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kestovan {

class Window;

using SocketHandle = std::uint64_t; // 0: no socket
constexpr long SOCKET_ERROR = -1;

// The Windows Sockets number of the last failed socket call on this thread.
[[nodiscard]] int last_socket_error();

[[nodiscard]] SocketHandle socket_open(); // 0 on failure
int socket_close(SocketHandle s);         // cancels notifications first
int async_select(SocketHandle s, Window* window, std::uint32_t msg, std::uint32_t events);

// 0 on success; SOCKET_ERROR with WSAEWOULDBLOCK while the connect is in progress (FD_CONNECT
// follows). Every target passes the ConnectGuard.
int socket_connect(SocketHandle s, const SocketAddress& to);
int socket_bind(SocketHandle s, const SocketAddress& local);
int socket_listen(SocketHandle s, int backlog);
[[nodiscard]] SocketHandle socket_accept(SocketHandle listener, SocketAddress* peer);
long socket_recv(SocketHandle s, char* buffer, std::size_t size); // bytes, 0 at end, SOCKET_ERROR
long socket_send(SocketHandle s, const char* data, std::size_t size);

[[nodiscard]] std::optional<SocketAddress> socket_local_address(SocketHandle s);
[[nodiscard]] std::optional<SocketAddress> socket_peer_address(SocketHandle s);
// Ends our sending side (a FIN) while the peer may still send: 0, or SOCKET_ERROR.
int socket_shutdown_send(SocketHandle s);
// Bytes that can be read now without blocking (FIONREAD).
[[nodiscard]] long socket_pending(SocketHandle s);
// For tests and diagnostics: the number of open sockets of this layer.
[[nodiscard]] std::size_t open_socket_count();

} // namespace kestovan
