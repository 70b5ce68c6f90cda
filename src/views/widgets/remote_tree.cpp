#include "views/widgets/remote_tree.h"

#include "shell/shell.h"

namespace kestovan {

RemoteTree::RemoteTree(Shell& shell, QWidget* parent)
    : PaneView(Style::TREE, parent), shell_(shell), model_(shell.context())
{
    setObjectName(QStringLiteral("1668"));
    setModel(&model_);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { current_moved(current); });
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) { clicked_on(index); });
    connect(this, &PaneView::openRequested, this, [this](const QModelIndex& index) { open(index); });
    connect(this, &PaneView::focusEntered, this, [this] {
        shell_.context().focus = FOCUS_TREE;
        shell_.context().view->command_states_changed();
    });
    // A node that left and came back (its children were dropped and listed again) is current again.
    connect(&model_, &QAbstractItemModel::rowsInserted, this, [this] { follow_shown_folder(); });
}

DirEntry* RemoteTree::current_node() const
{
    return model_.node(currentIndex());
}

void RemoteTree::select(DirEntry* node)
{
    const QModelIndex index = model_.index_of(node);
    if (!index.isValid())
        return;
    if (index != currentIndex())
        setCurrentIndex(index); // current_moved shows it
    else if (shell_.context().selected != node)
        shell_.browser().select_node(node);
    scrollTo(index);
}

void RemoteTree::show_node(const DirEntry* node)
{
    const QModelIndex index = model_.index_of(node);
    if (!index.isValid() || index == currentIndex())
        return;
    quiet_ = true;
    setCurrentIndex(index);
    quiet_ = false;
    scrollTo(index);
}

void RemoteTree::follow_shown_folder()
{
    show_node(shell_.context().shown_folder);
}

void RemoteTree::current_moved(const QModelIndex& current)
{
    if (quiet_ || model_.changing())
        return;
    if (DirEntry* node = model_.node(current))
        shell_.browser().select_node(node);
}

void RemoteTree::clicked_on(const QModelIndex& index)
{
    // The list may have taken the selection since this row became current.
    DirEntry* node = model_.node(index);
    if (node && shell_.context().selected != node)
        shell_.browser().select_node(node);
}

void RemoteTree::open(const QModelIndex& index)
{
    if (DirEntry* node = model_.node(index))
        shell_.browser().open_row(node);
}

} // namespace kestovan
