// The window placement of the `d_main` and `d_help` settings on a Qt window: its normal rectangle,
// whether it is maximised, and the sizes of its splitters. Each splitter's pane sizes are taken in
// pairs in the window's own order (a splitter of three panes gives two pairs, the last padded with 0).
#pragma once

#include "settings/window_placement.h"

#include <vector>

class QSplitter;
class QWidget;

namespace kestovan {

// Gives window the placement before it is shown: the rectangle moved onto a screen when it lies off
// every screen, maximised when it was (a minimised window comes back normal), the splitter sizes as
// far as the placement holds them.
void apply_window_placement(QWidget& window, const WindowPlacement& placement,
                            const std::vector<QSplitter*>& splitters = {});

[[nodiscard]] WindowPlacement capture_window_placement(const QWidget& window,
                                                       const std::vector<QSplitter*>& splitters = {});

} // namespace kestovan
