// The file panes' commands: clipboards, paste, delete, rename, Create Directory, uploads and
// downloads of the selection, Select All, the filter masks and drag and drop. They are registered in
// the shell's command table under the ids of the menu items, buttons and keys; what they need of the
// widgets (the selections, label editing, opening files on the desktop) comes through PaneWidgets,
// and transfers go through a TransferPort.
#pragma once

#include "shell/pane_clipboard.h"
#include "shell/pane_drop.h"
#include "shell/pane_server_ops.h"
#include "shell/pane_transfer_port.h"
#include "shell/shell_context.h"

#include <functional>
#include <string>
#include <vector>

namespace kestovan {

class Shell;

// What the commands ask of the panes on screen.
class PaneWidgets {
public:
    virtual ~PaneWidgets() = default;
    [[nodiscard]] virtual std::vector<LocalEntry> local_selection() const = 0;
    [[nodiscard]] virtual std::vector<DirEntry*> remote_selection() const = 0;
    virtual void select_all(FocusPane pane) = 0;
    // Starts the in-place edit of a row's label.
    virtual void edit_local_label(const std::string& path) = 0;
    virtual void edit_remote_label(DirEntry* node, bool in_tree) = 0;
    // Lists the local folder again and makes the row with path the selected one.
    virtual void select_local(const std::string& path) = 0;
    virtual void set_local_mask(const std::string& mask) = 0;
    virtual void list_local(const std::string& folder) = 0;
    // Every row of a list as it shows them, top to bottom.
    [[nodiscard]] virtual std::vector<LocalEntry> local_rows() const = 0;
    [[nodiscard]] virtual std::vector<DirEntry*> remote_rows() const = 0;
    // Selects exactly the rows whose flag is set (one flag per row of local_rows() or remote_rows())
    // and scrolls the first of them into view.
    virtual void select_rows(FocusPane pane, const std::vector<bool>& selected) = 0;
};

class PaneCommands {
public:
    // Registers the commands and gives the local list the mask in force (`lmask`).
    PaneCommands(Shell& shell, PaneWidgets& widgets, TransferPort transfers);
    ~PaneCommands();
    PaneCommands(const PaneCommands&) = delete;
    PaneCommands& operator=(const PaneCommands&) = delete;

    [[nodiscard]] PaneClipboards& clipboards() { return clips_; }
    [[nodiscard]] PaneServerOps& server_ops() { return server_; }

    // Paste of the local list into folder (errors reported, the list read again after copies).
    LocalPasteResult paste_local_clipboard(const std::string& folder);

    // Drag and drop.
    [[nodiscard]] std::unique_ptr<QMimeData> start_local_drag(const std::vector<LocalEntry>& rows) const;
    [[nodiscard]] std::unique_ptr<QMimeData> start_remote_drag(const std::vector<DirEntry*>& rows);
    [[nodiscard]] DropPlan plan(const QMimeData& data, const DropTarget& target) const;
    // Carries out the drop; false when it meant nothing.
    bool drop(const QMimeData& data, const DropTarget& target);

    // In-place rename of a local row (the path it had) or a remote row; false when refused or failed.
    bool rename_local(const std::string& path, const std::string& new_name);
    bool rename_remote(DirEntry* row, const std::string& new_name);

    // Directory compare: selects in both lists the rows the other side lacks or holds with another
    // size, and shows the counts in the status bar.
    void compare();

    // The filter bar: its texts act only while it is shown; hiding it lifts the remote mask only.
    void set_filter_bar(bool shown);
    [[nodiscard]] bool filter_bar_shown() const { return filter_bar_; }
    void apply_local_mask(const std::string& text);
    void apply_remote_mask(const std::string& text);

    // The profile nodes of the remote clipboard pasted into the tree (the profile tree's part).
    std::function<void(const std::vector<RemoteClip>&)> paste_profiles;
    // Profile nodes deleted from the tree (the profile tree's part).
    std::function<void(DirEntry* node)> delete_profile;

private:
    void register_commands();
    void on(int id, std::function<void()> handler);
    void by_focus(int id, int local, int remote, int tree);
    [[nodiscard]] DropContext drop_context() const;
    [[nodiscard]] std::vector<DirEntry*> remote_selected_rows() const; // without ".."
    void copy_local();
    void copy_remote(bool tree);
    void paste_local();
    void paste_remote();
    void delete_local();
    void delete_remote(bool tree);
    void upload_selection();
    void download_selection(bool tree);
    void new_local_folder();
    void create_directory(bool local);
    void open_local(bool viewer);
    void append_file();
    void move_local(const std::vector<std::string>& paths, const std::string& folder);

    std::vector<int> registered_;
    Shell& shell_;
    ShellContext& ctx_;
    PaneWidgets& widgets_;
    TransferPort transfers_;
    PaneClipboards clips_;
    RemoteDrag drag_;
    PaneServerOps server_;
    bool filter_bar_ = false;
};

} // namespace kestovan
