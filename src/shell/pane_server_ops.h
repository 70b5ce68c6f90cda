// The panes' commands that change the server's folders: in-place rename (RNFR/RNTO), Create
// Directory (one MKD per path prefix) and moving rows to another folder of the same server. A session
// that is not connected asks first and runs the rename or the folder creation after login.
#pragma once

#include <string>
#include <vector>

namespace kestovan {

struct DirEntry;
struct ShellContext;
class SessionControl;
class RemoteBrowser;

class PaneServerOps {
public:
    PaneServerOps(ShellContext& ctx, SessionControl& sessions, RemoteBrowser& browser);

    // The label of row was edited to new_name. Profile nodes change only their label and profile
    // name; remote rows are renamed on the server, shown under the new name at once and put back
    // when the server refuses. False when the name is refused without asking the server.
    bool rename(DirEntry* row, const std::string& new_name);
    // Creates typed (which may hold "/") under the shown folder, one MKD per prefix.
    void make_folders(DirEntry* folder, const std::string& typed);
    // Moves rows of the session to target_path on the same server.
    void move_rows(DirEntry* session_node, const std::vector<DirEntry*>& rows,
                   const std::string& target_path);

private:
    void run_rename(DirEntry* row, const std::string& new_name);
    void run_make_folders(DirEntry* folder, const std::string& typed);
    void relist_if_shown(DirEntry* folder);

    ShellContext& ctx_;
    SessionControl& sessions_;
    RemoteBrowser& browser_;
};

// A name the user typed for a row: not empty, not "." or "..", without "/" or NUL (which would put
// the row somewhere else than where it is renamed).
[[nodiscard]] bool is_plain_name(const std::string& name);

// The remote path of a row as its folder lists it: for a link the link itself, not its target.
[[nodiscard]] std::string row_remote_path(const DirEntry& row);

} // namespace kestovan
