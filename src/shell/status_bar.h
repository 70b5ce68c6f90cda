// The texts of the main window's status bar and its activity indicator, as a model the status-bar
// widget draws.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace kestovan {

enum StatusPart : int {
    STATUS_HIDDEN = 0,
    STATUS_MESSAGE = 1,
    STATUS_PERCENT = 2,
    STATUS_RATE = 3,
    STATUS_ACTIVITY = 4,
    STATUS_ENCRYPTION = 5, // ours: whether the current session is encrypted
};

class StatusBar {
public:
    static constexpr int INDICATOR_RANGE = 80; // the marker moves over the indicator's width
    static constexpr int INDICATOR_STEP = 2;
    static constexpr std::int64_t INDICATOR_RESTART_MS = 10000;

    void set_text(int part, std::string text);
    [[nodiscard]] const std::string& text(int part) const
    {
        return texts_.at(static_cast<std::size_t>(part));
    }
    // Parts 3 and 4 are cleared when a transfer ends.
    void clear_transfer();
    // One transfer event: the marker moves on, reversing at the ends, and starts from the left again
    // when more than ten seconds passed since the last event.
    void advance_activity(std::int64_t now_ms);
    [[nodiscard]] int activity_position() const { return position_; }
    [[nodiscard]] bool activity_shown() const { return shown_; }

    // Called after every change, for the widget to redraw.
    std::function<void(int part)> changed;
    // The same for the batch window, whose status bar repeats the message and the indicator.
    std::function<void(int part)> mirror;

private:
    void notify(int part)
    {
        if (changed)
            changed(part);
        if (mirror)
            mirror(part);
    }
    std::array<std::string, 6> texts_;
    int position_ = 0;
    int direction_ = 1;
    bool shown_ = false;
    std::int64_t last_event_ = 0;
};

} // namespace kestovan
