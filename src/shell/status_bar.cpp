#include "shell/status_bar.h"

namespace kestovan {

void StatusBar::set_text(int part, std::string text)
{
    if (part < 0 || part > STATUS_ENCRYPTION)
        return;
    texts_[static_cast<std::size_t>(part)] = std::move(text);
    notify(part);
}

void StatusBar::clear_transfer()
{
    texts_[STATUS_RATE].clear();
    texts_[STATUS_ACTIVITY].clear();
    shown_ = false;
    notify(STATUS_RATE);
    notify(STATUS_ACTIVITY);
}

void StatusBar::advance_activity(std::int64_t now_ms)
{
    if (!shown_ || now_ms - last_event_ > INDICATOR_RESTART_MS) {
        position_ = 0;
        direction_ = 1;
    } else {
        position_ += INDICATOR_STEP * direction_;
        if (position_ >= INDICATOR_RANGE) {
            position_ = INDICATOR_RANGE;
            direction_ = -1;
        } else if (position_ <= 0) {
            position_ = 0;
            direction_ = 1;
        }
    }
    shown_ = true;
    last_event_ = now_ms;
    notify(STATUS_ACTIVITY);
}

} // namespace kestovan
