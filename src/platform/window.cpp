#include "platform/window.h"

#include "platform/clock.h"
#include "platform/timer_registry.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <map>
#include <unordered_map>

namespace kestovan {

namespace {

const QEvent::Type kMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class MessageEvent : public QEvent {
public:
    explicit MessageEvent(const Message& m) : QEvent(kMessageEvent), message(m) {}
    Message message;
};

std::uint64_t next_window_serial = 1;
std::unordered_map<std::uint64_t, Window*>& live_windows()
{
    static std::unordered_map<std::uint64_t, Window*> windows;
    return windows;
}

} // namespace

struct TimerEntry {
    int period_ms = 0;
    std::int64_t due = 0;               // virtual clock only
    std::unique_ptr<QTimer> real_timer; // real clock only
};

class MessageReceiver : public QObject {
public:
    explicit MessageReceiver(Window& w) : window(w) {}
    bool event(QEvent* e) override
    {
        if (e->type() == kMessageEvent) {
            window.dispatch(static_cast<MessageEvent*>(e)->message);
            return true;
        }
        return QObject::event(e);
    }
    Window& window;
};

struct Window::Impl {
    explicit Impl(Window& w) : receiver(w) {}
    MessageReceiver receiver;
    std::vector<std::pair<int, std::shared_ptr<MessageHandler>>> filters;
    std::shared_ptr<MessageHandler> handler;
    std::vector<std::function<void()>> destroy_hooks;
    std::map<std::uint32_t, TimerEntry> timers;
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
    int next_filter_id = 1;
};

Window::Window() : serial_(next_window_serial++), impl_(std::make_unique<Impl>(*this))
{
    live_windows()[serial_] = this;
}

Window::~Window()
{
    *impl_->alive = false;
    auto hooks = std::move(impl_->destroy_hooks);
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it)
        (*it)();
    impl_->timers.clear();
    live_windows().erase(serial_);
}

Window* Window::find(std::uint64_t serial)
{
    auto it = live_windows().find(serial);
    return it == live_windows().end() ? nullptr : it->second;
}

int Window::install_filter(MessageHandler filter)
{
    int id = impl_->next_filter_id++;
    impl_->filters.emplace_back(id, std::make_shared<MessageHandler>(std::move(filter)));
    return id;
}

void Window::remove_filter(int filter_id)
{
    std::erase_if(impl_->filters, [&](const auto& f) { return f.first == filter_id; });
}

void Window::set_handler(MessageHandler handler)
{
    impl_->handler = std::make_shared<MessageHandler>(std::move(handler));
}

void Window::add_destroy_hook(std::function<void()> hook)
{
    impl_->destroy_hooks.push_back(std::move(hook));
}

void Window::post_message(std::uint32_t id, std::uint64_t wparam, std::int64_t lparam)
{
    QCoreApplication::postEvent(&impl_->receiver, new MessageEvent(Message{id, wparam, lparam}));
}

bool Window::send_message(std::uint32_t id, std::uint64_t wparam, std::int64_t lparam)
{
    return dispatch(Message{id, wparam, lparam});
}

bool Window::dispatch(const Message& message)
{
    // Handlers may open nested event loops, remove filters or destroy this window: work on a
    // snapshot and stop as soon as the window is gone.
    auto alive = impl_->alive;
    auto filters = impl_->filters;
    for (auto& entry : filters) {
        if (!*alive)
            return true;
        const int id = entry.first;
        const auto& filter = entry.second;
        bool still_installed = std::any_of(impl_->filters.begin(), impl_->filters.end(),
                                           [&](const auto& f) { return f.first == id; });
        if (still_installed && (*filter)(message))
            return true;
    }
    if (!*alive)
        return true;
    auto handler = impl_->handler;
    return handler && (*handler)(message);
}

void Window::set_timer(std::uint32_t timer_id, int period_ms)
{
    period_ms = std::max(period_ms, 1);
    TimerEntry entry;
    entry.period_ms = period_ms;
    if (VirtualClock::active()) {
        entry.due = now_ms() + period_ms;
    } else {
        entry.real_timer = std::make_unique<QTimer>();
        entry.real_timer->setInterval(period_ms);
        QObject::connect(entry.real_timer.get(), &QTimer::timeout, &impl_->receiver, [this, timer_id] {
            dispatch(Message{WM_TIMER, timer_id, 0});
        });
        entry.real_timer->start();
    }
    impl_->timers[timer_id] = std::move(entry);
}

void Window::kill_timer(std::uint32_t timer_id)
{
    impl_->timers.erase(timer_id);
}

bool Window::has_timer(std::uint32_t timer_id) const
{
    return impl_->timers.contains(timer_id);
}

// --- virtual clock support -------------------------------------------------------------------

namespace timer_registry {

struct Access {
    static std::map<std::uint32_t, TimerEntry>& timers(Window* w) { return w->impl_->timers; }
};

void switch_all(bool to_virtual)
{
    for (auto& [serial, window] : live_windows()) {
        for (auto& [id, entry] : Access::timers(window)) {
            if (to_virtual) {
                entry.real_timer.reset();
                entry.due = now_ms() + entry.period_ms;
            } else {
                window->set_timer(id, entry.period_ms);
            }
        }
    }
}

std::optional<std::int64_t> next_due()
{
    std::optional<std::int64_t> best;
    for (auto& [serial, window] : live_windows())
        for (auto& [id, entry] : Access::timers(window))
            if (!best || entry.due < *best)
                best = entry.due;
    return best;
}

void fire_due(std::int64_t now)
{
    std::vector<std::pair<std::uint64_t, std::uint32_t>> due;
    for (auto& [serial, window] : live_windows())
        for (auto& [id, entry] : Access::timers(window))
            if (entry.due <= now)
                due.emplace_back(serial, id);
    for (auto [serial, id] : due) {
        Window* window = Window::find(serial);
        if (!window)
            continue;
        auto it = Access::timers(window).find(id);
        if (it == Access::timers(window).end() || it->second.due > now)
            continue;
        it->second.due = now + it->second.period_ms;
        window->dispatch(Message{WM_TIMER, id, 0});
    }
}

} // namespace timer_registry

} // namespace kestovan
