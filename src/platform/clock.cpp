#include "platform/clock.h"

#include "platform/timer_registry.h"

#include <QCoreApplication>

#include <cassert>
#include <chrono>

namespace kestovan {

namespace {
VirtualClock* g_active = nullptr;
std::int64_t g_virtual_now = 0;

std::int64_t real_now()
{
    using namespace std::chrono;
    static const auto epoch = steady_clock::now();
    return duration_cast<milliseconds>(steady_clock::now() - epoch).count();
}
} // namespace

std::int64_t now_ms()
{
    return g_active ? g_virtual_now : real_now();
}

VirtualClock::VirtualClock()
{
    assert(!g_active && "only one VirtualClock at a time");
    g_virtual_now = real_now();
    g_active = this;
    timer_registry::switch_all(true);
}

VirtualClock::~VirtualClock()
{
    g_active = nullptr;
    timer_registry::switch_all(false);
}

VirtualClock* VirtualClock::active()
{
    return g_active;
}

std::int64_t VirtualClock::now() const
{
    return g_virtual_now;
}

void VirtualClock::advance(std::int64_t ms)
{
    const std::int64_t target = g_virtual_now + ms;
    QCoreApplication::processEvents();
    while (auto due = timer_registry::next_due()) {
        if (*due > target)
            break;
        g_virtual_now = std::max(g_virtual_now, *due);
        timer_registry::fire_due(g_virtual_now);
        QCoreApplication::processEvents();
    }
    g_virtual_now = target;
    QCoreApplication::processEvents();
}

} // namespace kestovan
