// The placement of a top-level window as kept in the d_main and d_help settings: the normal (not
// maximised) rectangle, the window state and the sizes of its split panes.
//
// Text form: "left,top,right,bottom,state" in screen pixels (state 0 normal, 1 maximised,
// 2 minimised), then ",first,second" for each splitter in the window's own order: the sizes of the
// splitter's two panes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

enum class WindowState : int {
    NORMAL = 0,
    MAXIMIZED = 1,
    MINIMIZED = 2,
};

struct PaneSizes {
    int first = 0;
    int second = 0;
    bool operator==(const PaneSizes&) const = default;
};

struct WindowPlacement {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    WindowState state = WindowState::NORMAL;
    std::vector<PaneSizes> panes;

    [[nodiscard]] int width() const { return right - left; }
    [[nodiscard]] int height() const { return bottom - top; }
    bool operator==(const WindowPlacement&) const = default;
};

// Pane sizes are 16-bit values; a larger one ends the pane list.
inline constexpr int MAX_PANE_SIZE = 65535;
// More splitters than any window has; further pairs are ignored.
inline constexpr std::size_t MAX_PANES = 32;

// The placement read from text, or nullopt when the first five numbers are not all there or the
// rectangle is empty (right not beyond left, or bottom not below top). An unknown state reads as
// normal. Pane pairs are read until the text runs out or a pair is incomplete, not a number or out of
// range; the pairs before it are kept. Blanks around numbers are allowed.
[[nodiscard]] std::optional<WindowPlacement> parse_window_placement(std::string_view text);

// A rectangle of the desktop: a screen's area.
struct ScreenArea {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// How much of a window must lie on one screen for it to count as reachable (or all of it, when it
// is smaller).
inline constexpr int PLACEMENT_VISIBLE_MARGIN = 100;

// The placement unchanged while its rectangle is reachable on one of screens; otherwise (the screen
// it was on has gone) moved onto primary: centred there, shrunk to fit. Pane sizes and state stay.
[[nodiscard]] WindowPlacement onto_screens(WindowPlacement placement, const std::vector<ScreenArea>& screens,
                                           const ScreenArea& primary);

// The text form. Pane sizes are clamped to 0..MAX_PANE_SIZE and at most MAX_PANES pairs are written,
// so every placement with a non-empty rectangle reads back equal to what was written.
[[nodiscard]] std::string format_window_placement(const WindowPlacement& placement);

} // namespace kestovan
