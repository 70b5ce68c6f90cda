#include "profiles/widgets/profile_manager_window.h"

#include "profiles/widgets/profile_pages.h"
#include "ui/language.h"
#include "ui/string_ids.h"
#include "ui/widgets/dialog_memory.h"
#include "ui/widgets/language_switcher.h"
#include "ui/widgets/window_fit.h"

#include <QAction>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kestovan {

namespace {

constexpr int DEFAULT_WIDTH = 580;
constexpr int DEFAULT_HEIGHT = 400;
constexpr int TREE_WIDTH = 150;
constexpr int TREE_CONTROL = 2204;
constexpr int PAGES_CONTROL = 1934;
// Its place is kept under this dialog number.
constexpr int FORM_PROFILE_MANAGER_WINDOW = 228;

enum class Command {
    CONNECT,
    HAMMER,
    NEW_PROFILE,
    NEW_LINK,
    NEW_FOLDER,
    COPY,
    PASTE,
    RENAME,
    DELETE,
    SAVE,
    CLOSE,
    CANCEL,
};

// The same command under each of its identifiers (menu bar, context menu, buttons).
const std::map<int, Command>& command_ids()
{
    static const std::map<int, Command> ids = {
        {509, Command::CONNECT},     {526, Command::CONNECT},     {1875, Command::CONNECT},
        {510, Command::HAMMER},      {533, Command::HAMMER},      {2011, Command::HAMMER},
        {522, Command::NEW_PROFILE}, {527, Command::NEW_PROFILE}, {1870, Command::NEW_PROFILE},
        {523, Command::NEW_LINK},    {529, Command::NEW_LINK},    {524, Command::NEW_FOLDER},
        {528, Command::NEW_FOLDER},  {513, Command::COPY},        {531, Command::COPY},
        {514, Command::PASTE},       {532, Command::PASTE},       {515, Command::RENAME},
        {516, Command::DELETE},      {525, Command::DELETE},      {535, Command::SAVE},
        {1906, Command::SAVE},       {530, Command::CLOSE},       {2, Command::CANCEL},
        {1217, Command::CANCEL},
    };
    return ids;
}

struct MenuItem {
    int id = 0; // 0: a separator
    int string_id = 0;
};
// The menu bar (273) and the tree's context menu (271).
const std::vector<std::pair<int, std::vector<MenuItem>>>& menu_bar()
{
    static const std::vector<std::pair<int, std::vector<MenuItem>>> menus = {
        {IDS_MENU_FILE,
         {{522, IDS_PM_NEW_FTP_PROFILE},
          {523, IDS_PM_NEW_LINK},
          {524, IDS_PM_NEW_FOLDER},
          {0, 0},
          {509, IDS_PM_CONNECT},
          {510, IDS_PM_HAMMER},
          {0, 0},
          {535, IDS_PM_SAVE},
          {530, IDS_PM_CLOSE}}},
        {IDS_MENU_EDIT,
         {{513, IDS_PM_COPY}, {514, IDS_PM_PASTE}, {515, IDS_PM_RENAME}, {516, IDS_PM_DELETE}}},
    };
    return menus;
}
const std::vector<MenuItem>& context_items()
{
    static const std::vector<MenuItem> items = {
        {526, IDS_PM_CONNECT},
        {533, IDS_PM_HAMMER},
        {0, 0},
        {527, IDS_PM_NEW_FTP_PROFILE},
        {529, IDS_PM_NEW_LINK},
        {528, IDS_PM_NEW_FOLDER},
        {0, 0},
        {531, IDS_PM_COPY},
        {532, IDS_PM_PASTE},
        {515, IDS_PM_RENAME},
        {525, IDS_PM_DELETE},
    };
    return items;
}

bool command_enabled(Command command, const ManagerEnables& e)
{
    switch (command) {
    case Command::CONNECT:
    case Command::HAMMER: return e.connect;
    case Command::COPY: return e.copy;
    case Command::PASTE: return e.paste;
    case Command::RENAME: return e.rename;
    case Command::DELETE: return e.remove;
    case Command::SAVE: return e.save;
    case Command::NEW_PROFILE:
    case Command::NEW_LINK:
    case Command::NEW_FOLDER:
    case Command::CLOSE:
    case Command::CANCEL: return true;
    }
    return true;
}

QIcon kind_icon(std::uint8_t kind)
{
    switch (kind) {
    case KIND_PROFILE_FOLDER: return QIcon::fromTheme(QStringLiteral("folder"));
    case KIND_URL_PROFILE: return QIcon::fromTheme(QStringLiteral("text-html"));
    default: return QIcon::fromTheme(QStringLiteral("network-server"));
    }
}

DirEntry* node_of(QTreeWidgetItem* item)
{
    return item ? reinterpret_cast<DirEntry*>(item->data(0, Qt::UserRole).value<quintptr>()) : nullptr;
}

QTreeWidgetItem* item_of(const DirEntry* node)
{
    return node ? static_cast<QTreeWidgetItem*>(node->tree_item) : nullptr;
}

class QuietScope {
public:
    explicit QuietScope(int& counter) : counter_(counter) { ++counter_; }
    ~QuietScope() { --counter_; }
    QuietScope(const QuietScope&) = delete;
    QuietScope& operator=(const QuietScope&) = delete;

private:
    int& counter_;
};

} // namespace

ProfileManagerWindow::ProfileManagerWindow(Prompts& prompts, const Settings& settings,
                                           ProfileClipboard& clipboard, const std::filesystem::path& profiles,
                                           ProfileSessions* sessions, QWidget* parent)
    : QMainWindow(parent), model_(prompts, settings, clipboard, profiles, sessions),
      edits_(std::make_unique<PageEdits>())
{
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QString::number(FORM_PROFILE_MANAGER));
    set_form_number(*this, FORM_PROFILE_MANAGER);
    bind_string_id(*this, IDS_DLG_PROFILE_MANAGER);
    model_.set_view(this);

    edits_->text = [this](FormControl control, const std::string& text) {
        model_.edit_text(control, text);
        update_enables();
    };
    edits_->check = [this](FormControl control, bool on) {
        model_.edit_check(control, on);
        update_enables();
    };
    edits_->encryption = [this](std::uint8_t encryption) {
        model_.edit_encryption(encryption);
        update_enables();
    };
    edits_->name_line = [this](int line) { model_.choose_name_line(line); };

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    auto* split = new QSplitter(Qt::Horizontal, central);
    tree_ = new QTreeWidget(split);
    tree_->setObjectName(QString::number(TREE_CONTROL));
    tree_->setHeaderHidden(true);
    tree_->setMinimumWidth(TREE_WIDTH);
    tree_->setProperty(NO_TRANSLATION_PROPERTY, true);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->setEditTriggers(QAbstractItemView::EditKeyPressed);
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (quiet_ == 0 && current)
            model_.select(node_of(current));
    });
    connect(tree_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        DirEntry* node = node_of(item);
        if (quiet_ != 0 || !node)
            return;
        const std::string text = item->text(0).toStdString();
        if (!model_.rename_entry(*node, text) || node->name != text) {
            QuietScope quiet(quiet_);
            item->setText(0, QString::fromUtf8(node->name));
        }
    });
    connect(tree_, &QWidget::customContextMenuRequested, this, &ProfileManagerWindow::context_menu);

    auto* right = new QWidget(split);
    auto* column = new QVBoxLayout(right);
    column->setContentsMargins(0, 0, 0, 0);
    pages_ = new QTabWidget(right);
    pages_->setObjectName(QString::number(PAGES_CONTROL));
    ftp_page_ = new FtpServerPage(*edits_, pages_);
    url_page_ = new UrlPage(*edits_, pages_);
    folder_page_ = new FolderPage(*edits_, pages_);
    pages_->addTab(ftp_page_, QString::fromUtf8(load_string(IDS_PAGE_FTP_SERVER)));
    pages_->addTab(url_page_, QString::fromUtf8(load_string(IDS_PAGE_URL)));
    pages_->addTab(folder_page_, QString::fromUtf8(load_string(IDS_PAGE_FOLDER)));
    bind_tab_ids(*pages_, {IDS_PAGE_FTP_SERVER, IDS_PAGE_URL, IDS_PAGE_FOLDER});
    column->addWidget(pages_, 1);
    build_buttons(*column);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 3);

    row->addWidget(split);
    setCentralWidget(central);
    build_menus();
    statusBar()->setProperty(NO_TRANSLATION_PROPERTY, true);
    resize(DEFAULT_WIDTH, DEFAULT_HEIGHT);
}

ProfileManagerWindow::~ProfileManagerWindow()
{
    model_.set_view(nullptr);
}

void ProfileManagerWindow::build_menus()
{
    auto make = [this](const MenuItem& item) {
        auto* action = new QAction(this);
        action->setObjectName(QString::number(item.id));
        bind_string_id(*action, item.string_id);
        connect(action, &QAction::triggered, this, [this, id = item.id] { run_command(id); });
        actions_[item.id] = action;
        return action;
    };
    for (const auto& [title, items] : menu_bar()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(load_string(title)));
        menu->menuAction()->setProperty(STRING_ID_PROPERTY, title);
        for (const MenuItem& item : items) {
            if (item.id == 0)
                menu->addSeparator();
            else
                menu->addAction(make(item));
        }
    }
    for (const MenuItem& item : context_items())
        if (item.id != 0)
            make(item);
    actions_[515]->setShortcut(QKeySequence(Qt::Key_F2));
    actions_[516]->setShortcut(QKeySequence(QKeySequence::Delete));
    actions_[535]->setShortcut(QKeySequence(QKeySequence::Save));
}

void ProfileManagerWindow::build_buttons(QVBoxLayout& column)
{
    auto* row = new QHBoxLayout;
    for (auto [id, string_id] : {std::pair{pm_cmd::CONNECT_BUTTON, IDS_PM_CONNECT},
                                 {pm_cmd::HAMMER_BUTTON, IDS_PM_HAMMER},
                                 {pm_cmd::NEW_BUTTON, IDS_PM_NEW},
                                 {pm_cmd::SAVE_BUTTON, IDS_PM_SAVE},
                                 {pm_cmd::CANCEL_BUTTON, IDS_BTN_CANCEL}}) {
        auto* b = new QPushButton(centralWidget() ? centralWidget() : this);
        b->setObjectName(QString::number(id));
        bind_string_id(*b, string_id);
        connect(b, &QPushButton::clicked, this, [this, id = id] { run_command(id); });
        row->addWidget(b);
        buttons_[id] = b;
    }
    buttons_[pm_cmd::CONNECT_BUTTON]->setDefault(true);
    column.addLayout(row);
}

QPushButton* ProfileManagerWindow::button(int id) const
{
    auto it = buttons_.find(id);
    return it == buttons_.end() ? nullptr : it->second;
}

QAction* ProfileManagerWindow::action(int id) const
{
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void ProfileManagerWindow::open(const DirEntry* start, int mode, DirEntry* edited)
{
    {
        QuietScope quiet(quiet_);
        tree_->clear();
    }
    model_.open(start, mode, edited);
    fill_tree();
    selection_changed();
    if (Language* language = current_language())
        translate_widget_tree(*this, *language);
    restore_geometry();
    // A new profile is filled in from its host name on.
    if ((mode & MANAGER_START_WITH_NEW_PROFILE) && model_.page() == FormPage::FTP_SERVER)
        if (QLineEdit* host = ftp_page_->line_edit(CTL_HOST))
            host->setFocus();
}

bool ProfileManagerWindow::run_command(int id)
{
    auto it = command_ids().find(id);
    if (it == command_ids().end())
        return false;
    if (!command_enabled(it->second, model_.enables()))
        return true;
    switch (it->second) {
    case Command::CONNECT: model_.connect(); break;
    case Command::HAMMER: model_.hammer(); break;
    case Command::NEW_PROFILE: model_.new_entry(KIND_SITE); break;
    case Command::NEW_LINK: model_.new_entry(KIND_URL_PROFILE); break;
    case Command::NEW_FOLDER: model_.new_entry(KIND_PROFILE_FOLDER); break;
    case Command::COPY: model_.copy(); break;
    case Command::PASTE: model_.paste(); break;
    case Command::RENAME: model_.start_rename(); break;
    case Command::DELETE: model_.delete_selection(); break;
    case Command::SAVE: model_.save(); break;
    case Command::CLOSE: model_.close(); break;
    case Command::CANCEL: model_.cancel(); break;
    }
    if (!model_.closed())
        update_enables();
    return true;
}

// --- tree -------------------------------------------------------------------------------------------

QTreeWidgetItem* ProfileManagerWindow::add_item(DirEntry& node, QTreeWidgetItem* parent)
{
    QuietScope quiet(quiet_);
    auto* item = new QTreeWidgetItem(parent ? parent : tree_->invisibleRootItem());
    item->setText(0, QString::fromUtf8(node.name));
    item->setIcon(0, kind_icon(node.kind));
    item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(&node)));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    node.tree_item = item;
    for (auto& child : node.children)
        add_item(*child, item);
    return item;
}

void ProfileManagerWindow::fill_tree()
{
    QuietScope quiet(quiet_);
    // Opening on a new profile has reported that entry already.
    tree_->clear();
    for (const auto& node : model_.tree())
        add_item(*node, nullptr);
}

void ProfileManagerWindow::entry_inserted(DirEntry& node)
{
    QTreeWidgetItem* parent = item_of(node.parent);
    add_item(node, parent);
    if (parent)
        parent->setExpanded(true);
}

void ProfileManagerWindow::entry_removing(DirEntry& node)
{
    QuietScope quiet(quiet_);
    QTreeWidgetItem* item = item_of(&node);
    if (!item)
        return;
    QTreeWidgetItem* parent = item->parent() ? item->parent() : tree_->invisibleRootItem();
    std::unique_ptr<QTreeWidgetItem> taken(parent->takeChild(parent->indexOfChild(item)));
    node.tree_item = nullptr;
}

void ProfileManagerWindow::entry_changed(DirEntry& node)
{
    if (QTreeWidgetItem* item = item_of(&node)) {
        QuietScope quiet(quiet_);
        if (item->text(0) != QString::fromUtf8(node.name))
            item->setText(0, QString::fromUtf8(node.name));
        item->setIcon(0, kind_icon(node.kind));
    }
}

void ProfileManagerWindow::start_label_edit(DirEntry& node)
{
    if (QTreeWidgetItem* item = item_of(&node))
        tree_->editItem(item, 0);
}

void ProfileManagerWindow::context_menu(const QPoint& at)
{
    QMenu menu(this);
    for (const MenuItem& item : context_items()) {
        if (item.id == 0)
            menu.addSeparator();
        else
            menu.addAction(actions_[item.id]);
    }
    menu.exec(tree_->viewport()->mapToGlobal(at));
}

// --- form -------------------------------------------------------------------------------------------

void ProfileManagerWindow::selection_changed()
{
    {
        QuietScope quiet(quiet_);
        QTreeWidgetItem* item = item_of(model_.selection());
        if (item != tree_->currentItem())
            tree_->setCurrentItem(item);
    }
    show_page();
    fill_page();
    statusBar()->showMessage(QString::fromUtf8(model_.status_text()));
    update_enables();
}

void ProfileManagerWindow::show_page()
{
    const FormPage page = model_.page();
    const int index = page == FormPage::FTP_SERVER ? 0
                      : page == FormPage::URL      ? 1
                      : page == FormPage::FOLDER   ? 2
                                                   : -1;
    for (int i = 0; i < pages_->count(); ++i)
        pages_->setTabVisible(i, i == index);
    if (index >= 0)
        pages_->setCurrentIndex(index);
    pages_->setEnabled(index >= 0);
}

void ProfileManagerWindow::fill_page()
{
    const QString caption = QString::fromUtf8(model_.page_caption());
    switch (model_.page()) {
    case FormPage::FTP_SERVER:
        ftp_page_->set_caption(caption);
        ftp_page_->fill(model_.ftp_form(), model_.name_lines(), model_.current_name_line());
        break;
    case FormPage::URL:
        url_page_->set_caption(caption);
        url_page_->fill(model_.link_form());
        break;
    case FormPage::FOLDER:
        folder_page_->set_caption(caption);
        folder_page_->fill(model_.folder_form());
        break;
    case FormPage::NONE: break;
    }
}

void ProfileManagerWindow::form_changed()
{
    fill_page();
    update_enables();
}

void ProfileManagerWindow::name_list_changed()
{
    if (model_.page() == FormPage::FTP_SERVER)
        ftp_page_->fill(model_.ftp_form(), model_.name_lines(), model_.current_name_line());
}

void ProfileManagerWindow::update_enables()
{
    const ManagerEnables e = model_.enables();
    for (auto& [id, action] : actions_)
        action->setEnabled(command_enabled(command_ids().at(id), e));
    const bool ftp = model_.page() == FormPage::FTP_SERVER;
    const bool connect = e.connect && (!ftp || model_.ftp_form().can_connect());
    buttons_[pm_cmd::CONNECT_BUTTON]->setEnabled(connect);
    buttons_[pm_cmd::HAMMER_BUTTON]->setEnabled(connect);
    buttons_[pm_cmd::SAVE_BUTTON]->setEnabled(e.save);
    if (ftp)
        ftp_page_->set_boxes_enabled(model_.ftp_form().boxes_enabled());
}

// --- closing and geometry ---------------------------------------------------------------------------

void ProfileManagerWindow::closing()
{
    if (!closing_)
        close();
}

void ProfileManagerWindow::closeEvent(QCloseEvent* event)
{
    closing_ = true;
    if (!model_.closed())
        model_.close(); // the close box saves like Close
    save_geometry();
    if (on_closed)
        on_closed(model_.cancelled());
    event->accept();
}

void ProfileManagerWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        run_command(pm_cmd::CANCEL_BUTTON);
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void ProfileManagerWindow::restore_geometry()
{
    DialogMemory::restore(*this, FORM_PROFILE_MANAGER_WINDOW);
}

void ProfileManagerWindow::save_geometry() const
{
    DialogMemory::save(*this, FORM_PROFILE_MANAGER_WINDOW);
}

// --- host -------------------------------------------------------------------------------------------

ProfileManagerWindow& ProfileManagerHost::open(QWidget* parent, const DirEntry* node, int mode)
{
    if (window_) {
        window_->raise();
        window_->activateWindow();
        return *window_;
    }
    window_ = new ProfileManagerWindow(prompts_, settings_, clipboard_, profiles_, sessions_, parent);
    window_->open(node, mode);
    window_->show();
    keep_on_screen(*window_);
    return *window_;
}

bool ProfileManagerHost::edit(DirEntry& node)
{
    bool accepted = false;
    QEventLoop loop;
    auto window =
        std::make_unique<ProfileManagerWindow>(prompts_, settings_, clipboard_, profiles_, nullptr, nullptr);
    window->setAttribute(Qt::WA_DeleteOnClose, false); // owned here, freed when the loop is done
    window->on_closed = [&](bool cancelled) {
        accepted = !cancelled;
        loop.quit();
    };
    window_ = window.get();
    window->open(nullptr, 0, &node);
    window->show();
    keep_on_screen(*window);
    loop.exec();
    return accepted;
}

} // namespace kestovan
