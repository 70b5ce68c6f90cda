// The Tasks pane's model: the rows of TaskRows as a table with two image columns, "Task", "Bytes",
// "%", "Size", "Server" and "KBps". The rows stay in TaskRows; the model reports their changes.
#pragma once

#include "shell/task_rows.h"
#include "ui/widgets/theme_icons.h"

#include <QAbstractTableModel>
#include <QIcon>

namespace kestovan {

enum TaskColumn : int {
    TASK_COL_STATE = 0, // done, failed, download or upload
    TASK_COL_TYPE,      // the file type of the name
    TASK_COL_NAME,
    TASK_COL_BYTES,
    TASK_COL_PERCENT,
    TASK_COL_SIZE,
    TASK_COL_SERVER,
    TASK_COL_RATE,
    TASK_COLUMN_COUNT
};

// The images of a row, from the desktop's icon theme with the style's icons as fallback.
[[nodiscard]] QIcon task_state_icon(const Task& row, ThemeIcons& icons);
[[nodiscard]] QIcon task_type_icon(const Task& row, ThemeIcons& icons);

class TaskRowsModel : public QAbstractTableModel, public TaskRowsObserver {
    Q_OBJECT
public:
    // Becomes the observer of rows (there is one); the rows must outlive the model.
    explicit TaskRowsModel(TaskRows& rows, QObject* parent = nullptr);
    ~TaskRowsModel() override;

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    [[nodiscard]] Task* task_at(int row) const;
    [[nodiscard]] TaskRows& rows() const { return rows_; }

    void rows_reset() override;
    void row_added(int index) override;
    void row_changed(int index) override;

signals:
    // A new row was added (the pane selects it).
    void rowAdded(int row);
    // A row was finished as done or failed (the pane makes it visible).
    void rowFinished(int row);

private:
    TaskRows& rows_;
    // The number of rows the views know: TaskRows has already changed when it reports, so the model
    // counts on its own to announce insertions correctly.
    int shown_rows_ = 0;
    mutable ThemeIcons icons_;
};

} // namespace kestovan
