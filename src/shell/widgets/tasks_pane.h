// The list of the "Tasks" tab (control 1969): the transfers with their progress, sorted by a click on
// a column title, with context menu 221. What Disconnect and Delete do to sessions and connections
// is the owner's: the pane hands over the selected rows.
#pragma once

#include "shell/widgets/task_rows_model.h"

#include <QTreeView>

#include <functional>
#include <memory>
#include <vector>

class QMenu;

namespace kestovan {

class TasksPane : public QTreeView {
    Q_OBJECT
public:
    // The pane shows rows through a TaskRowsModel of its own (the rows' one observer).
    explicit TasksPane(TaskRows& rows, QWidget* parent = nullptr);

    // "Dis&connect" (472): disconnect the sessions of these rows (cancel their web fetches).
    std::function<void(const std::vector<Task*>&)> on_disconnect;
    // "&Delete" (482): cancel the rows' web fetches or close their data connections, remove the rows.
    std::function<void(const std::vector<Task*>&)> on_delete;
    // Whether a row has a web fetch or a live connection to disconnect; unset: none has.
    std::function<bool(const Task&)> can_disconnect;

    [[nodiscard]] TaskRowsModel& rows_model() { return model_; }
    [[nodiscard]] std::vector<Task*> selected_tasks() const;

    // Context menu 221 as it would open now.
    [[nodiscard]] std::unique_ptr<QMenu> build_context_menu();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void select_row(int row);
    [[nodiscard]] std::vector<Task*> still_present(std::vector<Task*> tasks) const;
    TaskRowsModel model_;
};

} // namespace kestovan
