// Interactive transfers started from the panes (buttons, drag and drop, paste, context menus):
// downloads of remote files and folders into a local folder, uploads of local files and folders into
// a remote folder, and removal of remote files and folders. Each action shares one answer state for
// its file-exists questions; a session that is not connected keeps the action as a pending operation,
// a busy one hands it to a spawned connection.
#pragma once

#include "shell/folder_walks.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestovan {

struct DirEntry;
struct ShellContext;
class SessionControl;
class RemoteBrowser;

class Transfers {
public:
    Transfers(ShellContext& ctx, SessionControl& sessions, RemoteBrowser& browser);

    // Remote files and folders (children of a listed folder of the session) into local_folder.
    void download_entries(DirEntry* session_node, const std::vector<DirEntry*>& entries,
                          const std::string& local_folder);
    // Local files and folders (full paths) into a remote folder node under a session.
    void upload_items(DirEntry* target_folder, const std::vector<std::string>& local_paths);
    // Removes remote files and folders after "Confirm Delete": DELE for a file, one RMD for a folder
    // (a folder that is not empty stays, with the server's refusal in the log), RMD for a link
    // with DELE when the server refuses that (a link goes as a link; what it points to stays).
    void delete_entries(DirEntry* session_node, const std::vector<DirEntry*>& entries);

    // The same on a connected session's connection, now: pending and spawned operations after their
    // login, and the typed RETR.
    void run_downloads(Session& session, const std::vector<DirEntry*>& entries,
                       const std::string& local_folder);
    void run_uploads(Session& session, DirEntry* target_folder, const LocalChain& items);
    void run_deletes(Session& session, const std::vector<DirEntry*>& entries);

    // Profile nodes among deleted rows (sites, URL profiles, web links, profile folders) belong to the
    // profile tree, which removes them (with their files) through this hook once confirmed.
    std::function<void(DirEntry&)> remove_profile_node;

private:
    struct Action;
    enum class Next {
        GO_ON,
        STOP,
    };
    Next download_one(Session& session, DirEntry& entry, const std::string& folder, bool as_folder,
                      const std::shared_ptr<Action>& action);
    Next download_folder(Session& session, DirEntry& entry, const std::string& folder,
                         const std::shared_ptr<Action>& action);
    Next upload_one(Session& session, DirEntry* target, const LocalEntry& item,
                    const std::shared_ptr<Action>& action);
    void delete_one(Session& session, DirEntry& entry);
    [[nodiscard]] bool session_usable(Session& session) const;

    ShellContext& ctx_;
    SessionControl& sessions_;
    RemoteBrowser& browser_;
    TransferSteps steps_;
    FolderWalks walks_;
};

} // namespace kestovan
