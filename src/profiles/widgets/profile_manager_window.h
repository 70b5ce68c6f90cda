// The Profile Manager window (228): the profile folder as a tree, the form page of the selected
// entry, the menu bar, the tree's context menu and the buttons. It shows the ProfileManager model and
// forwards gestures to it. ProfileManagerHost keeps the one open instance and the profile clipboard.
#pragma once

#include "profiles/profile_manager.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <map>

class QAction;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;

namespace kestovan {

class FtpServerPage;
class UrlPage;
class FolderPage;
struct PageEdits;

inline constexpr int FORM_PROFILE_MANAGER = 228;

// The command identifiers of the menu bar, the context menu and the buttons.
namespace pm_cmd {
inline constexpr int CONNECT_BUTTON = 1875;
inline constexpr int HAMMER_BUTTON = 2011;
inline constexpr int NEW_BUTTON = 1870;
inline constexpr int SAVE_BUTTON = 1906;
inline constexpr int CANCEL_BUTTON = 1217;
} // namespace pm_cmd

class ProfileManagerWindow : public QMainWindow, public ProfileManagerView {
public:
    ProfileManagerWindow(Prompts& prompts, const Settings& settings, ProfileClipboard& clipboard,
                         const std::filesystem::path& profiles, ProfileSessions* sessions, QWidget* parent);
    ~ProfileManagerWindow() override;

    void open(const DirEntry* start, int mode, DirEntry* edited = nullptr);
    // Runs a command by any of its identifiers; false for an unknown one.
    bool run_command(int id);

    [[nodiscard]] ProfileManager& model() { return model_; }
    [[nodiscard]] QTreeWidget& tree() const { return *tree_; }
    [[nodiscard]] QTabWidget& pages() const { return *pages_; }
    [[nodiscard]] FtpServerPage& ftp_page() const { return *ftp_page_; }
    [[nodiscard]] UrlPage& url_page() const { return *url_page_; }
    [[nodiscard]] FolderPage& folder_page() const { return *folder_page_; }
    [[nodiscard]] QPushButton* button(int id) const;
    [[nodiscard]] QAction* action(int id) const;

    // Called once the window has closed, with the cancelled flag.
    std::function<void(bool cancelled)> on_closed;

    // ProfileManagerView
    void entry_inserted(DirEntry& node) override;
    void entry_removing(DirEntry& node) override;
    void entry_changed(DirEntry& node) override;
    void selection_changed() override;
    void form_changed() override;
    void name_list_changed() override;
    void start_label_edit(DirEntry& node) override;
    void closing() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape is Cancel, as in a dialog (an edit in the tree takes its own Escape first).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void build_menus();
    void build_buttons(QVBoxLayout& column);
    void fill_tree();
    QTreeWidgetItem* add_item(DirEntry& node, QTreeWidgetItem* parent);
    void show_page();
    void fill_page();
    void update_enables();
    void context_menu(const QPoint& at);
    void restore_geometry();
    void save_geometry() const;

    ProfileManager model_;
    std::unique_ptr<PageEdits> edits_;
    QTreeWidget* tree_ = nullptr;
    QTabWidget* pages_ = nullptr;
    FtpServerPage* ftp_page_ = nullptr;
    UrlPage* url_page_ = nullptr;
    FolderPage* folder_page_ = nullptr;
    std::map<int, QPushButton*> buttons_;
    std::map<int, QAction*> actions_;
    int quiet_ = 0; // the tree is changed by the program, not the user
    bool closing_ = false;
};

// Opens the window (one instance: opening it again brings it to the front) and keeps the profile
// clipboard between openings.
class ProfileManagerHost {
public:
    ProfileManagerHost(Prompts& prompts, const Settings& settings, std::filesystem::path profiles)
        : prompts_(prompts), settings_(settings), profiles_(std::move(profiles))
    {}
    void set_sessions(ProfileSessions* sessions) { sessions_ = sessions; }

    // The window over parent, starting from node with mode.
    ProfileManagerWindow& open(QWidget* parent, const DirEntry* node, int mode);
    // The command-line edit mode: the window for one profile file, run until it closes; true unless
    // it was cancelled.
    bool edit(DirEntry& node);

    [[nodiscard]] ProfileManagerWindow* window() const { return window_; }

private:
    Prompts& prompts_;
    const Settings& settings_;
    std::filesystem::path profiles_;
    ProfileSessions* sessions_ = nullptr;
    ProfileClipboard clipboard_;
    QPointer<ProfileManagerWindow> window_;
};

} // namespace kestovan
