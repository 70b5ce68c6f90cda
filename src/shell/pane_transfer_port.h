// What the panes ask of the interactive transfers: the three calls, as functions, so the panes'
// logic can be driven in tests with a recorder in place of the shell's transfers.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kestovan {

struct DirEntry;
class Transfers;

struct TransferPort {
    // Remote entries of the session into a local folder.
    std::function<void(DirEntry* session_node, const std::vector<DirEntry*>& entries,
                       const std::string& local_folder)>
        download;
    // Local files and folders (full paths) into a remote folder node.
    std::function<void(DirEntry* target_folder, const std::vector<std::string>& local_paths)> upload;
    // Remote files and folders of the session, after their questions.
    std::function<void(DirEntry* session_node, const std::vector<DirEntry*>& entries)> remove;
};

// The port over the shell's transfers.
[[nodiscard]] TransferPort transfer_port(Transfers& transfers);

} // namespace kestovan
