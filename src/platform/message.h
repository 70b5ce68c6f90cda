// Window messages: the numeric ids and the (wparam, lparam) pair every handler receives. The ids
// below 0x400 keep their Windows values (WM_TIMER, WM_COMMAND, ...), so command and timer numbers
// stay as designed.
#pragma once

#include <cstdint>

namespace kestovan {

struct Message {
    std::uint32_t id = 0;
    std::uint64_t wparam = 0;
    std::int64_t lparam = 0;
};

constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_COMMAND = 0x0111;
constexpr std::uint32_t WM_TIMER = 0x0113; // wparam: the timer id
constexpr std::uint32_t WM_USER = 0x0400;

// Socket notifications (async_select): wparam is the socket, lparam carries the event in its low
// 16 bits and the Windows Sockets error number in its high 16 bits.
constexpr std::uint32_t FD_READ = 0x01;
constexpr std::uint32_t FD_WRITE = 0x02;
constexpr std::uint32_t FD_OOB = 0x04;
constexpr std::uint32_t FD_ACCEPT = 0x08;
constexpr std::uint32_t FD_CONNECT = 0x10;
constexpr std::uint32_t FD_CLOSE = 0x20;

constexpr std::int64_t make_select_reply(std::uint32_t event, int error)
{
    return static_cast<std::int64_t>((static_cast<std::uint32_t>(error) << 16) | (event & 0xFFFF));
}
constexpr std::uint32_t select_event(const Message& m)
{
    return static_cast<std::uint32_t>(m.lparam) & 0xFFFF;
}
constexpr int select_error(const Message& m)
{
    return static_cast<int>((static_cast<std::uint32_t>(m.lparam) >> 16) & 0xFFFF);
}

// Host lookups (async_get_host_by_name): wparam is the lookup handle, the high 16 bits of lparam
// the error (0 on success).
constexpr int async_error(const Message& m)
{
    return select_error(m);
}

} // namespace kestovan
