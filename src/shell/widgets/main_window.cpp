#include "shell/widgets/main_window.h"

#include "platform/window.h"
#include "profiles/site_profile.h"
#include "queue/widgets/batch_window.h"
#include "settings/browser.h"
#include "settings/widgets/preferences_dialog.h"
#include "shell/command_states.h"
#include "shell/command_table.h"
#include "shell/widgets/bookmarks_menu.h"
#include "shell/widgets/button_column.h"
#include "shell/widgets/help_viewer.h"
#include "shell/widgets/log_pane.h"
#include "shell/widgets/rate_graph.h"
#include "shell/widgets/status_bar_widget.h"
#include "shell/widgets/tasks_pane.h"
#include "shell/widgets/terminal_window.h"
#include "ui/language.h"
#include "ui/string_ids.h"
#include "ui/widgets/language_switcher.h"
#include "ui/widgets/qt_prompts.h"
#include "ui/widgets/window_placement_widgets.h"
#include "views/widgets/local_pane.h"
#include "views/widgets/pane_glue.h"
#include "views/widgets/remote_list.h"
#include "views/widgets/remote_tree.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <cstdlib>
#include <utility>

namespace kestovan {

namespace {

constexpr int FORM_MAIN = 102;
constexpr int FORM_TOOLBAR = 403;
constexpr int CMD_TRANSFER_DOWNLOAD = 1222; // "<<"
constexpr int CMD_TRANSFER_UPLOAD = 1223;   // ">>"

QIcon theme_icon(std::string_view name)
{
    return name.empty() ? QIcon()
                        : QIcon::fromTheme(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
}

QString text(int id)
{
    return QString::fromUtf8(load_string(id));
}

// The commands this window carries out itself (the rest are the shell's or not built yet).
const std::vector<int>& window_commands()
{
    using namespace cmd;
    static const std::vector<int> ids = {QUIT,
                                         TOGGLE_TOOLBAR,
                                         TOGGLE_SESSION_LOG,
                                         TOGGLE_BUTTONS,
                                         TOGGLE_FILTER_BAR,
                                         TERMINAL_MENU,
                                         TERMINAL_BUTTON,
                                         HELP,
                                         MANUAL,
                                         FAQ,
                                         REFRESH_BUTTON,
                                         REFRESH_TREE,
                                         REFRESH_LIST,
                                         GO_BACK,
                                         DEFERRED_STARTUP,
                                         CONNECT_MANAGER,
                                         CONNECT_TOOLBAR,
                                         IMPORT,
                                         BATCH_WINDOW,
                                         PREFERENCES_SETTINGS,
                                         PREFERENCES_OPTIONS,
                                         PREFERENCES_PROXY,
                                         PREFERENCES_SOUND,
                                         PREFERENCES_AUTO_RENAME};
    return ids;
}

} // namespace

MainWindow::MainWindow(Application& app, QtPrompts& prompts)
    : app_(app), ctx_(app.shell->context()), prompts_(prompts)
{
    setObjectName("102");
    set_form_number(*this, FORM_MAIN);
    // A bare X server has no icon theme of its own; the Tango theme (installed with the program)
    // supplies the tool bar's and menus' images there, while a desktop's own theme still comes first.
    if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == QStringLiteral("hicolor"))
        QIcon::setFallbackThemeName(QStringLiteral("Tango"));
    ctx_.view = this;
    build_actions();
    build_menus();
    build_toolbar();
    build_central();
    wire_queue_and_bookmarks();
    status_ = new StatusBarWidget(ctx_.status, this);
    setStatusBar(status_);
    app_.window.set_handler([this](const Message& m) {
        if (m.id == WM_COMMAND)
            return window_command(static_cast<int>(m.wparam & 0xFFFF));
        return false;
    });
    resize(1024, 700);
    title_changed();
    update_recent_menu();
    command_states_changed();
}

MainWindow::~MainWindow()
{
    app_.rates->repaint = nullptr;
    app_.start_batch = nullptr;
    app_.help_open = nullptr;
    app_.bookmarks->show_local = nullptr;
    for (int id : {pane_cmd::ADD_BATCH_LOCAL, pane_cmd::ADD_BATCH_LIST, pane_cmd::ADD_BATCH_TREE})
        app_.shell->set_command(id, {});
    bookmarks_menu_.reset();
    pane_glue_.reset(); // before the panes it joins
    ctx_.view = nullptr;
    app_.window.set_handler({});
}

// --- building -----------------------------------------------------------------------------------

void MainWindow::build_actions()
{
    auto make = [this](int id, int string_id, std::string_view shortcut, std::string_view icon,
                       bool checkable) {
        auto* action = new QAction(theme_icon(icon), text(string_id), this);
        action->setObjectName(QString::number(id));
        bind_string_id(*action, string_id);
        if (!shortcut.empty())
            action->setShortcut(
                QKeySequence(QString::fromUtf8(shortcut.data(), static_cast<int>(shortcut.size()))));
        action->setCheckable(checkable);
        connect(action, &QAction::triggered, this, [this, id] { send_command(id); });
        actions_[id] = action;
        return action;
    };
    for (const MenuSpec& menu : main_menus())
        for (int id : menu.items)
            if (id > 0)
                if (auto info = command_spec(id))
                    make(info->id, info->string_id, info->shortcut, info->icon, info->checkable);
    for (const ToolbarButton& button : toolbar_buttons()) {
        if (button.command == 0 || actions_.contains(button.command))
            continue;
        QAction* action = make(button.command, button.tooltip_string_id, "", button.icon, false);
        bind_tooltip_id(*action, button.tooltip_string_id);
    }
    for (const LanguageItem& item : language_items())
        make(item.command, item.string_id, "", "", true);
    // Accelerators of commands that have no menu item of their own.
    for (auto [id, keys] : {std::pair{1548, "F3"}, {1876, "F6"}, {1882, "F8"}, {480, "Ctrl+F3"}}) {
        if (actions_.contains(id))
            continue;
        auto* action = new QAction(this);
        action->setShortcut(QKeySequence(QString::fromLatin1(keys)));
        action->setObjectName(QString::number(id));
        connect(action, &QAction::triggered, this, [this, id] { send_command(id); });
        addAction(action);
        actions_[id] = action;
    }
}

void MainWindow::build_menus()
{
    for (const MenuSpec& info : main_menus()) {
        QMenu* menu = menuBar()->addMenu(text(info.title_string_id));
        menu->menuAction()->setProperty(STRING_ID_PROPERTY, info.title_string_id);
        if (info.title_string_id == IDS_MENU_FILE)
            file_menu_ = menu;
        if (info.title_string_id == IDS_MENU_BOOKMARKS)
            bookmarks_qmenu_ = menu;
        for (int id : info.items) {
            if (id == 0) {
                menu->addSeparator();
            } else if (id == SUBMENU_LANGUAGE) {
                QMenu* languages = menu->addMenu(text(IDS_MENU_LANGUAGE));
                languages->menuAction()->setProperty(STRING_ID_PROPERTY, IDS_MENU_LANGUAGE);
                auto* group = new QActionGroup(languages);
                for (const LanguageItem& item : language_items()) {
                    QAction* action = actions_[item.command];
                    group->addAction(action);
                    languages->addAction(action);
                    // Only languages whose file is there can be chosen.
                    action->setVisible(
                        item.code.empty() ||
                        (language_offered(item) &&
                         find_language_file(item.code, default_language_folders()).has_value()));
                    // Each language is named in itself, whatever language is in force.
                    action->setProperty(NO_TRANSLATION_PROPERTY, true);
                }
                actions_[3033]->setChecked(true);
            } else if (QAction* action = actions_[id]) {
                menu->addAction(action);
            }
        }
    }
    quit_action_ = actions_[414];
}

void MainWindow::build_toolbar()
{
    toolbar_ = addToolBar(QStringLiteral("Toolbar"));
    toolbar_->setObjectName("toolbar");
    set_form_number(*toolbar_, FORM_TOOLBAR);
    toolbar_->setIconSize(QSize(16, 16));
    toolbar_->setMovable(false);
    for (const ToolbarButton& button : toolbar_buttons()) {
        if (button.command == 0) {
            toolbar_->addSeparator();
            continue;
        }
        QAction* action = actions_[button.command];
        if (action->icon().isNull())
            action->setIcon(theme_icon(button.icon));
        if (action->toolTip().isEmpty() || action->toolTip() == action->text())
            bind_tooltip_id(*action, button.tooltip_string_id);
        toolbar_->addAction(action);
    }
}

void MainWindow::build_central()
{
    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(2, 2, 2, 2);
    buttons_ = new ButtonColumn(central);
    buttons_->clicked = [this](int command) { send_command(command); };
    row->addWidget(buttons_);

    vertical_ = new QSplitter(Qt::Vertical, central);
    vertical_->setObjectName("panes");
    auto* browse = new QSplitter(Qt::Horizontal, vertical_);
    browse_ = browse;
    browse->setObjectName("9105");
    browse_ = browse;

    local_pane_ = new LocalPane(ctx_, browse);

    auto* middle = new QWidget(browse);
    auto* transfer = new QVBoxLayout(middle);
    transfer->setContentsMargins(2, 2, 2, 2);
    transfer->addStretch(1);
    auto* down = new QPushButton(QStringLiteral("<<"), middle);
    down->setObjectName(QString::number(CMD_TRANSFER_DOWNLOAD));
    bind_tooltip_id(*down, IDS_BTN_DOWNLOAD_SELECTION);
    down->setFixedWidth(40);
    connect(down, &QPushButton::clicked, this, [this] { send_command(CMD_TRANSFER_DOWNLOAD); });
    auto* up = new QPushButton(QStringLiteral(">>"), middle);
    up->setObjectName(QString::number(CMD_TRANSFER_UPLOAD));
    bind_tooltip_id(*up, IDS_BTN_UPLOAD_SELECTION);
    up->setFixedWidth(40);
    connect(up, &QPushButton::clicked, this, [this] { send_command(CMD_TRANSFER_UPLOAD); });
    transfer->addWidget(down);
    transfer->addWidget(up);
    transfer->addSpacing(12);
    auto* binary = new QRadioButton(text(IDS_RADIO_BINARY), middle);
    binary->setObjectName("1221");
    bind_string_id(*binary, IDS_RADIO_BINARY);
    auto* ascii = new QRadioButton(text(IDS_RADIO_ASCII), middle);
    ascii->setObjectName("1220");
    bind_string_id(*ascii, IDS_RADIO_ASCII);
    binary->setChecked(true);
    connect(ascii, &QRadioButton::toggled, this,
            [this](bool on) { ctx_.transfer_mode = on ? MODE_ASCII : MODE_BINARY; });
    transfer->addWidget(binary);
    transfer->addWidget(ascii);
    transfer->addStretch(1);

    auto* remote = new QSplitter(Qt::Horizontal, browse);
    remote->setObjectName("remote_side");
    remote_side_ = remote;
    tree_ = new RemoteTree(*app_.shell, remote);
    auto* remote_rows = new QWidget(remote);
    auto* remote_column = new QVBoxLayout(remote_rows);
    remote_column->setContentsMargins(0, 0, 0, 0);
    remote_column->setSpacing(2);
    remote_list_ = new RemoteList(*app_.shell, remote_rows);
    // The panes' commands, keys, drags, drops and menus (they register in the shell's table).
    pane_glue_ = std::make_unique<PaneGlue>(
        *app_.shell, *local_pane_, *remote_list_, *tree_, [this](int command) { send_command(command); },
        remote_rows);
    remote_column->addWidget(&pane_glue_->remote_mask_field());
    remote_column->addWidget(remote_list_, 1);
    pane_glue_->show_filter_bar(view_shown(VIEW_FILTER_BAR));
    remote->setStretchFactor(0, 1);
    remote->setStretchFactor(1, 2);
    browse->setStretchFactor(0, 2);
    browse->setStretchFactor(1, 0);
    browse->setStretchFactor(2, 3);

    lower_tabs_ = new QTabWidget(vertical_);
    lower_tabs_->setObjectName("2203");
    log_pane_ = new LogPane(LogPane::Mode::Main, prompts_, lower_tabs_);
    log_pane_->attach(ctx_.log);
    connect(log_pane_, &LogPane::typedLine, this, [this](const QString& line) {
        if (app_.shell->typed().typed_command(ctx_.current_session_node, line.toStdString()))
            ctx_.log.suppress_next();
    });
    connect(log_pane_, &LogPane::clearRequested, this,
            [this] { ctx_.log.clear(ctx_.profile_of(ctx_.current_session_node)); });
    tasks_pane_ = new TasksPane(ctx_.tasks, lower_tabs_);
    auto row_ids = [](const std::vector<Task*>& rows) {
        std::vector<std::uint64_t> ids;
        for (const Task* row : rows)
            ids.push_back(row->row_id);
        return ids;
    };
    tasks_pane_->on_disconnect = [this, row_ids](const std::vector<Task*>& rows) {
        app_.shell->task_commands().disconnect_rows(row_ids(rows));
    };
    tasks_pane_->on_delete = [this, row_ids](const std::vector<Task*>& rows) {
        app_.shell->task_commands().delete_rows(row_ids(rows));
    };
    tasks_pane_->can_disconnect = [this](const Task& row) {
        return app_.shell->task_commands().can_disconnect(row);
    };
    rate_graph_ = new RateGraph(app_.rates->sampler(), lower_tabs_);
    app_.rates->repaint = [this] { rate_graph_->update(); };
    lower_tabs_->addTab(log_pane_, text(IDS_TAB_SESSION_LOG));
    lower_tabs_->addTab(tasks_pane_, text(IDS_TAB_TASKS));
    lower_tabs_->addTab(rate_graph_, text(IDS_TAB_BPS));
    bind_tab_ids(*lower_tabs_, {IDS_TAB_SESSION_LOG, IDS_TAB_TASKS, IDS_TAB_BPS});

    vertical_->setStretchFactor(0, 3);
    vertical_->setStretchFactor(1, 1);
    row->addWidget(vertical_, 1);
    setCentralWidget(central);

    // Focus decides which pane the shared commands act on.
    for (QWidget* w : {static_cast<QWidget*>(tree_), static_cast<QWidget*>(remote_list_),
                       static_cast<QWidget*>(&local_pane_->list_view())})
        w->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (watched == tree_)
            ctx_.focus = FOCUS_TREE;
        else if (watched == remote_list_)
            ctx_.focus = FOCUS_REMOTE;
        else
            ctx_.focus = FOCUS_LOCAL;
        command_states_changed();
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- commands -------------------------------------------------------------------------------------

void MainWindow::send_command(int command)
{
    app_.window.send_message(WM_COMMAND, static_cast<std::uint64_t>(command));
}

void MainWindow::wire_queue_and_bookmarks()
{
    batch_ = new BatchWindow(*app_.queue, ctx_, this);
    app_.start_batch = [this] { batch_->open_window(); };
    app_.help_open = [] { return help_is_open(); };
    TransferQueue& queue = *app_.queue;
    app_.shell->set_command(pane_cmd::ADD_BATCH_LOCAL, [this, &queue] {
        for (const LocalEntry& item : pane_glue_->local_selection())
            queue.add_upload_task(item);
    });
    app_.shell->set_command(pane_cmd::ADD_BATCH_LIST, [this, &queue] {
        for (DirEntry* entry : pane_glue_->remote_selection())
            queue.add_download_task(*entry);
    });
    app_.shell->set_command(pane_cmd::ADD_BATCH_TREE, [this, &queue] {
        if (DirEntry* node = tree_->current_node())
            queue.add_download_task(*node);
    });
    app_.bookmarks->show_local = [this](const std::string& folder, const std::string& path) {
        pane_glue_->list_local(folder);
        pane_glue_->select_local(path);
    };
    if (bookmarks_qmenu_ && actions_.contains(cmd::ADD_BOOKMARK))
        bookmarks_menu_ =
            std::make_unique<BookmarksMenu>(*bookmarks_qmenu_, *actions_[cmd::ADD_BOOKMARK], *app_.bookmarks,
                                            [this](int id) { send_command(id); });
}

bool MainWindow::window_command(int command)
{
    if (command >= BOOKMARK_FIRST_ID && command <= BOOKMARK_LAST_ID) {
        app_.bookmarks->open_bookmark(command);
        return true;
    }
    if (command >= RECENT_PROFILE_FIRST && command < RECENT_PROFILE_FIRST + RECENT_PROFILE_COUNT) {
        const auto recent = app_.settings.recent_profiles();
        const auto index = static_cast<std::size_t>(command - RECENT_PROFILE_FIRST);
        if (index < recent.size())
            app_.open_recent_profile(recent[index]);
        return true;
    }
    for (const LanguageItem& item : language_items()) {
        if (item.command != command)
            continue;
        std::optional<std::string> code;
        if (!item.code.empty())
            code = std::string(item.code);
        switch_language(code);
        return true;
    }
    switch (command) {
    case cmd::QUIT: close(); return true;
    case cmd::TOGGLE_TOOLBAR: toggle_view(VIEW_TOOLBAR); return true;
    case cmd::TOGGLE_SESSION_LOG: toggle_view(VIEW_SESSION_LOG); return true;
    case cmd::TOGGLE_BUTTONS: toggle_view(VIEW_BUTTONS); return true;
    case cmd::TOGGLE_FILTER_BAR: toggle_view(VIEW_FILTER_BAR); return true;
    case cmd::TERMINAL_MENU:
    case cmd::TERMINAL_BUTTON: open_terminal(); return true;
    case cmd::HELP:
    case cmd::MANUAL: show_help(this, app_.settings.placement(KEY_D_HELP)); return true;
    case cmd::FAQ:
        app_.shell->web().open_faq(app_.registry,
                                   app_.current_language ? app_.current_language() : std::nullopt);
        return true;
    case cmd::REFRESH_BUTTON:
        local_pane_->refresh();
        app_.shell->browser().refresh();
        return true;
    case cmd::REFRESH_TREE:
    case cmd::REFRESH_LIST: app_.shell->browser().refresh(); return true;
    case cmd::GO_BACK:
        if (ctx_.focus == FOCUS_LOCAL)
            local_pane_->go_up();
        else
            app_.shell->browser().go_back();
        return true;
    case cmd::DEFERRED_STARTUP: deferred_startup(); return true;
    case cmd::BATCH_WINDOW: batch_->open_window(); return true;
    case cmd::IMPORT: import_site_list(); return true;
    case cmd::PREFERENCES_SETTINGS: open_preferences(PAGE_SETTINGS); return true;
    case cmd::PREFERENCES_OPTIONS: open_preferences(PAGE_OPTIONS); return true;
    case cmd::PREFERENCES_PROXY: open_preferences(PAGE_PROXY); return true;
    case cmd::PREFERENCES_SOUND: open_preferences(PAGE_SOUND); return true;
    case cmd::PREFERENCES_AUTO_RENAME: open_preferences(PAGE_AUTO_RENAME); return true;
    case cmd::CONNECT_MANAGER:
    case cmd::CONNECT_TOOLBAR: open_profile_manager(ctx_.selected); return true;
    default: return false;
    }
}

QAction* MainWindow::action(int command) const
{
    auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::command_states_changed()
{
    PaneState panes;
    panes.local_item_selected = local_pane_ && local_pane_->has_selection();
    if (pane_glue_) {
        panes.local_clipboard_empty = pane_glue_->commands().clipboards().local().empty();
        panes.remote_clipboard_first = pane_glue_->commands().clipboards().remote_first();
    }
    panes.system_clipboard_has_text =
        QApplication::clipboard() && !QApplication::clipboard()->text().isEmpty();
    const auto states = app_.shell->command_states(panes);
    auto enabled = [&](int id) {
        const bool ours =
            app_.shell->has_command(id) ||
            std::find(window_commands().begin(), window_commands().end(), id) != window_commands().end() ||
            (id >= RECENT_PROFILE_FIRST && id < RECENT_PROFILE_FIRST + RECENT_PROFILE_COUNT);
        auto it = states.find(id);
        if (it != states.end())
            return it->second && (ours || id == 2011);
        return ours;
    };
    for (auto& [id, action] : actions_) {
        const bool language = std::any_of(language_items().begin(), language_items().end(),
                                          [&](const LanguageItem& item) { return item.command == id; });
        action->setEnabled(language || enabled(id));
    }
    if (buttons_) {
        for (const ColumnButton& info : button_column())
            if (QPushButton* b = buttons_->button(info.command))
                b->setEnabled(enabled(info.command));
        const int caption = app_.shell->connect_button_caption();
        if (QPushButton* b = buttons_->button(2011)) {
            bind_string_id(*b, caption);
            b->setEnabled(states.contains(2011) && states.at(2011));
        }
    }
    if (QAction* terminal = action(1869))
        terminal->setEnabled(states.contains(1869) && states.at(1869));
}

// --- ShellView ------------------------------------------------------------------------------------

void MainWindow::tree_item_changed(DirEntry& node)
{
    if (tree_)
        tree_->tree_model().tree_item_changed(node);
    if (remote_list_)
        remote_list_->list_model().tree_item_changed(node);
}

void MainWindow::tree_children_changed(DirEntry& node)
{
    if (tree_)
        tree_->tree_model().tree_children_changed(node);
}

void MainWindow::tree_node_removing(DirEntry& node)
{
    if (tree_)
        tree_->tree_model().tree_node_removing(node);
    if (remote_list_)
        remote_list_->list_model().tree_node_removing(node);
}

void MainWindow::remote_list_changed()
{
    if (remote_list_)
        remote_list_->refill();
}

void MainWindow::local_list_changed()
{
    if (local_pane_)
        local_pane_->refresh();
}

void MainWindow::title_changed()
{
    setWindowTitle(QString::fromUtf8(main_title(ctx_)));
    ctx_.status.set_text(STATUS_ENCRYPTION, encryption_text(ctx_));
    if (terminal_)
        terminal_->refresh_title();
}

void MainWindow::current_profile_changed(SiteProfile* profile)
{
    if (log_pane_)
        log_pane_->show_log(profile);
}

void MainWindow::recent_profiles_changed()
{
    update_recent_menu();
}

void MainWindow::select_tree_node(DirEntry& node)
{
    if (tree_)
        tree_->show_node(&node);
}

void MainWindow::open_profile_manager(DirEntry* node)
{
    if (app_.open_profile_manager)
        app_.open_profile_manager(node);
}

void MainWindow::terminal_log_changed(SiteProfile* profile)
{
    if (terminal_ && terminal_->isVisible() && profile)
        terminal_->refresh_title();
}

void MainWindow::post_command(int command)
{
    ctx_.post_command(command);
}

void MainWindow::editing_watch_changed(bool watching, const std::string& text)
{
    if (editing_box_) {
        editing_box_->disconnect(this);
        editing_box_->close();
        editing_box_->deleteLater();
        editing_box_ = nullptr;
    }
    if (!watching)
        return;
    // Not modal: the user goes on working, and saves in the editor go up meanwhile.
    editing_box_ = new QMessageBox(QMessageBox::Information, load_qstring(IDS_DLG_EDITING),
                                   QString::fromUtf8(text), QMessageBox::NoButton, this);
    editing_box_->setObjectName(QStringLiteral("editing_watch"));
    editing_box_->setWindowModality(Qt::NonModal);
    QPushButton* done = editing_box_->addButton(load_qstring(IDS_BTN_DONE), QMessageBox::AcceptRole);
    done->setObjectName(QStringLiteral("done"));
    connect(editing_box_, &QMessageBox::buttonClicked, this, [this] {
        editing_box_ = nullptr; // the box closes itself
        app_.shell->view_edit().finish_editing();
    });
    editing_box_->setAttribute(Qt::WA_DeleteOnClose);
    editing_box_->show();
}

std::optional<std::string> MainWindow::selected_local_item() const
{
    if (!local_pane_)
        return std::nullopt;
    for (const LocalEntry& entry : local_pane_->selected_entries())
        if (entry.kind == LOCAL_FILE || entry.kind == LOCAL_FOLDER)
            return entry.path;
    return std::nullopt;
}

void MainWindow::update_recent_menu()
{
    if (!file_menu_)
        return;
    for (QAction* a : recent_actions_) {
        file_menu_->removeAction(a);
        actions_.erase(a->objectName().toInt());
        a->deleteLater();
    }
    recent_actions_.clear();
    const auto recent = app_.settings.recent_profiles();
    for (std::size_t i = 0; i < recent.size() && i < RECENT_PROFILE_COUNT; ++i) {
        const int id = RECENT_PROFILE_FIRST + static_cast<int>(i);
        auto* action = new QAction(QString::fromUtf8(recent[i].substr(0, recent[i].find(':'))), this);
        action->setObjectName(QString::number(id));
        action->setProperty(NO_TRANSLATION_PROPERTY, true);
        connect(action, &QAction::triggered, this, [this, id] { send_command(id); });
        file_menu_->insertAction(quit_action_, action);
        recent_actions_.push_back(action);
        actions_[id] = action;
    }
    if (!recent_actions_.empty()) {
        QAction* separator = file_menu_->insertSeparator(quit_action_);
        recent_actions_.push_back(separator);
    }
}

// --- view flags, terminal, start and end ------------------------------------------------------------

bool MainWindow::view_shown(int bit) const
{
    return (app_.settings.integer(KEY_VIEW) & bit) != 0;
}

void MainWindow::toggle_view(int bit)
{
    const int view = app_.settings.integer(KEY_VIEW) ^ bit;
    app_.settings.set_integer(KEY_VIEW, view);
    const bool shown = (view & bit) != 0;
    switch (bit) {
    case VIEW_TOOLBAR: toolbar_->setVisible(shown); break;
    case VIEW_SESSION_LOG: lower_tabs_->setVisible(shown); break;
    case VIEW_BUTTONS:
        buttons_->setVisible(shown);
        buttons_->fit();
        break;
    case VIEW_FILTER_BAR: pane_glue_->show_filter_bar(shown); break;
    default: break;
    }
    if (QAction* a = action(bit == VIEW_TOOLBAR       ? 457
                            : bit == VIEW_SESSION_LOG ? 403
                            : bit == VIEW_BUTTONS     ? 404
                                                      : 406))
        a->setChecked(shown);
}

void MainWindow::apply_view_flags()
{
    // Elements whose bit is clear start hidden: set the bit, then toggle it off again.
    for (int bit : {VIEW_BUTTONS, VIEW_FILTER_BAR, VIEW_SESSION_LOG, VIEW_TOOLBAR}) {
        if (view_shown(bit)) {
            if (QAction* a = action(bit == VIEW_TOOLBAR       ? 457
                                    : bit == VIEW_SESSION_LOG ? 403
                                    : bit == VIEW_BUTTONS     ? 404
                                                              : 406))
                a->setChecked(true);
            continue;
        }
        app_.settings.set_integer(KEY_VIEW, app_.settings.integer(KEY_VIEW) | bit);
        toggle_view(bit);
    }
}

void MainWindow::open_terminal()
{
    if (terminal_) {
        terminal_->close();
        terminal_->deleteLater();
        terminal_ = nullptr;
    }
    terminal_ = new TerminalWindow(ctx_.log, prompts_, this);
    terminal_->set_title_source([this] { return terminal_title(ctx_); });
    connect(terminal_, &TerminalWindow::saveLogRequested, this, [this] { app_.shell->save_log(); });
    connect(terminal_, &TerminalWindow::clearRequested, this,
            [this] { ctx_.log.clear(ctx_.profile_of(ctx_.selected)); });
    connect(terminal_, &TerminalWindow::helpRequested, this,
            [this] { show_help(this, app_.settings.placement(KEY_D_HELP)); });
    connect(terminal_, &TerminalWindow::typedLine, this, [this](const QString& line) {
        if (app_.shell->typed().typed_command(ctx_.current_session_node, line.toStdString()))
            ctx_.log.suppress_next();
    });
    terminal_->open(ctx_.profile_of(ctx_.selected ? ctx_.selected : ctx_.current_session_node));
}

void MainWindow::import_site_list()
{
    const auto chosen = prompts_.open_file(load_string(IDS_DLG_IMPORT), load_string(IDS_IMPORT_FILTER));
    if (!chosen)
        return;
    if (auto box = app_.import_site_list(*chosen)) {
        prompts_.message(box->caption, box->text, box->icon);
        return;
    }
    if (tree_)
        tree_->tree_model().reload();
}

void MainWindow::open_preferences(int page)
{
    PreferencesServices services;
    const char* browser_env = std::getenv("BROWSER");
    services.browsers = browser_suggestions(browser_env ? browser_env : "");
    const std::string sound_folder = app_.settings.text(KEY_SP);
    if (!sound_folder.empty())
        services.sound_folder = sound_folder;
    else if (const auto folders = sound_theme_folders(); !folders.empty())
        services.sound_folder = folders.front();
    if (EventSounds* sounds = app_.event_sounds())
        services.play_sound = [sounds](std::string_view text) { sounds->play_sound_text(text); };
    PreferencesDialog dialog(app_.preferences(), prompts_, services, this);
    dialog.show_page(page);
    if (dialog.exec() == QDialog::Accepted)
        app_.apply_preferences(dialog.values());
}

void MainWindow::switch_language(const std::optional<std::string>& code)
{
    Language* language = current_language();
    if (!language)
        return;
    kestovan::switch_language(*this, *language, code, default_language_folders());
    check_language_item();
    title_changed();
    if (buttons_) {
        buttons_->updateGeometry();
        buttons_->fit();
    }
    reload_help();
    command_states_changed();
}

void MainWindow::check_language_item()
{
    const Language* language = current_language();
    const std::string code = language && language->current_code() ? *language->current_code() : std::string();
    for (const LanguageItem& item : language_items())
        if (QAction* a = action(item.command))
            a->setChecked(item.code == code);
}

std::vector<QSplitter*> MainWindow::splitters() const
{
    return {vertical_, browse_, remote_side_};
}

void MainWindow::apply_placement()
{
    if (const auto placement = app_.settings.placement(KEY_D_MAIN)) {
        apply_window_placement(*this, *placement, splitters());
        panes_fitted_ = true; // the user's own pane sizes come back as they were
    }
}

void MainWindow::capture_placement()
{
    app_.settings.set_placement(KEY_D_MAIN, capture_window_placement(*this, splitters()));
    if (const auto help = help_placement())
        app_.settings.set_placement(KEY_D_HELP, *help);
    app_.settings.set_flag(KEY_HELP, help_is_open());
}

void MainWindow::refresh_profiles()
{
    app_.refresh_profiles();
    if (tree_)
        tree_->tree_model().reload();
}

void MainWindow::deferred_startup()
{
    update();
    if (app_.settings.flag(KEY_HELP))
        show_help(this, app_.settings.placement(KEY_D_HELP));
    if (auto after = std::exchange(app_.after_startup, nullptr))
        after();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (buttons_)
        buttons_->fit();
    fit_panes_to_columns();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Once the layout has given the panes their first sizes.
    QTimer::singleShot(0, this, [this] { fit_panes_to_columns(); });
}

void MainWindow::fit_panes_to_columns()
{
    // Once, when the window first has its size: the local pane gets the width its columns need
    // (Name, Size and Date whole), as far as the remote side keeps at least half of the space.
    if (panes_fitted_ || !browse_ || !local_pane_ || !browse_->isVisible() || browse_->width() <= 0)
        return;
    QList<int> sizes = browse_->sizes();
    if (sizes.size() != 3)
        return;
    panes_fitted_ = true;
    const int total = sizes[0] + sizes[1] + sizes[2];
    PaneView& list = local_pane_->list_view();
    const int around_list = std::max(0, local_pane_->width() - list.width());
    const int wanted = std::min(list.width_for_columns() + around_list, (total - sizes[1]) / 2);
    if (wanted <= sizes[0])
        return;
    sizes[2] -= wanted - sizes[0];
    sizes[0] = wanted;
    browse_->setSizes(sizes);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (closing_) {
        event->accept();
        return;
    }
    closing_ = true;
    capture_placement();
    if (auto error = app_.shutdown())
        prompts_.message(load_string(IDS_CAPTION_ERROR), *error, PromptIcon::Error);
    if (terminal_)
        terminal_->close();
    event->accept();
}

} // namespace kestovan
