#include "shell/widgets/bookmarks_menu.h"

#include "shell/bookmarks.h"
#include "shell/shell.h"
#include "ui/string_ids.h"
#include "ui/widgets/language_switcher.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <QTimer>

namespace kestovan {

namespace {

constexpr int MENU_BOOKMARK_ITEM = 222;
// Menu 222 opens a little left of and above the cursor.
constexpr QPoint ITEM_MENU_OFFSET{-20, -10};

QIcon bookmark_icon(const Task& bookmark)
{
    if (bookmark.kind == KIND_LOCAL_FILE)
        return QFileIconProvider().icon(QFileInfo(QString::fromUtf8(bookmark.name.value_or(""))));
    switch (bookmark_image(bookmark)) {
    case 4: return QIcon::fromTheme(QStringLiteral("network-server"));
    case 2: return QIcon::fromTheme(QStringLiteral("text-html"));
    case 9:
        return QIcon::fromTheme(QStringLiteral("folder-remote"), QIcon::fromTheme(QStringLiteral("folder")));
    default:
        return QIcon::fromTheme(QStringLiteral("folder"),
                                QApplication::style()->standardIcon(QStyle::SP_DirIcon));
    }
}

} // namespace

BookmarksMenu::BookmarksMenu(QMenu& menu, QAction& add_item, Bookmarks& bookmarks,
                             std::function<void(int)> send_command)
    : menu_(menu), add_item_(add_item), bookmarks_(bookmarks), send_command_(std::move(send_command))
{
    menu_.installEventFilter(this);
    bookmarks_.menu_changed = [this] { rebuild(); };
    rebuild();
}

BookmarksMenu::~BookmarksMenu()
{
    bookmarks_.menu_changed = nullptr;
}

void BookmarksMenu::rebuild()
{
    for (QAction* item : items_) {
        menu_.removeAction(item);
        item->deleteLater();
    }
    items_.clear();
    const QList<QAction*> all = menu_.actions();
    const int at = static_cast<int>(all.indexOf(&add_item_));
    QAction* before = at >= 0 && at + 1 < all.size() ? all[at + 1] : nullptr;
    for (const auto& bookmark : bookmarks_.list()) {
        auto* item =
            new QAction(bookmark_icon(*bookmark), QString::fromUtf8(bookmark->name.value_or("")), &menu_);
        const int id = bookmark->identifier;
        item->setObjectName(QString::number(id));
        item->setProperty(NO_TRANSLATION_PROPERTY, true);
        connect(item, &QAction::triggered, this, [this, id] { send_command_(id); });
        menu_.insertAction(before, item);
        items_.push_back(item);
    }
}

std::unique_ptr<QMenu> BookmarksMenu::build_item_menu(int id)
{
    auto menu = std::make_unique<QMenu>();
    menu->setObjectName(QString::number(MENU_BOOKMARK_ITEM));
    QAction* remove = menu->addAction(QString());
    remove->setObjectName(QString::number(cmd::DELETE_BOOKMARK));
    bind_string_id(*remove, IDS_MENU_DELETE_BOOKMARK);
    connect(remove, &QAction::triggered, this, [this, id] { bookmarks_.delete_bookmark(id); });
    return menu;
}

bool BookmarksMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &menu_ || event->type() != QEvent::MouseButtonRelease)
        return QObject::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::RightButton)
        return QObject::eventFilter(watched, event);
    QAction* item = menu_.actionAt(mouse->position().toPoint());
    const int id = item ? item->objectName().toInt() : 0;
    if (id < BOOKMARK_FIRST_ID || id > BOOKMARK_LAST_ID)
        return QObject::eventFilter(watched, event);
    // The bookmark menu closes first; menu 222 opens once its loop has ended.
    menu_.close();
    QTimer::singleShot(0, this, [this, id] {
        const std::unique_ptr<QMenu> item_menu = build_item_menu(id);
        item_menu->exec(QCursor::pos() + ITEM_MENU_OFFSET);
    });
    return true;
}

} // namespace kestovan
