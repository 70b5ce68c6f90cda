// The "Batch Transfer" window (dialog 4309): the queue's tasks in list 1951, Start/Stop (1215), Clear
// (1907), Close (1217) and Help (7888), the context menu 220 with Delete (464) and Select All (465),
// and a status bar that repeats the main window's message and activity indicator. Modeless, one
// instance; closing it leaves the queue running.
#pragma once

#include "queue/transfer_queue.h"
#include "queue/widgets/batch_list_model.h"

#include <QDialog>

#include <memory>
#include <vector>

class QLabel;
class QMenu;
class QPushButton;
class QTreeView;

namespace kestovan {

struct ShellContext;
class ActivityIndicator;

inline constexpr int FORM_BATCH = 4309;

class BatchWindow : public QDialog, public TransferQueueObserver {
    Q_OBJECT
public:
    // Observes queue (its one observer) and the shell's status bar while it lives.
    BatchWindow(TransferQueue& queue, ShellContext& ctx, QWidget* parent = nullptr);
    ~BatchWindow() override;

    // Shows the window, or brings it back to the front when it is open.
    void open_window();

    // TransferQueueObserver
    void tasks_reset() override;
    void task_changed(const Task& task) override;
    void buttons_changed() override;

    // Delete (464): the selected tasks leave the queue and the neighbour of the last one is selected.
    void delete_selected();
    // Select All (465).
    void select_all();
    // The context menu 220 as it would open now.
    [[nodiscard]] std::unique_ptr<QMenu> build_context_menu();

    [[nodiscard]] QTreeView& list() { return *list_; }
    [[nodiscard]] BatchListModel& model() { return model_; }
    [[nodiscard]] std::vector<const Task*> selected_tasks() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void select_row(int row);
    void row_selected();

    TransferQueue& queue_;
    ShellContext& ctx_;
    BatchListModel model_;
    QTreeView* list_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* clear_ = nullptr;
    QLabel* message_ = nullptr;
    ActivityIndicator* indicator_ = nullptr;
};

} // namespace kestovan
