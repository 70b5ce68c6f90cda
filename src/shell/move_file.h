// The Move File dialog (4300, commands 496 and 407-409): a local item moves into a folder typed
// relative to the local pane's folder; a remote entry moves with RNFR/RNTO into a typed remote folder.
//
// The remote target: a typed folder starting with "/" is absolute, anything else is relative to the
// folder the remote list shows; the entry keeps its name there. (Renaming it onto its own place, as
// the dialog's first design did, would have reported a move that never happened.)
#pragma once

#include <string>

namespace kestovan {

struct DirEntry;
struct ShellContext;
class RemoteBrowser;

class MoveFile {
public:
    MoveFile(ShellContext& ctx, RemoteBrowser& browser);

    // Asks for the folder and moves the local item (a full path); true when it moved.
    bool move_local(const std::string& item_path);
    // Asks for the folder and queues RNFR/RNTO for the entry on its session, then lists the shown
    // folder and the target folder (when it is in the tree) again; false when nothing was sent.
    bool move_remote(DirEntry& entry);

private:
    // The folder node below node (itself included) that was listed and stands for path.
    static DirEntry* find_listed_folder(DirEntry& node, const std::string& path);

    ShellContext& ctx_;
    RemoteBrowser& browser_;
};

// The remote target path of an entry moved into typed (absolute, or relative to shown_folder).
[[nodiscard]] std::string remote_move_target(const std::string& shown_folder, const std::string& typed,
                                             const std::string& name);

} // namespace kestovan
