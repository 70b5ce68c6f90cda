// The help viewer: a small window showing help.htm from the program's data folder.
#pragma once

class QWidget;

namespace kestovan {

void show_help(QWidget* parent);
[[nodiscard]] bool help_is_open();

} // namespace kestovan
