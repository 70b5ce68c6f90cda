#include "settings/window_placement.h"

#include <algorithm>
#include <charconv>

namespace kestovan {
namespace {

// Splits at commas; the last piece may be empty.
std::vector<std::string_view> split_commas(std::string_view text)
{
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t comma = text.find(',');
        parts.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos)
            return parts;
        text.remove_prefix(comma + 1);
    }
}

// A whole piece as a decimal int, blanks around it allowed; nullopt for anything else, including
// values beyond the range of int.
std::optional<int> whole_number(std::string_view piece)
{
    while (!piece.empty() && (piece.front() == ' ' || piece.front() == '\t'))
        piece.remove_prefix(1);
    while (!piece.empty() && (piece.back() == ' ' || piece.back() == '\t'))
        piece.remove_suffix(1);
    if (piece.starts_with('+'))
        piece.remove_prefix(1);
    int value = 0;
    const char* end = piece.data() + piece.size();
    const auto [stop, error] = std::from_chars(piece.data(), end, value);
    if (piece.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

WindowState state_from(int value)
{
    switch (value) {
    case 1: return WindowState::MAXIMIZED;
    case 2: return WindowState::MINIMIZED;
    default: return WindowState::NORMAL;
    }
}

std::optional<int> pane_size(std::string_view piece)
{
    const std::optional<int> value = whole_number(piece);
    if (!value || *value < 0 || *value > MAX_PANE_SIZE)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<WindowPlacement> parse_window_placement(std::string_view text)
{
    const std::vector<std::string_view> parts = split_commas(text);
    if (parts.size() < 5)
        return std::nullopt;
    int head[5] = {};
    for (std::size_t i = 0; i < 5; ++i) {
        const std::optional<int> value = whole_number(parts[i]);
        if (!value)
            return std::nullopt;
        head[i] = *value;
    }
    WindowPlacement placement;
    placement.left = head[0];
    placement.top = head[1];
    placement.right = head[2];
    placement.bottom = head[3];
    placement.state = state_from(head[4]);
    // Compared as differences in 64 bits: right - left in int could overflow.
    if (static_cast<long long>(placement.right) <= placement.left ||
        static_cast<long long>(placement.bottom) <= placement.top)
        return std::nullopt;
    for (std::size_t i = 5; i + 1 < parts.size() && placement.panes.size() < MAX_PANES; i += 2) {
        const std::optional<int> first = pane_size(parts[i]);
        const std::optional<int> second = pane_size(parts[i + 1]);
        if (!first || !second)
            break;
        placement.panes.push_back({*first, *second});
    }
    return placement;
}

WindowPlacement onto_screens(WindowPlacement placement, const std::vector<ScreenArea>& screens,
                             const ScreenArea& primary)
{
    const long long width = placement.width();
    const long long height = placement.height();
    const auto reachable = [&](const ScreenArea& screen) {
        const long long across = std::min<long long>(placement.right, screen.left + screen.width) -
                                 std::max<long long>(placement.left, screen.left);
        const long long down = std::min<long long>(placement.bottom, screen.top + screen.height) -
                               std::max<long long>(placement.top, screen.top);
        return across >= std::min<long long>(PLACEMENT_VISIBLE_MARGIN, width) &&
               down >= std::min<long long>(PLACEMENT_VISIBLE_MARGIN, height);
    };
    if (std::any_of(screens.begin(), screens.end(), reachable) || primary.width <= 0 || primary.height <= 0)
        return placement;
    const int fitted_width = static_cast<int>(std::min<long long>(width, primary.width));
    const int fitted_height = static_cast<int>(std::min<long long>(height, primary.height));
    placement.left = primary.left + (primary.width - fitted_width) / 2;
    placement.top = primary.top + (primary.height - fitted_height) / 2;
    placement.right = placement.left + fitted_width;
    placement.bottom = placement.top + fitted_height;
    return placement;
}

std::string format_window_placement(const WindowPlacement& placement)
{
    std::string out = std::to_string(placement.left) + ',' + std::to_string(placement.top) + ',' +
                      std::to_string(placement.right) + ',' + std::to_string(placement.bottom) + ',' +
                      std::to_string(static_cast<int>(placement.state));
    const auto clamped = [](int size) { return std::to_string(std::clamp(size, 0, MAX_PANE_SIZE)); };
    for (std::size_t i = 0; i < placement.panes.size() && i < MAX_PANES; ++i)
        out += ',' + clamped(placement.panes[i].first) + ',' + clamped(placement.panes[i].second);
    return out;
}

} // namespace kestovan
