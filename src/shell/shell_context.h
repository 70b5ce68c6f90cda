// The state the shell's parts share: the engine and its window, the settings, the prompts, the
// session records, the profile tree, the selection, the log, the Tasks rows and the status bar. Each
// part of the shell (sessions, hammering, engine events, browsing, typed commands) works on it.
#pragma once

#include "engine/engine.h"
#include "queue/task.h"
#include "shell/session.h"
#include "shell/session_log.h"
#include "shell/shell_view.h"
#include "shell/status_bar.h"
#include "shell/task_rows.h"
#include "views/dir_entry.h"
#include "views/rename_rules.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestovan {

class Prompts;
class Settings;
class Window;

// The controls that can have the focus, by their numbers.
enum FocusPane : int {
    FOCUS_LOCAL = 1779,
    FOCUS_REMOTE = 1218,
    FOCUS_TREE = 1668,
};

struct ShellContext {
    ShellContext(Window& window, Engine& engine, Settings& settings, Prompts& prompts, Sounds& sounds);

    Window& window;
    Engine& engine;
    Settings& settings;
    Prompts& prompts;
    Sounds& sounds;
    ShellView* view; // never null: a do-nothing view until the window sets its own

    SessionLog log;
    TaskRows tasks;
    StatusBar status;

    EntryChain tree;                                // the top-level nodes of the profile tree
    std::vector<std::unique_ptr<Session>> sessions; // every session record, with pending ones

    DirEntry* current_session_node = nullptr; // the node whose session the remote pane shows
    DirEntry* selected = nullptr;             // the selected node (tree or remote list)
    DirEntry* shown_folder = nullptr;         // the node whose children the remote list shows
    DirEntry* previous_folder = nullptr;      // for Go Back
    FocusPane focus = FOCUS_TREE;
    bool unattended = false; // option -y
    std::string local_folder;
    std::uint8_t transfer_mode = MODE_BINARY;
    std::filesystem::path working_folder;      // where config.ini, Profiles and ftp.sav live
    const RenameRules* rename_rules = nullptr; // the user's automatic renaming rules

    // Runs fn once the current message has been handled (after the engine call that is on the
    // stack has returned).
    void defer(std::function<void()> fn);
    // Posts a command to the command table, as a menu item or button would.
    void post_command(int command);
    // The boxes other parts ask for while they are inside an engine call: shown once it returned,
    // "Upload Error" with an error icon, or "File Error" without one.
    void post_error_box(bool upload_error, std::string text);

    // Takes a remote entry out of the tree: the view lets go of it first, and the selection, the
    // shown folder and every other node the shell holds move off it.
    void remove_remote_node(DirEntry& node);

    // --- sessions ---
    Session& new_session(SiteProfile& profile); // inserted at the head of the profile's list
    void unlink_session(Session& session);      // from its profile's list
    void free_session(Session& session);        // unlinked, detached from rows, freed
    [[nodiscard]] Session* find_session(const void* owner) const;
    [[nodiscard]] Session* session_of(const FtpConnection* conn) const;
    // The connection of a session while the engine still knows it.
    [[nodiscard]] FtpConnection* live_connection(const Session& session) const;

    // --- nodes ---
    [[nodiscard]] static DirEntry* site_node_of(DirEntry* node); // nearest kind 3 at or above
    // True while the node is in the tree (nodes go when folders are listed afresh or profiles
    // deleted; callbacks that outlive them check first).
    [[nodiscard]] bool node_alive(const DirEntry* node) const;
    [[nodiscard]] static SiteProfile* profile_of(const DirEntry* node);
    [[nodiscard]] static Session* first_session(const DirEntry* node);
    [[nodiscard]] bool is_connected(const DirEntry* node) const;
    [[nodiscard]] bool is_transferring(const DirEntry* node) const;
    [[nodiscard]] bool is_busy(const DirEntry* node) const;
    [[nodiscard]] static std::string server_of(const SiteProfile* profile);
    [[nodiscard]] bool binary() const { return transfer_mode == MODE_BINARY; }

    ~ShellContext();

private:
    ShellView null_view_;
    std::vector<std::function<void()>> deferred_;
    int filter_id_ = 0;
};

// The private message that runs deferred calls.
inline constexpr std::uint32_t WM_SHELL_DEFERRED = 0x0400 + 0x300;

} // namespace kestovan
