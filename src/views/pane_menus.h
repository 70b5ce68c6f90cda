// The context menus of the local list, the remote list and the tree: their items, by command id, and
// which of them are enabled for the selection, the connection and the clipboards.
#pragma once

#include "views/dir_entry.h"

#include <vector>

namespace kestovan {

// Command ids of the panes' menu items and keys.
namespace pane_cmd {
// Local list.
inline constexpr int UPLOAD = 389; // also ">>"
inline constexpr int ADD_BATCH_LOCAL = 461;
inline constexpr int OPEN_LOCAL = 378;
inline constexpr int VIEW_LOCAL = 411;
inline constexpr int COPY_LOCAL = 421;
inline constexpr int PASTE_LOCAL = 422;
inline constexpr int DELETE_LOCAL = 218;
inline constexpr int RENAME_LOCAL = 377;
inline constexpr int APPEND_FILE = 7901;
inline constexpr int MOVE_LOCAL = 407;
inline constexpr int NEW_FOLDER_LOCAL = 386;
inline constexpr int REFRESH_LOCAL = 7902;
inline constexpr int SELECT_ALL_LOCAL = 7903;
// Remote list.
inline constexpr int CONNECT_LIST = 437;
inline constexpr int DISCONNECT_LIST = 440;
inline constexpr int HAMMER_LIST = 438;
inline constexpr int HAMMER_STOP_LIST = 439;
inline constexpr int DOWNLOAD_LIST = 387;
inline constexpr int ADD_BATCH_LIST = 462;
inline constexpr int OPEN_REMOTE = 412;
inline constexpr int VIEW_REMOTE = 401;
inline constexpr int EDIT_LIST = 418;
inline constexpr int COPY_REMOTE = 423;
inline constexpr int PASTE_REMOTE = 424;
inline constexpr int MOVE_LIST = 408;
inline constexpr int RENAME_REMOTE = 384;
inline constexpr int DELETE_REMOTE = 383;
inline constexpr int MKDIR_LIST = 410;
inline constexpr int CHMOD_LIST = 405;
inline constexpr int DIR_INFO_LIST = 420;
inline constexpr int OTHER_LIST = 443;
inline constexpr int REFRESH_LIST = 394;
inline constexpr int SELECT_ALL_REMOTE = 7904;
inline constexpr int PROPERTIES_LIST = 441;
// Tree.
inline constexpr int CONNECT_TREE = 399;
inline constexpr int DISCONNECT_TREE = 400;
inline constexpr int HAMMER_TREE = 426;
inline constexpr int HAMMER_STOP_TREE = 427;
inline constexpr int DOWNLOAD_TREE = 395;
inline constexpr int ADD_BATCH_TREE = 463;
inline constexpr int OPEN_TREE = 7905;
inline constexpr int VIEW_TREE = 7906;
inline constexpr int EDIT_TREE = 419;
inline constexpr int COPY_TREE = 349;
inline constexpr int PASTE_TREE = 350;
inline constexpr int MOVE_TREE = 409;
inline constexpr int RENAME_TREE = 396;
inline constexpr int DELETE_TREE = 322;
inline constexpr int MKDIR_TREE = 398;
inline constexpr int CHMOD_TREE = 397;
inline constexpr int DIR_INFO_TREE = 436;
inline constexpr int OTHER_TREE = 444;
inline constexpr int REFRESH_TREE = 393;
inline constexpr int PROPERTIES_TREE = 323;
// Main window commands that act on the pane with the focus.
inline constexpr int EDIT_COPY = 318;
inline constexpr int EDIT_PASTE = 359;
inline constexpr int EDIT_DELETE = 534;
inline constexpr int MENU_DELETE = 498;
inline constexpr int BUTTON_DELETE = 1872;
inline constexpr int MENU_RENAME = 497;
inline constexpr int BUTTON_RENAME = 1876;
inline constexpr int MENU_MKDIR = 490;
inline constexpr int BUTTON_MKDIR = 1873;
inline constexpr int DOWNLOAD_BUTTON = 1222; // "<<"
inline constexpr int UPLOAD_BUTTON = 1223;   // ">>"
} // namespace pane_cmd

struct PaneMenuItem {
    int command = 0; // 0: a separator
    int string_id = 0;
    bool enabled = true;
    bool operator==(const PaneMenuItem&) const = default;
};

// What the local menu depends on.
struct LocalMenuFacts {
    int selected_rows = 0;      // ".." and volume rows not counted
    int selected_files = 0;     // of those, files
    bool remote_folder = false; // a remote folder with a session is shown (uploads have a target)
    bool clipboards_empty = true;
};

// What the remote list's and the tree's menus depend on.
struct RemoteMenuFacts {
    const DirEntry* selected = nullptr; // the tree's node, or the list's first selected row
    int selected_rows = 0;              // ".." not counted
    bool only_batchable = false;        // every selected row is a file or web link
    bool has_session = false;           // the selection (or the shown folder) belongs to a site
    bool connected = false;
    bool hammering = false;
    bool clipboards_empty = true;
    const DirEntry* remote_clip_first = nullptr;
    const DirEntry* shown_folder = nullptr;
};

[[nodiscard]] std::vector<PaneMenuItem> local_menu(const LocalMenuFacts& facts);
[[nodiscard]] std::vector<PaneMenuItem> remote_menu(const RemoteMenuFacts& facts, bool tree);

// Paste is greyed when both clipboards are empty, or when the remote clipboard holds site or
// profile-folder nodes and the shown folder is neither a site nor a profile folder.
[[nodiscard]] bool paste_enabled(bool clipboards_empty, const DirEntry* remote_clip_first,
                                 const DirEntry* shown_folder);

} // namespace kestovan
