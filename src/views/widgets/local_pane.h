// The local pane of the main window: a tab per volume worth showing, a path field and the local list
// (control 1779) of one folder. Opening a folder, ".." or volume row lists it; typing an existing
// folder into the path field lists it; opening a file asks for its upload. The pane keeps
// ShellContext::local_folder on the folder it lists.
#pragma once

#include "views/widgets/local_list_model.h"
#include "views/widgets/pane_view.h"

#include <QLineEdit>
#include <QTabBar>
#include <QVBoxLayout>
#include <QWidget>

#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

struct ShellContext;

class LocalPane : public QWidget {
    Q_OBJECT
public:
    explicit LocalPane(ShellContext& ctx, QWidget* parent = nullptr);

    // ShellView::local_list_changed: the folder ShellContext::local_folder names when the shell
    // changed it, else the shown folder read again with its selection kept.
    void refresh();
    // Lists a folder ("" is the volume list) as the user's navigation does.
    void show_folder(std::string_view path);
    // One folder up; from a volume's root to the volume list.
    void go_up();
    // What double-click or Enter on a row does.
    void open_row(int row);

    [[nodiscard]] bool has_selection() const;
    // The selected rows in list order, ".." rows included.
    [[nodiscard]] std::vector<LocalEntry> selected_entries() const;

    [[nodiscard]] LocalListModel& list_model() { return model_; }
    [[nodiscard]] PaneView& list_view() { return list_; }
    [[nodiscard]] QLineEdit& path_field() { return path_; }
    [[nodiscard]] QLineEdit& mask_field() { return mask_; }
    // The filter bar (path field and mask) shown or hidden.
    void show_filter_bar(bool shown);
    // The mask in force: put into the field and applied by reading the folder again.
    void set_mask(const std::string& mask);
    // Lists the folder again and makes the row with path the current, selected one.
    void select_path(const std::string& path);
    [[nodiscard]] QTabBar& volume_tabs() { return tabs_; }

signals:
    void uploadRequested(const kestovan::LocalEntry& entry);
    void maskEdited(const QString& text);

private:
    struct VolumeTab {
        std::string mount_point;
        std::string folder; // listed when the tab is chosen: at first the mount point
    };

    void list(std::string_view path, bool set_field);
    void update_tabs();
    void select_tab_of_folder();
    void tab_chosen(int index);
    void path_edited(const QString& text);
    void path_entered();
    [[nodiscard]] int tab_of(const std::string& folder) const;
    [[nodiscard]] std::string typed_folder() const;

    ShellContext& ctx_;
    LocalListModel model_;
    QVBoxLayout layout_;
    QTabBar tabs_;
    QLineEdit path_;
    QLineEdit mask_;
    PaneView list_;
    std::vector<VolumeTab> volumes_;
    int active_tab_ = -1;
    std::string synced_folder_; // ShellContext::local_folder as this pane last set it
    bool quiet_tabs_ = false;
};

} // namespace kestovan
