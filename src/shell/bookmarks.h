// Bookmarks: remembered places - a remote file or folder of a site, a profile folder, a local file or
// folder - shown as items of the Bookmarks menu under the command ids 10000 + position. Opening a
// remote one connects a temporary node that leaves the tree when its session ends. The list is kept
// in config.ini with the queue.
#pragma once

#include "queue/task.h"

#include <functional>
#include <optional>
#include <string>

namespace kestovan {

struct ShellContext;
class SessionControl;
class RemoteBrowser;

inline constexpr int BOOKMARK_LAST_ID = 10999;

class Bookmarks {
public:
    Bookmarks(ShellContext& ctx, SessionControl& sessions, RemoteBrowser& browser, TaskList& list);

    // Add to Bookmarks (469): the selected local item (its full path, with the local list focused),
    // else the selected remote node of a site. False when there is nothing to bookmark.
    bool add_bookmark(const std::optional<std::string>& local_item);
    // A Bookmarks menu item (10000-10999).
    void open_bookmark(int id);
    // Delete Bookmark (474): the record goes; the others keep their ids until the menu is rebuilt.
    void delete_bookmark(int id);
    // Gives the bookmarks the ids 10000, 10001, ... in list order and lets the menu follow.
    void rebuild_bookmarks_menu();

    [[nodiscard]] Task* find(int id) const;
    [[nodiscard]] const TaskList& list() const { return list_; }

    // The menu's items are built again from the list (after a rebuild or a deletion).
    std::function<void()> menu_changed;
    // A local bookmark: the local pane shows folder and selects the item at path in it.
    std::function<void(const std::string& folder, const std::string& path)> show_local;

private:
    bool add_remote_bookmark();
    ShellContext& ctx_;
    SessionControl& sessions_;
    RemoteBrowser& browser_;
    TaskList& list_;
};

// The image of a bookmark's menu item by its kind: site 4, URL profile or web link 2, profile folder
// 9, anything else 1. Local files take their file type's image, which the window chooses.
[[nodiscard]] int bookmark_image(const Task& bookmark);

} // namespace kestovan
