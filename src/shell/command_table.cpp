#include "shell/command_table.h"

#include "ui/string_ids.h"

#include <algorithm>

namespace kestovan {

namespace {

const std::vector<CommandSpec>& infos()
{
    static const std::vector<CommandSpec> table = {
        {459, IDS_MENU_CONNECT, "", "network-connect"},
        {288, IDS_MENU_DISCONNECT_ALL, "", "network-disconnect"},
        {416, IDS_MENU_SAVE_LOG, "", "document-save"},
        {479, IDS_MENU_IMPORT, "", "document-import"},
        {414, IDS_MENU_QUIT, "Ctrl+Q", "application-exit"},
        {318, IDS_MENU_COPY, "", "edit-copy"},
        {359, IDS_MENU_PASTE, "", "edit-paste"},
        {534, IDS_MENU_DELETE, "", "edit-delete"},
        {453, IDS_MENU_PROPERTIES, "", "document-properties"},
        {457, IDS_MENU_TOOLBAR, "", "", true},
        {403, IDS_MENU_SESSION_LOG, "", "", true},
        {404, IDS_MENU_BUTTONS, "", "", true},
        {406, IDS_MENU_PATH_FILTER, "", "", true},
        {490, IDS_MENU_CREATE_DIRECTORY_MKDIR, "", "folder-new"},
        {491, IDS_MENU_DIRECTORY_INFO_LIST, "F8", "view-list-details"},
        {501, IDS_MENU_DIRECTORY_COMPARE, "", "view-split-left-right"},
        {483, IDS_MENU_VIEW_FILE, "F3", "document-preview"},
        {484, IDS_MENU_EDIT_FILE, "", "document-edit"},
        {485, IDS_MENU_EXECUTE, "", "system-run"},
        {496, IDS_MENU_MOVE_FILE, "", "go-jump"},
        {497, IDS_MENU_RENAME, "F6", "edit-rename"},
        {498, IDS_MENU_REMOTE_DELETE, "", "edit-delete"},
        {499, IDS_MENU_FILE_PERMISSIONS_CHMOD, "", "document-properties"},
        {500, IDS_MENU_OTHER_COMMAND, "", "utilities-terminal"},
        {460, IDS_MENU_BATCH_TRANSFER, "F4", "view-list-text"},
        {468, IDS_MENU_TERMINAL, "F5", "utilities-terminal"},
        {456, IDS_MENU_COMPARE, "F11", "view-split-left-right"},
        {469, IDS_MENU_ADD_BOOKMARK, "Ctrl+D", "bookmark-new"},
        {105, IDS_MENU_PREF_SETTINGS, "", "preferences-system"},
        {502, IDS_MENU_PREF_OPTIONS, "", ""},
        {503, IDS_MENU_PREF_PROXY, "", ""},
        {505, IDS_MENU_PREF_SOUND, "", ""},
        {506, IDS_MENU_PREF_AUTO_RENAME, "", ""},
        {7888, IDS_TIP_HELP, "F1", "help-contents"},
        {106, IDS_MENU_MANUAL, "", "help-contents"},
        {163, IDS_MENU_FAQ, "", "help-faq"},
    };
    return table;
}

} // namespace

const std::vector<MenuSpec>& main_menus()
{
    static const std::vector<MenuSpec> menus = {
        {IDS_MENU_FILE, {459, 288, 0, 416, 479, 0, 414}},
        {IDS_MENU_EDIT, {318, 359, 534, 0, 453}},
        {IDS_MENU_VIEW, {457, 403, 404, 406}},
        {IDS_MENU_COMMANDS, {490, 491, 501, 0, 483, 484, 485, 0, 496, 497, 498, 499, 0, 500}},
        {IDS_MENU_TOOLS, {460, 468, 456}},
        {IDS_MENU_BOOKMARKS, {469}},
        {IDS_MENU_OPTIONS, {105, 502, 503, 505, 506, 0, SUBMENU_LANGUAGE}},
        {IDS_MENU_HELP, {7888, 106, 163}},
    };
    return menus;
}

const std::vector<ToolbarButton>& toolbar_buttons()
{
    static const std::vector<ToolbarButton> buttons = {
        {1875, IDS_TIP_CONNECT, "network-transmit-receive"},
        {1107, IDS_TIP_HAMMER, "mail-send-receive"},
        {1106, IDS_TIP_DISCONNECT, "network-offline"},
        {288, IDS_TIP_DISCONNECT_ALL, "process-stop"},
        {0, 0, ""},
        {318, IDS_TIP_COPY, "edit-copy"},
        {359, IDS_TIP_PASTE, "edit-paste"},
        {0, 0, ""},
        {1869, IDS_TIP_TERMINAL_WINDOW, "utilities-terminal"},
        {0, 0, ""},
        {1873, IDS_TIP_CREATE_DIRECTORY, "folder-new"},
        {1880, IDS_TIP_FILE_PERMISSIONS, "document-properties"},
        {1872, IDS_TIP_DELETE, "edit-delete"},
        {1879, IDS_TIP_FTP_COMMAND, "utilities-terminal"},
        {1877, IDS_TIP_EXECUTE_FILE, "media-playback-start"},
        {1548, IDS_TIP_VIEW, "document-print-preview"},
        {1882, IDS_TIP_DIRECTORY_INFO, "dialog-information"},
        {0, 0, ""},
        {7888, IDS_TIP_HELP, "help-browser"},
        {1883, IDS_TIP_DIRECTORY_COMPARE, "edit-find-replace"},
        {1858, IDS_TIP_REFRESH, "view-refresh"},
        {536, IDS_TIP_GO_BACK, "go-previous"},
    };
    return buttons;
}

const std::vector<ColumnButton>& button_column()
{
    static const std::vector<ColumnButton> buttons = {
        {1875, IDS_BTN_COLUMN_CONNECT},  {2011, 0},
        {7888, IDS_BTN_COLUMN_HELP},     {1880, IDS_BTN_COLUMN_CHMOD},
        {1873, IDS_BTN_COLUMN_MKDIR},    {1876, IDS_BTN_COLUMN_RENAME},
        {1872, IDS_BTN_COLUMN_DELETE},   {1548, IDS_BTN_COLUMN_VIEW},
        {1877, IDS_BTN_COLUMN_EXEC},     {1879, IDS_BTN_COLUMN_COMMAND},
        {1881, IDS_BTN_COLUMN_EDIT},     {1882, IDS_BTN_COLUMN_DIR_INFO},
        {1869, IDS_BTN_COLUMN_TERMINAL}, {1858, IDS_BTN_COLUMN_REFRESH},
        {1883, IDS_BTN_COLUMN_COMPARE},
    };
    return buttons;
}

const std::vector<int>& hideable_column_buttons()
{
    static const std::vector<int> ids = {1882, 1883, 1881, 1880, 1879, 1877, 1548, 1872, 1876, 1873, 2011};
    return ids;
}

const std::vector<LanguageItem>& language_items()
{
    static const std::vector<LanguageItem> items = {
        {3033, IDS_LANGUAGE_ENGLISH, ""},      {2362, IDS_LANGUAGE_ARABIC, "jo"},
        {537, IDS_LANGUAGE_CZECH, "cz"},       {1192, IDS_LANGUAGE_DUTCH, "nl"},
        {3032, IDS_LANGUAGE_FRENCH, "fr"},     {1193, IDS_LANGUAGE_GERMAN, "de"},
        {538, IDS_LANGUAGE_GREEK, "gr"},       {1194, IDS_LANGUAGE_ITALIAN, "it"},
        {3035, IDS_LANGUAGE_JAPANESE, "jp"},   {3036, IDS_LANGUAGE_KOREAN, "kr"},
        {2365, IDS_LANGUAGE_PORTUGUESE, "pt"}, {2366, IDS_LANGUAGE_SPANISH, "sp"},
        {2399, IDS_LANGUAGE_SWEDISH, "se"},
    };
    return items;
}

bool language_offered(const LanguageItem& item)
{
    static const std::vector<int> withdrawn = {537, 538, 3036, 2362, 2365, 2366, 2399};
    return std::find(withdrawn.begin(), withdrawn.end(), item.command) == withdrawn.end();
}

std::optional<CommandSpec> command_spec(int id)
{
    const auto& table = infos();
    auto it = std::find_if(table.begin(), table.end(), [&](const CommandSpec& s) { return s.id == id; });
    if (it == table.end())
        return std::nullopt;
    return *it;
}

} // namespace kestovan
