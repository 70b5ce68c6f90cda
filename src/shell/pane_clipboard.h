// The panes' two clipboards and what Paste does with them. Copy in either list empties both; the
// local clipboard holds copies of local rows, the remote one copies of remote rows (for what the
// menus show) with the nodes they were taken from (for transfers, used only while the node is still
// in the tree, since a folder listed afresh may have replaced it).
#pragma once

#include "shell/pane_transfer_port.h"
#include "views/dir_entry.h"
#include "views/local_entry.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestovan {

class Prompts;

struct RemoteClip {
    std::unique_ptr<DirEntry> copy; // the row's fields, without children or profile
    DirEntry* original = nullptr;   // non-owning; check it is alive before use
};

class PaneClipboards {
public:
    // Copy in the local list: the selected rows, ".." and volume rows left out.
    void copy_local(const std::vector<LocalEntry>& rows);
    // Copy in the remote list (the selected rows, ".." left out) or the tree (the shown folder).
    void copy_remote(DirEntry* session_node, const std::vector<DirEntry*>& rows);
    void clear();

    [[nodiscard]] const LocalChain& local() const { return local_; }
    [[nodiscard]] const std::vector<RemoteClip>& remote() const { return remote_; }
    [[nodiscard]] DirEntry* session_node() const { return session_node_; }
    [[nodiscard]] DirEntry* remote_first() const;
    [[nodiscard]] bool empty() const { return local_.empty() && remote_.empty(); }

private:
    LocalChain local_;
    std::vector<RemoteClip> remote_;
    DirEntry* session_node_ = nullptr;
};

// A copy of a remote row's own fields (no children, no profile); the session pointer is kept.
[[nodiscard]] std::unique_ptr<DirEntry> copy_remote_row(const DirEntry& row);

using NodeAlive = std::function<bool(const DirEntry*)>;

struct LocalPasteResult {
    int copied = 0;                  // local files copied
    bool cancelled = false;          // Cancel at a file-exists question
    bool downloaded = false;         // the remote clipboard went to the transfers
    std::vector<std::string> failed; // targets that could not be written
};

// Paste in the local list into folder: the local clipboard's files are copied (an existing target
// asks Yes, No, Yes to All, Cancel); with an empty local clipboard the remote clipboard's live
// entries are downloaded.
LocalPasteResult paste_local(const PaneClipboards& clips, const std::string& folder, Prompts& prompts,
                             const TransferPort& transfers, const NodeAlive& alive);

// Paste on the remote side into the shown folder: the local clipboard is uploaded; otherwise, when
// the remote clipboard starts with a site or URL profile, paste_profiles gets the copies (remote
// files and folders are not pasted on the remote side). True when anything was handed on.
bool paste_remote(const PaneClipboards& clips, DirEntry* shown_folder, const TransferPort& transfers,
                  const std::function<void(const std::vector<RemoteClip>&)>& paste_profiles);

} // namespace kestovan
