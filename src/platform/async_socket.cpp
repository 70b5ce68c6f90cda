#include "platform/async_socket.h"

#include "platform/connect_guard.h"
#include "platform/message.h"
#include "platform/socket_error.h"
#include "platform/window.h"

#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <unordered_map>

namespace kestovan {

namespace {

thread_local int t_last_error = 0;

int fail(int winsock_error)
{
    t_last_error = winsock_error;
    return static_cast<int>(SOCKET_ERROR);
}
int fail_errno()
{
    return fail(winsock_error_from_errno(errno));
}

struct SocketEntry {
    int fd = -1;
    std::uint64_t window_serial = 0;
    std::uint32_t msg = 0;
    std::uint32_t events = 0;
    bool connecting = false;
    bool listening = false;
    bool close_reported = false;
    bool read_armed = true;
    bool write_armed = true;
    bool accept_armed = true;
    std::unique_ptr<QSocketNotifier> read_notifier;
    std::unique_ptr<QSocketNotifier> write_notifier;
};

SocketHandle g_next_handle = 1;

std::unordered_map<SocketHandle, SocketEntry>& sockets()
{
    static std::unordered_map<SocketHandle, SocketEntry> table;
    return table;
}

SocketEntry* find(SocketHandle s)
{
    auto it = sockets().find(s);
    return it == sockets().end() ? nullptr : &it->second;
}

sockaddr_in to_sockaddr(const SocketAddress& a)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(a.port);
    sa.sin_addr.s_addr = htonl(a.ip);
    return sa;
}

SocketAddress from_sockaddr(const sockaddr_in& sa)
{
    return {ntohl(sa.sin_addr.s_addr), ntohs(sa.sin_port)};
}

void notify(SocketHandle s, SocketEntry& e, std::uint32_t event, int error)
{
    if (Window* w = Window::find(e.window_serial))
        w->post_message(e.msg, s, make_select_reply(event, error));
}

void update_notifiers(SocketHandle s, SocketEntry& e);

void on_readable(SocketHandle s)
{
    SocketEntry* e = find(s);
    if (!e)
        return;
    e->read_notifier->setEnabled(false);
    if (e->listening) {
        e->accept_armed = false;
        notify(s, *e, FD_ACCEPT, 0);
        return;
    }
    char probe;
    ssize_t n = ::recv(e->fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) {
        e->read_armed = false;
        if (e->events & FD_READ)
            notify(s, *e, FD_READ, 0);
    } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        int error = n == 0 ? 0 : winsock_error_from_errno(errno);
        e->close_reported = true;
        if (e->events & FD_CLOSE)
            notify(s, *e, FD_CLOSE, error);
    }
    update_notifiers(s, *e);
}

void on_writable(SocketHandle s)
{
    SocketEntry* e = find(s);
    if (!e)
        return;
    e->write_notifier->setEnabled(false);
    if (e->connecting) {
        int so_error = 0;
        socklen_t len = sizeof so_error;
        ::getsockopt(e->fd, SOL_SOCKET, SO_ERROR, &so_error, &len);
        e->connecting = false;
        if (e->events & FD_CONNECT)
            notify(s, *e, FD_CONNECT, winsock_error_from_errno(so_error));
        if (so_error != 0)
            e->write_armed = false;
    } else {
        e->write_armed = false;
        if (e->events & FD_WRITE)
            notify(s, *e, FD_WRITE, 0);
    }
    update_notifiers(s, *e);
}

void update_notifiers(SocketHandle s, SocketEntry& e)
{
    if (!e.read_notifier) {
        e.read_notifier = std::make_unique<QSocketNotifier>(e.fd, QSocketNotifier::Read);
        e.read_notifier->setEnabled(false);
        QObject::connect(e.read_notifier.get(), &QSocketNotifier::activated, [s] { on_readable(s); });
        e.write_notifier = std::make_unique<QSocketNotifier>(e.fd, QSocketNotifier::Write);
        e.write_notifier->setEnabled(false);
        QObject::connect(e.write_notifier.get(), &QSocketNotifier::activated, [s] { on_writable(s); });
    }
    bool want_read = false;
    if (e.listening)
        want_read = (e.events & FD_ACCEPT) && e.accept_armed;
    else if (!e.connecting)
        want_read = (e.events & (FD_READ | FD_CLOSE)) && e.read_armed && !e.close_reported;
    bool want_write = e.connecting ? (e.events & FD_CONNECT) != 0 : (e.events & FD_WRITE) && e.write_armed;
    e.read_notifier->setEnabled(want_read);
    e.write_notifier->setEnabled(want_write);
}

} // namespace

int last_socket_error()
{
    return t_last_error;
}

SocketHandle socket_open()
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        fail_errno();
        return 0;
    }
    SocketHandle s = g_next_handle++;
    sockets()[s].fd = fd;
    return s;
}

int socket_close(SocketHandle s)
{
    auto it = sockets().find(s);
    if (it == sockets().end())
        return fail(WSAENOTSOCK);
    int fd = it->second.fd;
    sockets().erase(it); // the notifiers go before the descriptor
    ::close(fd);
    return 0;
}

int async_select(SocketHandle s, Window* window, std::uint32_t msg, std::uint32_t events)
{
    SocketEntry* e = find(s);
    if (!e)
        return fail(WSAENOTSOCK);
    e->window_serial = window ? window->serial() : 0;
    e->msg = msg;
    e->events = window ? events : 0;
    e->read_armed = e->write_armed = e->accept_armed = true;
    update_notifiers(s, *e);
    return 0;
}

int socket_connect(SocketHandle s, const SocketAddress& to)
{
    SocketEntry* e = find(s);
    if (!e)
        return fail(WSAENOTSOCK);
    if (!ConnectGuard::permit_connect(to.ip, to.port))
        return fail(WSAENETUNREACH);
    sockaddr_in sa = to_sockaddr(to);
    if (::connect(e->fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0) {
        // Completed at once (possible on loopback): the notification still follows, as it would
        // after an asynchronous completion.
        e->connecting = true;
        update_notifiers(s, *e);
        return 0;
    }
    if (errno == EINPROGRESS) {
        e->connecting = true;
        update_notifiers(s, *e);
    }
    return fail_errno();
}

int socket_bind(SocketHandle s, const SocketAddress& local)
{
    SocketEntry* e = find(s);
    if (!e)
        return fail(WSAENOTSOCK);
    sockaddr_in sa = to_sockaddr(local);
    if (::bind(e->fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0)
        return fail_errno();
    return 0;
}

int socket_listen(SocketHandle s, int backlog)
{
    SocketEntry* e = find(s);
    if (!e)
        return fail(WSAENOTSOCK);
    if (::listen(e->fd, backlog) != 0)
        return fail_errno();
    e->listening = true;
    update_notifiers(s, *e);
    return 0;
}

SocketHandle socket_accept(SocketHandle listener, SocketAddress* peer)
{
    SocketEntry* e = find(listener);
    if (!e) {
        fail(WSAENOTSOCK);
        return 0;
    }
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    int fd = ::accept4(e->fd, reinterpret_cast<sockaddr*>(&sa), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
    e->accept_armed = true;
    update_notifiers(listener, *e);
    if (fd < 0) {
        fail_errno();
        return 0;
    }
    if (peer)
        *peer = from_sockaddr(sa);
    SocketHandle s = g_next_handle++;
    sockets()[s].fd = fd;
    return s;
}

long socket_recv(SocketHandle s, char* buffer, std::size_t size)
{
    SocketEntry* e = find(s);
    if (!e)
        return fail(WSAENOTSOCK);
    ssize_t n = ::recv(e->fd, buffer, size, MSG_DONTWAIT);
    int saved = errno;
    e->read_armed = true;
    update_notifiers(s, *e);
    if (n < 0) {
        errno = saved;
        return fail_errno();
    }
    return static_cast<long>(n);
}

long socket_send(SocketHandle s, const char* data, std::size_t size)
{
    SocketEntry* e = find(s);
    if (!e)
        return fail(WSAENOTSOCK);
    ssize_t n = ::send(e->fd, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
    int saved = errno;
    e->write_armed = true;
    update_notifiers(s, *e);
    if (n < 0) {
        errno = saved;
        return fail_errno();
    }
    return static_cast<long>(n);
}

std::optional<SocketAddress> socket_local_address(SocketHandle s)
{
    SocketEntry* e = find(s);
    if (!e) {
        fail(WSAENOTSOCK);
        return std::nullopt;
    }
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (::getsockname(e->fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
        fail_errno();
        return std::nullopt;
    }
    return from_sockaddr(sa);
}

std::optional<SocketAddress> socket_peer_address(SocketHandle s)
{
    SocketEntry* e = find(s);
    if (!e) {
        fail(WSAENOTSOCK);
        return std::nullopt;
    }
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (::getpeername(e->fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
        fail_errno();
        return std::nullopt;
    }
    return from_sockaddr(sa);
}

int socket_shutdown_send(SocketHandle s)
{
    SocketEntry* e = find(s);
    if (!e)
        return fail(WSAENOTSOCK);
    return ::shutdown(e->fd, SHUT_WR) == 0 ? 0 : fail_errno();
}

long socket_pending(SocketHandle s)
{
    SocketEntry* e = find(s);
    if (!e)
        return fail(WSAENOTSOCK);
    int n = 0;
    if (::ioctl(e->fd, FIONREAD, &n) != 0)
        return fail_errno();
    return n;
}

std::size_t open_socket_count()
{
    return sockets().size();
}

} // namespace kestovan
