// The model of the "Batch Transfer" list (control 1951): the queue's tasks in queue order, or in the
// order of the last clicked column title, with "#" (an image of the state), "Source", "Destination",
// "Size" and "Filename".
#pragma once

#include "queue/batch_order.h"
#include "queue/transfer_queue.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <vector>

namespace kestovan {

// Waiting, running, done and failed each have their own image.
[[nodiscard]] QIcon batch_state_icon(const Task& task, bool running);

class BatchListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit BatchListModel(const TransferQueue& queue, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The rows in queue order again (the queue changed as a whole).
    void reset_rows();
    void task_changed(const Task& task);
    void sort_by_column(int column);

    [[nodiscard]] const Task* task_at(int row) const;
    [[nodiscard]] int row_of(const Task* task) const;
    [[nodiscard]] std::vector<std::string> names() const;

private:
    const TransferQueue& queue_;
    std::vector<const Task*> rows_;
};

} // namespace kestovan
