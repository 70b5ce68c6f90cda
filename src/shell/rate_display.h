// The rate display: the overall rate in status part 3 with the activity indicators, and the sampler of
// the "BPS" graph fed by every engine event and advanced by the graph's two-second timer.
#pragma once

#include "shell/rate_sampler.h"

#include <cstdint>
#include <functional>

namespace kestovan {

struct ShellContext;
class EngineEventHandler;

// The graph's timer on the main window.
inline constexpr std::uint32_t TIMER_RATE_GRAPH = 997;

// Writes the engine's overall rate into status part 3 (empty when nothing moves); with advance the
// activity indicators move on as well.
void show_rate(ShellContext& ctx, bool advance);

class RateDisplay {
public:
    // Takes the events' rate-sample hook and starts the timer on the shell's window.
    RateDisplay(ShellContext& ctx, EngineEventHandler& events);
    ~RateDisplay();
    RateDisplay(const RateDisplay&) = delete;
    RateDisplay& operator=(const RateDisplay&) = delete;

    [[nodiscard]] RateSampler& sampler() { return sampler_; }
    // The tick moved the rates: the panel erases and repaints itself (when it is shown).
    std::function<void()> repaint;

private:
    ShellContext& ctx_;
    EngineEventHandler& events_;
    RateSampler sampler_;
    int filter_id_ = 0;
};

} // namespace kestovan
