// The process clock, in milliseconds. Tests can replace real time with a virtual clock that they
// advance themselves: timers then fire when the test says so, so time-outs and retry delays are
// checked without sleeping.
#pragma once

#include <cstdint>

namespace kestovan {

class Window;

[[nodiscard]] std::int64_t now_ms(); // monotonic

// While an instance lives, now_ms() returns virtual time and every window timer (old and new) runs
// on it. Only one may exist at a time.
class VirtualClock {
public:
    VirtualClock();
    ~VirtualClock();
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    // Moves time forward by ms, firing every timer that falls due on the way, in time order, and
    // delivering posted messages after each tick.
    void advance(std::int64_t ms);
    [[nodiscard]] std::int64_t now() const;

    static VirtualClock* active();
};

} // namespace kestovan
