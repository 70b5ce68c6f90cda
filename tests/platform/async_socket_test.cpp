#include "platform/async_socket.h"
#include "platform/connect_guard.h"
#include "platform/message.h"
#include "platform/socket_error.h"
#include "platform/window.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace kestovan {
namespace {

constexpr std::uint32_t WM_SOCK = 30003;
constexpr std::uint32_t LOOPBACK = 0x7F000001;

// A plain blocking listener on 127.0.0.1, the peer of the socket under test.
class PlainListener {
public:
    PlainListener()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        ::listen(fd_, 4);
        socklen_t len = sizeof sa;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&sa), &len);
        port_ = ntohs(sa.sin_port);
    }
    ~PlainListener()
    {
        if (peer_ >= 0)
            ::close(peer_);
        if (fd_ >= 0)
            ::close(fd_);
    }
    std::uint16_t port() const { return port_; }
    void accept_peer() { peer_ = ::accept(fd_, nullptr, nullptr); }
    void send(const std::string& s) { ASSERT_EQ(::send(peer_, s.data(), s.size(), 0), (ssize_t)s.size()); }
    void close_peer()
    {
        ::close(peer_);
        peer_ = -1;
    }
    void close_listener()
    {
        ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
    int peer_ = -1;
    std::uint16_t port_ = 0;
};

struct Notifications {
    std::vector<std::pair<std::uint32_t, int>> events; // (event, error)
    MessageHandler handler(SocketHandle& s)
    {
        return [this, &s](const Message& m) {
            if (m.id != WM_SOCK || m.wparam != s)
                return false;
            events.emplace_back(select_event(m), select_error(m));
            return true;
        };
    }
    bool wait_for(std::size_t count, int ms = 3000)
    {
        return test::wait_until([&] { return events.size() >= count; }, ms);
    }
};

TEST(AsyncSocket, ConnectThenRepeatedReadsWhileDataRemainsThenClose)
{
    PlainListener server;
    Window window;
    Notifications n;
    SocketHandle s = socket_open();
    ASSERT_NE(s, 0u);
    window.set_handler(n.handler(s));
    ASSERT_EQ(async_select(s, &window, WM_SOCK, FD_CONNECT), 0);
    int rc = socket_connect(s, {LOOPBACK, server.port()});
    EXPECT_TRUE(rc == 0 || last_socket_error() == WSAEWOULDBLOCK);
    ASSERT_TRUE(n.wait_for(1));
    EXPECT_EQ(n.events[0], std::make_pair(FD_CONNECT, 0));

    server.accept_peer();
    ASSERT_EQ(async_select(s, &window, WM_SOCK, FD_READ | FD_CLOSE), 0);
    server.send("hello");

    // Three-byte reads: a new read notification follows every recv while data remains.
    std::string received;
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(n.wait_for(2 + i));
        EXPECT_EQ(n.events.back(), std::make_pair(FD_READ, 0));
        char buf[3];
        long got = socket_recv(s, buf, sizeof buf);
        ASSERT_GT(got, 0);
        received.append(buf, static_cast<std::size_t>(got));
    }
    EXPECT_EQ(received, "hello");
    test::wait_until([] { return false; }, 50);
    EXPECT_EQ(n.events.size(), 3u) << "no read notification once everything was read";

    server.close_peer();
    ASSERT_TRUE(n.wait_for(4));
    EXPECT_EQ(n.events.back(), std::make_pair(FD_CLOSE, 0));
    test::wait_until([] { return false; }, 50);
    EXPECT_EQ(n.events.size(), 4u) << "close is reported once";
    EXPECT_EQ(socket_close(s), 0);
}

TEST(AsyncSocket, DataSentBeforeTheCloseIsReadBeforeTheCloseNotification)
{
    PlainListener server;
    Window window;
    Notifications n;
    SocketHandle s = socket_open();
    window.set_handler(n.handler(s));
    async_select(s, &window, WM_SOCK, FD_CONNECT);
    (void)socket_connect(s, {LOOPBACK, server.port()});
    ASSERT_TRUE(n.wait_for(1));
    server.accept_peer();
    server.send("last words");
    server.close_peer();
    async_select(s, &window, WM_SOCK, FD_READ | FD_CLOSE);
    ASSERT_TRUE(n.wait_for(2));
    EXPECT_EQ(n.events[1].first, FD_READ);
    char buf[64];
    EXPECT_EQ(socket_recv(s, buf, sizeof buf), 10);
    ASSERT_TRUE(n.wait_for(3));
    EXPECT_EQ(n.events[2].first, FD_CLOSE);
    socket_close(s);
}

TEST(AsyncSocket, ConnectToAClosedLoopbackPortReportsRefused)
{
    PlainListener server;
    std::uint16_t port = server.port();
    server.close_listener();
    Window window;
    Notifications n;
    SocketHandle s = socket_open();
    window.set_handler(n.handler(s));
    async_select(s, &window, WM_SOCK, FD_CONNECT);
    int rc = socket_connect(s, {LOOPBACK, port});
    if (rc == static_cast<int>(SOCKET_ERROR) && last_socket_error() != WSAEWOULDBLOCK) {
        EXPECT_EQ(last_socket_error(), WSAECONNREFUSED);
    } else {
        ASSERT_TRUE(n.wait_for(1));
        EXPECT_EQ(n.events[0], std::make_pair(FD_CONNECT, WSAECONNREFUSED));
    }
    socket_close(s);
}

TEST(AsyncSocket, ListenerNotifiesAcceptAndWriteFollowsEverySend)
{
    Window window;
    SocketHandle listener = socket_open();
    ASSERT_EQ(socket_bind(listener, {LOOPBACK, 0}), 0);
    ASSERT_EQ(socket_listen(listener, 1), 0);
    auto local = socket_local_address(listener);
    ASSERT_TRUE(local && local->port != 0 && local->ip == LOOPBACK);

    Notifications ln;
    SocketHandle client = socket_open();
    Notifications cn;
    window.set_handler([&](const Message& m) { return ln.handler(listener)(m) || cn.handler(client)(m); });
    async_select(listener, &window, WM_SOCK, FD_ACCEPT);
    async_select(client, &window, WM_SOCK, FD_CONNECT | FD_WRITE);
    (void)socket_connect(client, *local);
    ASSERT_TRUE(ln.wait_for(1));
    EXPECT_EQ(ln.events[0].first, FD_ACCEPT);
    SocketAddress peer;
    SocketHandle accepted = socket_accept(listener, &peer);
    ASSERT_NE(accepted, 0u);
    EXPECT_EQ(peer.ip, LOOPBACK);

    ASSERT_TRUE(cn.wait_for(2)); // connect, then write
    EXPECT_EQ(cn.events[0].first, FD_CONNECT);
    EXPECT_EQ(cn.events[1].first, FD_WRITE);
    test::wait_until([] { return false; }, 30);
    EXPECT_EQ(cn.events.size(), 2u) << "no further write notification until data is sent";
    EXPECT_EQ(socket_send(client, "x", 1), 1);
    ASSERT_TRUE(cn.wait_for(3));
    EXPECT_EQ(cn.events[2].first, FD_WRITE);

    char c = 0;
    ASSERT_TRUE(test::wait_until([&] { return socket_recv(accepted, &c, 1) == 1; }));
    EXPECT_EQ(c, 'x');
    for (SocketHandle h : {client, accepted, listener})
        socket_close(h);
    EXPECT_EQ(socket_close(listener), static_cast<int>(SOCKET_ERROR));
    EXPECT_EQ(last_socket_error(), WSAENOTSOCK);
}

TEST(AsyncSocket, NotificationsForAClosedSocketNeverReachTheWindow)
{
    PlainListener server;
    Window window;
    Notifications n;
    SocketHandle s = socket_open();
    window.set_handler(n.handler(s));
    async_select(s, &window, WM_SOCK, FD_CONNECT);
    (void)socket_connect(s, {LOOPBACK, server.port()});
    socket_close(s);
    SocketHandle t = socket_open();
    EXPECT_NE(t, s) << "handles are not reused";
    test::wait_until([] { return false; }, 50);
    EXPECT_TRUE(n.events.empty());
    socket_close(t);
}

TEST(ConnectGuard, RefusesAddressesOutsideLoopbackWithoutConnecting)
{
    ASSERT_TRUE(ConnectGuard::enabled()) << "the test main switches the guard on";
    ConnectGuard::clear_attempts();
    SocketHandle s = socket_open();
    // 192.0.2.1 is a documentation address (TEST-NET-1); the guard must refuse it before any packet.
    EXPECT_EQ(socket_connect(s, {0xC0000201, 21}), static_cast<int>(SOCKET_ERROR));
    EXPECT_EQ(last_socket_error(), WSAENETUNREACH);
    auto attempts = ConnectGuard::attempts();
    ASSERT_EQ(attempts.size(), 1u);
    EXPECT_EQ(attempts[0], "192.0.2.1:21");
    socket_close(s);
}

TEST(SocketErrors, ErrnoValuesMapToTheirWindowsSocketsNumbers)
{
    struct Row {
        int errno_value;
        int expected;
    } rows[] = {
        {EWOULDBLOCK, 10035},  {EINPROGRESS, 10035},  {EADDRINUSE, 10048},   {ENETDOWN, 10050},
        {ENETUNREACH, 10051},  {ECONNABORTED, 10053}, {ECONNRESET, 10054},   {ETIMEDOUT, 10060},
        {ECONNREFUSED, 10061}, {EHOSTDOWN, 10064},    {EHOSTUNREACH, 10065}, {EPIPE, 10054},
    };
    for (const Row& r : rows)
        EXPECT_EQ(winsock_error_from_errno(r.errno_value), r.expected) << "errno " << r.errno_value;
}

TEST(SocketAddress, DottedTextsParseStrictly)
{
    EXPECT_EQ(parse_dotted("127.0.0.1"), 0x7F000001u);
    EXPECT_EQ(parse_dotted("255.255.255.255"), 0xFFFFFFFFu);
    for (const char* bad :
         {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1..2.3", "1.2.3.4 ", "a.b.c.d", "1.2.3.0004"})
        EXPECT_FALSE(parse_dotted(bad)) << bad;
    EXPECT_EQ(format_dotted(0xC0000205), "192.0.2.5");
}

} // namespace
} // namespace kestovan
