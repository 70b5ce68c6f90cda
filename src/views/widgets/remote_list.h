// The remote list of the main window (control 1218): the rows of the shown folder. Moving to a row
// makes it the shell's selected node; double-click or Enter opens it (a folder is shown or listed,
// ".." goes up, a file is downloaded into the local folder).
#pragma once

#include "views/widgets/pane_view.h"
#include "views/widgets/remote_list_model.h"

#include <vector>

namespace kestovan {

class Shell;

class RemoteList : public PaneView {
    Q_OBJECT
public:
    explicit RemoteList(Shell& shell, QWidget* parent = nullptr);

    [[nodiscard]] RemoteListModel& list_model() { return model_; }

    // ShellView::remote_list_changed: the rows afresh; when the same folder is filled again its
    // selected rows stay selected.
    void refill();
    // The selected rows in list order, the ".." row included.
    [[nodiscard]] std::vector<DirEntry*> selected_entries() const;
    [[nodiscard]] bool has_selection() const;

private:
    void current_moved(const QModelIndex& current);
    void clicked_on(const QModelIndex& index);
    void open(const QModelIndex& index);
    void take_selection(DirEntry* row);

    Shell& shell_;
    RemoteListModel model_;
    bool quiet_ = false;
};

} // namespace kestovan
