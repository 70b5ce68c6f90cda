#include "shell/rate_display.h"

#include "platform/clock.h"
#include "platform/window.h"
#include "shell/engine_events.h"
#include "shell/shell_context.h"

namespace kestovan {

void show_rate(ShellContext& ctx, bool advance)
{
    const double rate = ctx.engine.global_rate();
    ctx.status.set_text(STATUS_RATE, rate > 0 ? format_task_rate(bytes_per_second_from_bits(rate)) : "");
    if (advance)
        ctx.status.advance_activity(now_ms());
}

RateDisplay::RateDisplay(ShellContext& ctx, EngineEventHandler& events) : ctx_(ctx), events_(events)
{
    events_.rate_sample = [this](FtpConnection* conn) {
        if (conn)
            sampler_.record_sample(conn->serial, conn->byte_total, now_ms());
    };
    filter_id_ = ctx_.window.install_filter([this](const Message& m) {
        if (m.id != WM_TIMER || m.wparam != TIMER_RATE_GRAPH)
            return false;
        if (sampler_.tick(now_ms()) && repaint)
            repaint();
        return true;
    });
    ctx_.window.set_timer(TIMER_RATE_GRAPH, static_cast<int>(RATE_TICK_MS));
}

RateDisplay::~RateDisplay()
{
    events_.rate_sample = nullptr;
    ctx_.window.kill_timer(TIMER_RATE_GRAPH);
    ctx_.window.remove_filter(filter_id_);
}

} // namespace kestovan
