// The file panes' gestures joined to their commands: the widgets' selections and label editing for
// PaneCommands, the column titles to the models' orders, the keys, drags, drops and context menus of
// the three controls, and the filter fields. The main window makes one after the panes.
#pragma once

#include "shell/pane_commands.h"
#include "views/pane_menus.h"

#include <QLineEdit>
#include <QObject>

#include <functional>
#include <memory>

class QMenu;

namespace kestovan {

class LocalPane;
class RemoteList;
class RemoteTree;
class PaneView;

class PaneGlue : public QObject, public PaneWidgets {
    Q_OBJECT
public:
    // send_command runs a command id as the main window's menus do; the remote mask field is made a
    // child of field_parent (owned here when there is none). The glue must go before the panes.
    PaneGlue(Shell& shell, LocalPane& local, RemoteList& list, RemoteTree& tree,
             std::function<void(int)> send_command, QWidget* field_parent = nullptr);
    ~PaneGlue() override;

    [[nodiscard]] PaneCommands& commands() { return *commands_; }
    // The remote mask field; the main window places it above the remote list.
    [[nodiscard]] QLineEdit& remote_mask_field() { return *remote_mask_; }
    void show_filter_bar(bool shown);

    // The items of a pane's context menu, enabled for the present state (for the menus and tests).
    [[nodiscard]] std::vector<PaneMenuItem> menu_items(FocusPane pane) const;
    // Fills menu with those items.
    void fill_menu(QMenu& menu, FocusPane pane) const;

    // PaneWidgets
    [[nodiscard]] std::vector<LocalEntry> local_selection() const override;
    [[nodiscard]] std::vector<DirEntry*> remote_selection() const override;
    void select_all(FocusPane pane) override;
    void edit_local_label(const std::string& path) override;
    void edit_remote_label(DirEntry* node, bool in_tree) override;
    void select_local(const std::string& path) override;
    void set_local_mask(const std::string& mask) override;
    void list_local(const std::string& folder) override;
    [[nodiscard]] std::vector<LocalEntry> local_rows() const override;
    [[nodiscard]] std::vector<DirEntry*> remote_rows() const override;
    void select_rows(FocusPane pane, const std::vector<bool>& selected) override;

private:
    void wire_view(PaneView& view, FocusPane pane);
    void show_menu(PaneView& view, FocusPane pane, const QPoint& at);
    bool handle_drop(const QMimeData& data, const QModelIndex& index, FocusPane pane, bool commit);

    Shell& shell_;
    LocalPane& local_;
    RemoteList& list_;
    RemoteTree& tree_;
    std::function<void(int)> send_command_;
    std::unique_ptr<QLineEdit> owned_mask_; // only while the field has no parent widget
    QLineEdit* remote_mask_ = nullptr;
    std::unique_ptr<PaneCommands> commands_;
};

} // namespace kestovan
