// The main window's commands as data: the menus with their items, the tool bar, the button column,
// accelerators and images. The window builds its actions from these tables; every action carries
// its command id and sends it to the command table of the shell.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace kestovan {

struct CommandSpec {
    int id = 0;
    int string_id = 0;         // menu text or caption
    std::string_view shortcut; // QKeySequence text, empty for none
    std::string_view icon;     // freedesktop icon name, empty for none
    bool checkable = false;
};

struct MenuSpec {
    int title_string_id = 0;
    std::vector<int> items; // command ids; 0 is a separator; SUBMENU_LANGUAGE the Language menu
};

struct ToolbarButton {
    int command = 0; // 0 is a separator
    int tooltip_string_id = 0;
    std::string_view icon;
};

struct ColumnButton {
    int command = 0;
    int caption_string_id = 0; // 0: the caption changes at run time (button 2011)
};

struct LanguageItem {
    int command = 0;
    int string_id = 0;
    std::string_view code; // empty: English
};

inline constexpr int SUBMENU_LANGUAGE = -1;
inline constexpr int RECENT_PROFILE_FIRST = 19000;
inline constexpr int RECENT_PROFILE_COUNT = 5;

[[nodiscard]] const std::vector<MenuSpec>& main_menus();
[[nodiscard]] const std::vector<ToolbarButton>& toolbar_buttons();
[[nodiscard]] const std::vector<ColumnButton>& button_column();
[[nodiscard]] const std::vector<LanguageItem>& language_items();
// The languages the Language menu offers: English and those not withdrawn (Czech, Greek, Korean,
// Arabic, Portuguese, Spanish and Swedish stay hidden even when a file for them exists); the others
// only when their language file is there.
[[nodiscard]] bool language_offered(const LanguageItem& item);
[[nodiscard]] std::optional<CommandSpec> command_spec(int id);
// Buttons of the column that hide when they would reach below the Terminal button (1869).
[[nodiscard]] const std::vector<int>& hideable_column_buttons();

} // namespace kestovan
