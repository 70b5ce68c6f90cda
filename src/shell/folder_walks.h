// Folder transfers and folder removal on one connection, driven by completions: a folder download
// goes on when the folder's LIST completes, a folder upload when the connection reaches the queue
// marker placed after the folder's MKD, and a folder removal lists the folder, deletes what it holds
// and sends RMD once its sub-folders are gone.
#pragma once

#include "shell/transfer_steps.h"
#include "views/folder_transfer.h"

#include <functional>
#include <memory>
#include <string>

namespace kestovan {

// What one walk shares across its completions.
struct FolderWalk {
    std::string root;      // the local folder the user chose: nothing is written or read outside it
    FolderWalkGuard guard; // remote paths listed (downloads) or local folders read (uploads)
    std::string mask;      // uploads: the local mask for files
    std::uint8_t name_case = 0;
    DirEntry* top = nullptr; // uploads: the remote folder node the walk started in
};

class FolderWalks {
public:
    FolderWalks(ShellContext& ctx, TransferSteps& steps) : ctx_(ctx), steps_(steps) {}

    // Downloads the remote folder remote_path into local_folder (created here, under walk.root); node
    // is its tree node when it has one, so that the listing also updates the tree.
    void download_folder(FtpConnection& conn, const std::shared_ptr<FolderWalk>& walk, DirEntry* node,
                         const std::string& remote_path, const std::string& local_folder, int depth);
    // Uploads the rows of local_folder (scanned with walk.mask) into remote_path, which exists or has
    // been asked for with MKD; node is the remote folder's tree node when known.
    void upload_folder(FtpConnection& conn, const std::shared_ptr<FolderWalk>& walk, DirEntry* node,
                       const std::string& local_folder, const std::string& remote_path, int depth);
    // RMD of path (the folder's content is not removed first: a server refuses a folder that is not
    // empty, and says so in the session log); a path with a blank is entered first (its parent) and
    // removed by its last segment.
    FtpCommand* send_remove_folder(FtpConnection& conn, const std::string& path, CommandCallback done);

private:
    void folder_listed(FtpConnection& conn, const std::shared_ptr<FolderWalk>& walk, DirEntry* node,
                       const std::string& remote_path, const std::string& local_folder, int depth, bool ok);
    // The entries of a listing that conn received for remote_path (merged into node when it is alive).
    EntryChain parse_received(FtpConnection& conn, DirEntry* node, const std::string& remote_path);
    ShellContext& ctx_;
    TransferSteps& steps_;
};

} // namespace kestovan
