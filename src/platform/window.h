// A message window: the stand-in for a window handle with its window procedure. Messages are posted
// through the Qt event loop or sent directly; a chain of filters sees every message before the
// window's own handler and may consume it; timers tick as WM_TIMER messages carrying their id.
#pragma once

#include "platform/message.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kestovan {

namespace timer_registry {
struct Access;
}

using MessageHandler = std::function<bool(const Message&)>; // true: the message is consumed

class Window {
public:
    Window();
    ~Window(); // runs the destroy hooks (last installed first), then drops timers and posted messages
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Filters run in the order they were installed, before the window's own handler.
    int install_filter(MessageHandler filter);
    void remove_filter(int filter_id);
    void set_handler(MessageHandler handler);
    void add_destroy_hook(std::function<void()> hook);

    void post_message(std::uint32_t id, std::uint64_t wparam = 0, std::int64_t lparam = 0);
    bool send_message(std::uint32_t id, std::uint64_t wparam = 0, std::int64_t lparam = 0);
    bool dispatch(const Message& message);

    // Re-creating a timer with an id in use replaces it. A period below 1 ms is taken as 1 ms.
    void set_timer(std::uint32_t timer_id, int period_ms);
    void kill_timer(std::uint32_t timer_id);
    [[nodiscard]] bool has_timer(std::uint32_t timer_id) const;

    // Every window has a process-unique, never reused number; find() maps it back while it lives.
    [[nodiscard]] std::uint64_t serial() const { return serial_; }
    static Window* find(std::uint64_t serial);

private:
    friend struct timer_registry::Access;
    struct Impl;
    std::uint64_t serial_;
    std::unique_ptr<Impl> impl_;
};

} // namespace kestovan
