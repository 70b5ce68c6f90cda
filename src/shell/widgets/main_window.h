// The main window: layout and wiring only. Menus, the tool bar and the button column are built from
// the command table; every action sends its command id to the message window, where the shell's
// command table runs the logic commands and this window's handler the window commands (panes,
// dialogs, view toggles). The window implements ShellView so the logic can ask for redraws.
#pragma once

#include "shell/application.h"
#include "shell/shell_view.h"

#include <QMainWindow>

#include <map>
#include <memory>

class QAction;
class QMenu;
class QMessageBox;
class QSplitter;
class QTabWidget;
class QToolBar;

namespace kestovan {

class BatchWindow;
class BookmarksMenu;
class ButtonColumn;
class RateGraph;
class StatusBarWidget;
class LogPane;
class TasksPane;
class TaskRowsModel;
class TerminalWindow;
class RemoteTree;
class RemoteList;
class LocalPane;
class QtPrompts;
class PaneGlue;

class MainWindow : public QMainWindow, public ShellView {
public:
    MainWindow(Application& app, QtPrompts& prompts);
    ~MainWindow() override;

    // ShellView
    void tree_item_changed(DirEntry& node) override;
    void tree_children_changed(DirEntry& node) override;
    void tree_node_removing(DirEntry& node) override;
    void remote_list_changed() override;
    void local_list_changed() override;
    void command_states_changed() override;
    void title_changed() override;
    void recent_profiles_changed() override;
    void current_profile_changed(SiteProfile* profile) override;
    void select_tree_node(DirEntry& node) override;
    void open_profile_manager(DirEntry* node) override;
    void terminal_log_changed(SiteProfile* profile) override;
    void post_command(int command) override;
    void editing_watch_changed(bool watching, const std::string& text) override;
    [[nodiscard]] std::optional<std::string> selected_local_item() const override;

    // The view flags: applied at start (clear bits hide their element) and toggled by 457/403/404/406.
    void apply_view_flags();
    void toggle_view(int bit);
    [[nodiscard]] bool view_shown(int bit) const;

    void open_terminal();
    // Options menu: the Preferences dialog on one of its pages (0 Settings .. 4 Auto-Rename); the
    // values are applied when it is confirmed.
    void open_preferences(int page);
    // Switches every text of the window to the language of code (none: English); the Language
    // menu then checks that language, the title and the button column follow, the help page is
    // shown again.
    void switch_language(const std::optional<std::string>& code);
    // `d_main`: given to the window before it is shown, and taken (with `d_help`) before config.ini
    // is written.
    void apply_placement();
    void capture_placement();
    // The deferred start-up (command 1104).
    void deferred_startup();
    // File -> Import (479).
    void import_site_list();
    // After the profile manager closed: the tree shows the profile folder as it is now.
    void refresh_profiles();

    [[nodiscard]] QAction* action(int command) const;
    [[nodiscard]] ButtonColumn* buttons() const { return buttons_; }
    [[nodiscard]] BatchWindow& batch_window() const { return *batch_; }
    [[nodiscard]] RateGraph& rate_graph() const { return *rate_graph_; }
    [[nodiscard]] BookmarksMenu& bookmarks_menu() const { return *bookmarks_menu_; }
    [[nodiscard]] QTabWidget& lower_tabs() const { return *lower_tabs_; }
    [[nodiscard]] PaneGlue* pane_glue() const { return pane_glue_.get(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void fit_panes_to_columns();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_actions();
    void build_menus();
    void build_toolbar();
    void build_central();
    bool window_command(int command);
    void send_command(int command);
    void update_recent_menu();
    // The batch window, the Add to Batch commands of the panes and the bookmark items.
    void wire_queue_and_bookmarks();
    void check_language_item();
    [[nodiscard]] std::vector<QSplitter*> splitters() const;

    Application& app_;
    ShellContext& ctx_;
    QtPrompts& prompts_;
    std::map<int, QAction*> actions_;
    QMenu* file_menu_ = nullptr;
    QMenu* bookmarks_qmenu_ = nullptr;
    std::unique_ptr<BookmarksMenu> bookmarks_menu_;
    BatchWindow* batch_ = nullptr;
    RateGraph* rate_graph_ = nullptr;
    QAction* quit_action_ = nullptr;
    std::vector<QAction*> recent_actions_;
    QToolBar* toolbar_ = nullptr;
    ButtonColumn* buttons_ = nullptr;
    StatusBarWidget* status_ = nullptr;
    QSplitter* vertical_ = nullptr;
    QSplitter* browse_ = nullptr;
    bool panes_fitted_ = false;
    QSplitter* remote_side_ = nullptr;
    QTabWidget* lower_tabs_ = nullptr;
    LogPane* log_pane_ = nullptr;
    TasksPane* tasks_pane_ = nullptr;
    TaskRowsModel* tasks_model_ = nullptr;
    RemoteTree* tree_ = nullptr;
    RemoteList* remote_list_ = nullptr;
    LocalPane* local_pane_ = nullptr;
    std::unique_ptr<PaneGlue> pane_glue_;
    TerminalWindow* terminal_ = nullptr;
    QMessageBox* editing_box_ = nullptr; // while an edit's editor runs on its own
    bool closing_ = false;
};

} // namespace kestovan
