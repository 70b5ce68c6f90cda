// Drag and drop between the panes and from the desktop: what a drag carries, and what a drop on a
// given row of a given pane means. Local rows carry their paths (also as text/uri-list, so other
// programs take them); remote rows stay in a RemoteDrag record and the data carries its serial, so a
// drop never reaches a node through a stale pointer. Files from the desktop arrive as text/uri-list.
#pragma once

#include "views/dir_entry.h"
#include "views/local_entry.h"

#include <QMimeData>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestovan {

inline constexpr char MIME_LOCAL_ROWS[] = "application/x-kestovan-local-rows";
inline constexpr char MIME_REMOTE_ROWS[] = "application/x-kestovan-remote-rows";

// The data of a drag from the local list (".." and volume rows left out); null when nothing is left.
[[nodiscard]] std::unique_ptr<QMimeData> local_drag_data(const std::vector<LocalEntry>& rows);

// The remote rows being dragged, from the list or the tree.
class RemoteDrag {
public:
    // Starts a drag of rows (".." left out) of the session shown; null when nothing is left.
    [[nodiscard]] std::unique_ptr<QMimeData> start(DirEntry* session_node,
                                                   const std::vector<DirEntry*>& rows);
    // The rows of data when it comes from the current drag, else empty.
    [[nodiscard]] const std::vector<DirEntry*>* rows_of(const QMimeData& data) const;
    [[nodiscard]] DirEntry* session_node() const { return session_node_; }

private:
    unsigned serial_ = 0;
    DirEntry* session_node_ = nullptr;
    std::vector<DirEntry*> rows_;
};

enum class DropPane {
    LOCAL_LIST,
    REMOTE_LIST,
    REMOTE_TREE,
};

struct DropTarget {
    DropPane pane = DropPane::LOCAL_LIST;
    const LocalEntry* local_row = nullptr; // the local row under the cursor, if any
    DirEntry* remote_row = nullptr;        // the remote row or tree node under the cursor, if any
};

// What the panes show when the drop happens.
struct DropContext {
    DirEntry* shown_folder = nullptr;
    DirEntry* selected = nullptr;
    std::string local_folder;                    // "" while the volume list is shown
    std::function<bool(const DirEntry*)> alive;  // the node is still in the tree
    std::function<DirEntry*(DirEntry*)> site_of; // the site node above a node
};

enum class DropKind {
    NONE,
    UPLOAD,         // local rows into a remote folder node
    DESKTOP_UPLOAD, // files from another program into a remote folder node
    LOCAL_MOVE,     // local rows into a local folder
    DOWNLOAD,       // remote rows into a local folder
    REMOTE_MOVE,    // remote rows into another folder on the same server
    PROFILE_MOVE,   // profile nodes into a profile folder of the tree (their files with them)
};

struct DropPlan {
    DropKind kind = DropKind::NONE;
    std::vector<std::string> local_paths; // UPLOAD, DESKTOP_UPLOAD, LOCAL_MOVE
    std::vector<DirEntry*> remote_rows;   // DOWNLOAD, REMOTE_MOVE, PROFILE_MOVE
    DirEntry* session_node = nullptr;     // DOWNLOAD, REMOTE_MOVE: the session of the rows
    DirEntry* remote_target = nullptr;    // UPLOAD, DESKTOP_UPLOAD, PROFILE_MOVE: the folder node
    std::string target_path;              // LOCAL_MOVE, DOWNLOAD: local folder; REMOTE_MOVE: remote path
};

[[nodiscard]] DropPlan plan_drop(const QMimeData& data, const DropTarget& target, const DropContext& ctx,
                                 const RemoteDrag& drag);

// The remote folder path a ".." row stands for below the shown folder: its path cut at the last "/".
[[nodiscard]] std::string parent_remote_path(const std::string& path);

} // namespace kestovan
