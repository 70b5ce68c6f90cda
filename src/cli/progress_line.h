// The command-line client's progress line: bytes so far, percent, rate and time left, redrawn in
// place on stderr while a transfer runs. Only a terminal gets it (a pipe or a log file would fill up
// with carriage returns), and never with --quiet.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace kestovan {

// At most ten redraws a second: more flickers and costs the transfer time on slow terminals.
inline constexpr std::int64_t PROGRESS_REDRAW_MS = 100;

// "1.5 MiB of 3.0 MiB  50%  512.0 KiB/s  0:03 left"; without a known total (total <= 0) only the bytes
// and the rate; the rate and time left need at least a moment of transfer (rate > 0).
[[nodiscard]] std::string format_progress_line(std::int64_t done, std::int64_t total,
                                               double bytes_per_second);

// 1023 B, 1.5 KiB, 2.0 MiB, ...
[[nodiscard]] std::string human_size(double bytes);

// True when out is a terminal and the user did not ask for quiet.
[[nodiscard]] bool progress_wanted(std::FILE* out, bool quiet);

class ProgressLine {
public:
    // Draws nothing unless enabled (see progress_wanted).
    ProgressLine(std::FILE* out, bool enabled) : out_(out), enabled_(enabled) {}

    [[nodiscard]] bool enabled() const { return enabled_; }

    // A new transfer starts with `done` bytes already there (a resumed one): the rate counts from here.
    void start(std::int64_t done, std::int64_t now_ms);
    // Redraws unless the last redraw was less than PROGRESS_REDRAW_MS ago (or force).
    void update(std::int64_t done, std::int64_t total, std::int64_t now_ms, bool force = false);
    // Ends the line so later output starts on a line of its own; nothing when nothing was drawn.
    void finish();

private:
    std::FILE* out_;
    bool enabled_;
    bool drawn_ = false;
    std::int64_t start_done_ = 0;
    std::int64_t start_ms_ = -1;
    std::int64_t last_draw_ms_ = 0;
    std::size_t last_width_ = 0;
};

} // namespace kestovan
