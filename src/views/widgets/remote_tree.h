// The remote tree of the main window (control 1668): profile folders, sites and URL profiles, and
// the remote folders listed so far below connected sites. Moving to a node shows it through the
// shell's browser; double-click or Enter opens it (connect, list, fetch).
#pragma once

#include "views/widgets/pane_view.h"
#include "views/widgets/remote_tree_model.h"

namespace kestovan {

class Shell;

class RemoteTree : public PaneView {
    Q_OBJECT
public:
    explicit RemoteTree(Shell& shell, QWidget* parent = nullptr);

    [[nodiscard]] RemoteTreeModel& tree_model() { return model_; }

    // Selects node as a click would (ShellView::select_tree_node): the browser shows it, unless it
    // is the selected node already. Nothing happens for a node the tree does not show.
    void select(DirEntry* node);
    // Makes node the current row, opening its parents and scrolling to it, without telling the
    // shell, which has shown it already (a folder opened in the list). Nothing happens for a node
    // the tree does not show.
    void show_node(const DirEntry* node);
    [[nodiscard]] DirEntry* current_node() const;

private:
    void current_moved(const QModelIndex& current);
    void clicked_on(const QModelIndex& index);
    void open(const QModelIndex& index);
    void follow_shown_folder();

    Shell& shell_;
    RemoteTreeModel model_;
    bool quiet_ = false; // the current row is being set by the program, not the user
};

} // namespace kestovan
