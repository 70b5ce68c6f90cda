// What the shell logic asks of the window layer: redraws and small window actions. The main window
// implements it; tests use the do-nothing base or record the calls.
#pragma once

#include "settings/event_sounds.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

struct DirEntry;
struct SiteProfile;

class ShellView {
public:
    virtual ~ShellView() = default;
    virtual void tree_item_changed(DirEntry&) {}
    virtual void tree_children_changed(DirEntry&) {}
    virtual void tree_node_removing(DirEntry&) {}
    virtual void remote_list_changed() {}
    virtual void local_list_changed() {}
    // A downloaded file now stands at path, directly in the folder the local pane shows: its row is
    // updated or added (refresh_row); a window without rows of its own lists the folder again.
    virtual void local_file_added(const std::string& path)
    {
        (void)path;
        local_list_changed();
    }
    virtual void command_states_changed() {}
    virtual void title_changed() {}
    virtual void recent_profiles_changed() {}
    virtual void select_tree_node(DirEntry&) {}
    virtual void open_profile_manager(DirEntry*) {}
    virtual void terminal_log_changed(SiteProfile*) {}
    // The current session moved to another profile: the main log pane shows that profile's log.
    virtual void current_profile_changed(SiteProfile*) {}
    // A command id posted to the main window's command table (2011 after "connect first?").
    virtual void post_command(int) {}
    // An edit whose editor ran on its own (it handed the file to an editor already running): while
    // watching, text tells the user that saves are uploaded and the window offers to end the edit
    // (ViewEdit::finish_editing); watching false takes that offer away.
    virtual void editing_watch_changed(bool watching, const std::string& text)
    {
        (void)watching;
        (void)text;
    }
    // The local list's selected item (full path), for commands that act on it; none by default.
    [[nodiscard]] virtual std::optional<std::string> selected_local_item() const { return std::nullopt; }
};

} // namespace kestovan
