#include "shell/pane_transfer_port.h"

#include "shell/transfers.h"

namespace kestovan {

TransferPort transfer_port(Transfers& transfers)
{
    TransferPort port;
    port.download = [&transfers](DirEntry* session_node, const std::vector<DirEntry*>& entries,
                                 const std::string& folder) {
        transfers.download_entries(session_node, entries, folder);
    };
    port.upload = [&transfers](DirEntry* target, const std::vector<std::string>& paths) {
        transfers.upload_items(target, paths);
    };
    port.remove = [&transfers](DirEntry* session_node, const std::vector<DirEntry*>& entries) {
        transfers.delete_entries(session_node, entries);
    };
    return port;
}

} // namespace kestovan
