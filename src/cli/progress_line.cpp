#include "cli/progress_line.h"

#include <unistd.h>

namespace kestovan {

namespace {

std::string time_left(double seconds)
{
    const auto total = static_cast<std::int64_t>(seconds + 0.5);
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(total / 3600),
                      static_cast<long long>(total / 60 % 60), static_cast<long long>(total % 60));
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(total / 60),
                      static_cast<long long>(total % 60));
    return text;
}

} // namespace

std::string human_size(double bytes)
{
    const char* units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    int unit = 0;
    while (bytes >= 1024 && unit < 4) {
        bytes /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit ? "%.1f %s" : "%.0f %s", bytes, units[unit]);
    return text;
}

std::string format_progress_line(std::int64_t done, std::int64_t total, double bytes_per_second)
{
    std::string line = human_size(static_cast<double>(done));
    const bool known = total > 0;
    if (known)
        line += " of " + human_size(static_cast<double>(total)) + "  " +
                std::to_string(done >= total ? 100 : done * 100 / total) + "%";
    if (bytes_per_second > 0) {
        line += "  " + human_size(bytes_per_second) + "/s";
        if (known && done < total)
            line += "  " + time_left(static_cast<double>(total - done) / bytes_per_second) + " left";
    }
    return line;
}

bool progress_wanted(std::FILE* out, bool quiet)
{
    return !quiet && ::isatty(::fileno(out)) == 1;
}

void ProgressLine::start(std::int64_t done, std::int64_t now_ms)
{
    start_done_ = done;
    start_ms_ = now_ms;
}

void ProgressLine::update(std::int64_t done, std::int64_t total, std::int64_t now_ms, bool force)
{
    if (!enabled_)
        return;
    if (start_ms_ < 0)
        start(done, now_ms);
    if (drawn_ && !force && now_ms - last_draw_ms_ < PROGRESS_REDRAW_MS)
        return;
    const std::int64_t elapsed = now_ms - start_ms_;
    const double rate =
        elapsed > 0 ? static_cast<double>(done - start_done_) * 1000.0 / static_cast<double>(elapsed) : 0.0;
    std::string line = format_progress_line(done, total, rate);
    const std::size_t width = line.size();
    // Blanks over the end of a longer line drawn before, since "\r" only moves the cursor.
    if (width < last_width_)
        line.append(last_width_ - width, ' ');
    std::fputs(("\r" + line).c_str(), out_);
    std::fflush(out_);
    drawn_ = true;
    last_draw_ms_ = now_ms;
    last_width_ = width;
}

void ProgressLine::finish()
{
    if (!drawn_)
        return;
    std::fputc('\n', out_);
    std::fflush(out_);
    drawn_ = false;
    last_width_ = 0;
}

} // namespace kestovan
