// The bookmark items of the Bookmarks menu: one per bookmark after "Add to Bookmarks", with its name,
// its command id (10000 + position) and an image by its kind. A right click on an item closes the
// menu and opens menu 222 with "Delete Bookmark" (474) for that item.
#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QMenu;

namespace kestovan {

class Bookmarks;

class BookmarksMenu : public QObject {
public:
    // The items go after add_item in menu; choosing one sends its id through send_command.
    BookmarksMenu(QMenu& menu, QAction& add_item, Bookmarks& bookmarks,
                  std::function<void(int)> send_command);
    ~BookmarksMenu() override;

    // Takes out the old items and puts in one per bookmark, with the ids the bookmarks hold now.
    void rebuild();
    [[nodiscard]] const std::vector<QAction*>& items() const { return items_; }
    // Menu 222 for a bookmark item, at the cursor.
    [[nodiscard]] std::unique_ptr<QMenu> build_item_menu(int id);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMenu& menu_;
    QAction& add_item_;
    Bookmarks& bookmarks_;
    std::function<void(int)> send_command_;
    std::vector<QAction*> items_;
};

} // namespace kestovan
