#include "views/pane_menus.h"

#include "ui/string_ids.h"

namespace kestovan {
namespace {

bool is_any(const DirEntry* node, std::initializer_list<std::uint8_t> kinds)
{
    if (!node)
        return false;
    for (std::uint8_t kind : kinds) {
        if (node->kind == kind)
            return true;
    }
    return false;
}

} // namespace

bool paste_enabled(bool clipboards_empty, const DirEntry* remote_clip_first, const DirEntry* shown_folder)
{
    if (clipboards_empty)
        return false;
    return !(is_any(remote_clip_first, {KIND_SITE, KIND_PROFILE_FOLDER}) &&
             !is_any(shown_folder, {KIND_SITE, KIND_PROFILE_FOLDER}));
}

std::vector<PaneMenuItem> local_menu(const LocalMenuFacts& f)
{
    using namespace pane_cmd;
    const bool rows = f.selected_rows > 0;
    const bool one_file = f.selected_files == 1 && f.selected_rows == 1;
    return {
        {UPLOAD, IDS_MENU_UPLOAD, rows && f.remote_folder},
        {ADD_BATCH_LOCAL, IDS_MENU_ADD_TO_BATCH,
         rows && f.selected_files == f.selected_rows && f.remote_folder},
        {0, 0, true},
        {OPEN_LOCAL, IDS_MENU_OPEN, rows},
        {VIEW_LOCAL, IDS_MENU_VIEW_FILE, rows},
        {0, 0, true},
        {COPY_LOCAL, IDS_MENU_COPY, rows},
        {PASTE_LOCAL, IDS_MENU_LOCAL_PASTE, !f.clipboards_empty},
        {DELETE_LOCAL, IDS_MENU_DELETE, rows},
        {RENAME_LOCAL, IDS_MENU_RENAME, f.selected_rows == 1},
        {0, 0, true},
        {APPEND_FILE, IDS_MENU_APPEND_FILE, one_file && f.remote_folder},
        {MOVE_LOCAL, IDS_MENU_MOVE_FILE, rows},
        {NEW_FOLDER_LOCAL, IDS_MENU_CREATE_DIRECTORY, true},
        {0, 0, true},
        {REFRESH_LOCAL, IDS_MENU_REFRESH_LOCAL, true},
        {SELECT_ALL_LOCAL, IDS_MENU_SELECT_ALL, true},
    };
}

std::vector<PaneMenuItem> remote_menu(const RemoteMenuFacts& f, bool tree)
{
    using namespace pane_cmd;
    const DirEntry* sel = f.selected;
    const bool rows = f.selected_rows > 0;
    const bool profile_node = is_any(sel, {KIND_SITE, KIND_URL_PROFILE, KIND_PROFILE_FOLDER});
    const bool remote_rows = rows && f.has_session && !is_any(sel, {KIND_URL_PROFILE, KIND_PROFILE_FOLDER});
    const bool live = rows && f.connected;
    std::vector<PaneMenuItem> items;
    if (f.connected)
        items.push_back({tree ? DISCONNECT_TREE : DISCONNECT_LIST, IDS_MENU_DISCONNECT, f.has_session});
    else
        items.push_back({tree ? CONNECT_TREE : CONNECT_LIST, IDS_MENU_CONNECT_SITE, f.has_session});
    if (f.hammering)
        items.push_back({tree ? HAMMER_STOP_TREE : HAMMER_STOP_LIST, IDS_MENU_HAMMER_STOP, true});
    else
        items.push_back({tree ? HAMMER_TREE : HAMMER_LIST, IDS_MENU_HAMMER, f.has_session && !f.connected});
    items.push_back({0, 0, true});
    items.push_back({tree ? DOWNLOAD_TREE : DOWNLOAD_LIST,
                     tree ? IDS_MENU_DOWNLOAD_FOLDER : IDS_MENU_DOWNLOAD_ROWS, remote_rows && !profile_node});
    items.push_back(
        {tree ? ADD_BATCH_TREE : ADD_BATCH_LIST, IDS_MENU_ADD_TO_BATCH, rows && f.only_batchable});
    items.push_back({0, 0, true});
    const bool file_like = !is_any(sel, {KIND_FOLDER, KIND_LINK}) && !profile_node;
    items.push_back({tree ? OPEN_TREE : OPEN_REMOTE, IDS_MENU_OPEN, live && !profile_node});
    items.push_back({tree ? VIEW_TREE : VIEW_REMOTE, IDS_MENU_VIEW_FILE, live && !profile_node});
    items.push_back({tree ? EDIT_TREE : EDIT_LIST, IDS_MENU_EDIT_FILE, live && file_like});
    items.push_back({0, 0, true});
    items.push_back({tree ? COPY_TREE : COPY_REMOTE, IDS_MENU_COPY, rows});
    items.push_back({tree ? PASTE_TREE : PASTE_REMOTE, IDS_MENU_PASTE,
                     paste_enabled(f.clipboards_empty, f.remote_clip_first, f.shown_folder)});
    items.push_back({0, 0, true});
    items.push_back({tree ? MOVE_TREE : MOVE_LIST, IDS_MENU_MOVE_FILE, live && !profile_node});
    items.push_back({tree ? RENAME_TREE : RENAME_REMOTE, IDS_MENU_RENAME, f.selected_rows == 1});
    items.push_back({tree ? DELETE_TREE : DELETE_REMOTE, IDS_MENU_REMOTE_DELETE, rows});
    items.push_back({tree ? MKDIR_TREE : MKDIR_LIST, IDS_MENU_CREATE_DIRECTORY_MKDIR, f.has_session});
    items.push_back({tree ? CHMOD_TREE : CHMOD_LIST, IDS_MENU_FILE_PERMISSIONS_CHMOD,
                     rows && f.has_session && !profile_node && !is_any(sel, {KIND_WEB_LINK})});
    items.push_back({tree ? DIR_INFO_TREE : DIR_INFO_LIST, IDS_MENU_DIRECTORY_INFO_LIST,
                     f.has_session && !is_any(sel, {KIND_URL_PROFILE, KIND_WEB_LINK, KIND_PROFILE_FOLDER})});
    items.push_back({tree ? OTHER_TREE : OTHER_LIST, IDS_MENU_OTHER_COMMAND, f.has_session});
    items.push_back({0, 0, true});
    const bool refresh = is_any(sel, {KIND_URL_PROFILE}) || (f.has_session && f.connected);
    items.push_back(
        {tree ? REFRESH_TREE : REFRESH_LIST, tree ? IDS_MENU_REFRESH : IDS_MENU_REFRESH_LOCAL, refresh});
    if (!tree)
        items.push_back({SELECT_ALL_REMOTE, IDS_MENU_SELECT_ALL, true});
    items.push_back({tree ? PROPERTIES_TREE : PROPERTIES_LIST, IDS_MENU_PROPERTIES, profile_node});
    return items;
}

} // namespace kestovan
