// The help viewer: a small window showing help.htm from the program's data folder. Its placement
// (the `d_help` setting) is applied when it is created and remembered when it closes.
#pragma once

#include "settings/window_placement.h"

#include <optional>

class QWidget;

namespace kestovan {

void show_help(QWidget* parent, const std::optional<WindowPlacement>& placement = std::nullopt);
[[nodiscard]] bool help_is_open();
// The open window's placement, else the one it had when it last closed; nullopt when it never opened.
[[nodiscard]] std::optional<WindowPlacement> help_placement();
// Shows the page again (after a language switch), when the window is open.
void reload_help();

} // namespace kestovan
