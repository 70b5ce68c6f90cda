// Browsing the remote side: listing requests and their completion into the tree, the folder the
// remote list shows (with its ".." row and filter), navigation by double-click, and downloading
// files through the transfers part.
#pragma once

#include "shell/engine_events.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestovan {

class RemoteBrowser {
public:
    RemoteBrowser(ShellContext& ctx, SessionControl& sessions, EngineEventHandler& events);

    // Lists a folder on the session's connection; with may_spawn, a busy session hands it to a new
    // connection of the same profile.
    void request_listing(Session& session, DirEntry& folder, const std::string& path, bool may_spawn);
    void listing_completed(FtpConnection& conn, DirEntry& folder, bool ok,
                           const std::optional<std::string>& path);
    // The remote path a node is listed with (a link: its target).
    [[nodiscard]] static std::string listing_path(const DirEntry& node);

    // The rows of the remote list for the shown folder: the shared ".." row when it applies, then the
    // children that pass the remote filter.
    [[nodiscard]] std::vector<DirEntry*> rows() const;
    [[nodiscard]] const DirEntry& parent_row() const { return parent_row_; }
    void show_folder(DirEntry* node);
    void select_node(DirEntry* node);
    // Double-click or Enter on a row of the remote list.
    void open_row(DirEntry* row);
    void go_back();
    // Lists the shown folder again (Refresh).
    void refresh();
    // The remote filter applies only while the filter bar is shown.
    void set_remote_mask(std::string mask, bool bar_shown);

    // Downloads go through the transfers part, which sets these when it is made: remote entries into a
    // local folder (asked, pending or spawned as the session's state needs), and the same on a
    // connected session now.
    std::function<void(DirEntry* session_node, const std::vector<DirEntry*>& entries,
                       const std::string& folder)>
        download_entries;
    // A web link opened in the list is fetched over HTTP into the folder (the web part sets it).
    std::function<void(DirEntry& link, const std::string& folder)> download_web_link;
    std::function<void(Session& session, const std::vector<DirEntry*>& entries, const std::string& folder)>
        run_downloads;

    // The status text for a node: the server, or server, "/" and path.
    [[nodiscard]] std::string status_text(const DirEntry* node) const;

private:
    ShellContext& ctx_;
    SessionControl& sessions_;
    EngineEventHandler& events_;
    DirEntry parent_row_;
    std::string remote_mask_;
    bool filter_bar_ = false;
};

} // namespace kestovan
