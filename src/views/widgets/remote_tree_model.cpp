#include "views/widgets/remote_tree_model.h"

#include "shell/shell_context.h"

#include <algorithm>
#include <unordered_set>

namespace kestovan {

// Counts nested reports, so views can tell the selection moves a removal causes from the user's.
struct RemoteTreeModel::ChangeScope {
    explicit ChangeScope(RemoteTreeModel& model) : model_(model) { ++model_.changing_; }
    ~ChangeScope() { --model_.changing_; }
    ChangeScope(const ChangeScope&) = delete;
    ChangeScope& operator=(const ChangeScope&) = delete;
    RemoteTreeModel& model_;
};

RemoteTreeModel::RemoteTreeModel(ShellContext& ctx, QObject* parent) : QAbstractItemModel(parent), ctx_(ctx)
{
    for (DirEntry* node : live_children(root_))
        root_.children.push_back(build(node, &root_));
}

RemoteTreeModel::~RemoteTreeModel() = default;

bool RemoteTreeModel::shows_in_tree(const DirEntry& node)
{
    switch (node.kind) {
    case KIND_FOLDER:
    case KIND_SITE:
    case KIND_URL_PROFILE:
    case KIND_PROFILE_FOLDER:
    case KIND_LINK: return true;
    case KIND_WEB_LINK: return !node.parent || node.parent->kind != KIND_URL_PROFILE;
    default: return false;
    }
}

std::vector<DirEntry*> RemoteTreeModel::live_children(const Row& row) const
{
    const EntryChain& chain = row.node ? row.node->children : ctx_.tree;
    std::vector<DirEntry*> out;
    for (const auto& child : chain) {
        if (shows_in_tree(*child))
            out.push_back(child.get());
    }
    return out;
}

RemoteTreeModel::Row* RemoteTreeModel::find(const DirEntry* node) const
{
    auto it = rows_.find(node);
    return it == rows_.end() ? nullptr : it->second;
}

int RemoteTreeModel::position(const Row& row) const
{
    const auto& siblings = row.parent->children;
    auto it = std::find_if(siblings.begin(), siblings.end(), [&](const auto& r) { return r.get() == &row; });
    return static_cast<int>(it - siblings.begin());
}

QModelIndex RemoteTreeModel::index_of_row(const Row& row) const
{
    if (&row == &root_)
        return {};
    return createIndex(position(row), 0, const_cast<Row*>(&row));
}

std::unique_ptr<RemoteTreeModel::Row> RemoteTreeModel::build(DirEntry* node, Row* parent)
{
    auto row = std::make_unique<Row>();
    row->node = node;
    row->parent = parent;
    rows_[node] = row.get();
    for (DirEntry* child : live_children(*row))
        row->children.push_back(build(child, row.get()));
    return row;
}

// Only the keys are touched: the node behind a row that is going may be gone already.
void RemoteTreeModel::forget(const Row& row)
{
    if (auto it = rows_.find(row.node); it != rows_.end() && it->second == &row)
        rows_.erase(it);
    for (const auto& child : row.children)
        forget(*child);
}

void RemoteTreeModel::remove_rows(Row& parent, int first, int last)
{
    beginRemoveRows(index_of_row(parent), first, last);
    auto begin = parent.children.begin();
    for (auto it = begin + first; it != begin + last + 1; ++it)
        forget(**it);
    parent.children.erase(begin + first, begin + last + 1);
    endRemoveRows();
}

void RemoteTreeModel::insert_rows(Row& parent, int first, const std::vector<DirEntry*>& nodes)
{
    beginInsertRows(index_of_row(parent), first, first + static_cast<int>(nodes.size()) - 1);
    auto at = parent.children.begin() + first;
    for (DirEntry* node : nodes)
        at = parent.children.insert(at, build(node, &parent)) + 1;
    endInsertRows();
}

// Brings the rows below row in line with the nodes: gone ones leave, moved ones move, new ones
// come in runs, and rows that stay are compared in turn. Rows are matched by node address only, and
// only nodes reached from the live tree are read.
void RemoteTreeModel::sync(Row& row)
{
    const std::vector<DirEntry*> live = live_children(row);
    const std::unordered_set<const DirEntry*> wanted(live.begin(), live.end());
    for (int last = static_cast<int>(row.children.size()) - 1; last >= 0;) {
        if (wanted.contains(row.children[static_cast<std::size_t>(last)]->node)) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && !wanted.contains(row.children[static_cast<std::size_t>(first - 1)]->node))
            --first;
        remove_rows(row, first, last);
        last = first - 1;
    }
    for (std::size_t i = 0; i < live.size();) {
        auto& kids = row.children;
        if (i < kids.size() && kids[i]->node == live[i]) {
            sync(*kids[i]);
            ++i;
            continue;
        }
        auto it = std::find_if(kids.begin() + static_cast<std::ptrdiff_t>(std::min(i, kids.size())),
                               kids.end(), [&](const auto& r) { return r->node == live[i]; });
        if (it != kids.end()) {
            const int from = static_cast<int>(it - kids.begin());
            const QModelIndex parent_index = index_of_row(row);
            beginMoveRows(parent_index, from, from, parent_index, static_cast<int>(i));
            std::rotate(kids.begin() + static_cast<std::ptrdiff_t>(i), it, it + 1);
            endMoveRows();
            continue;
        }
        // A node shown under another parent moved here: it leaves there first.
        std::vector<DirEntry*> run;
        for (std::size_t j = i; j < live.size(); ++j) {
            Row* elsewhere = find(live[j]);
            if (elsewhere && elsewhere->parent == &row)
                break;
            if (elsewhere) {
                const int at = position(*elsewhere);
                remove_rows(*elsewhere->parent, at, at);
            }
            run.push_back(live[j]);
        }
        insert_rows(row, static_cast<int>(i), run);
        i += run.size();
    }
}

void RemoteTreeModel::add_if_missing(DirEntry& node)
{
    if (!shows_in_tree(node) || find(&node))
        return;
    Row* parent = node.parent ? find(node.parent) : &root_;
    if (!parent) {
        add_if_missing(*node.parent);
        return;
    }
    sync(*parent);
}

void RemoteTreeModel::tree_item_changed(DirEntry& node)
{
    ChangeScope scope(*this);
    Row* row = find(&node);
    if (!row) {
        add_if_missing(node);
        return;
    }
    const QModelIndex index = index_of_row(*row);
    emit dataChanged(index, index);
}

void RemoteTreeModel::tree_children_changed(DirEntry& node)
{
    ChangeScope scope(*this);
    Row* row = find(&node);
    if (!row) {
        add_if_missing(node);
        return;
    }
    sync(*row);
    // The expand button follows the children and the listed flag, which rows alone do not show.
    const QModelIndex index = index_of_row(*row);
    emit dataChanged(index, index);
}

void RemoteTreeModel::tree_node_removing(DirEntry& node)
{
    ChangeScope scope(*this);
    if (Row* row = find(&node)) {
        const int at = position(*row);
        remove_rows(*row->parent, at, at);
    }
}

void RemoteTreeModel::reload()
{
    ChangeScope scope(*this);
    sync(root_);
}

DirEntry* RemoteTreeModel::node(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<Row*>(index.internalPointer())->node;
}

QModelIndex RemoteTreeModel::index_of(const DirEntry* node) const
{
    const Row* row = find(node);
    return row ? index_of_row(*row) : QModelIndex();
}

QModelIndex RemoteTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const Row* owner = parent.isValid() ? static_cast<Row*>(parent.internalPointer()) : &root_;
    if (column != 0 || row < 0 || row >= static_cast<int>(owner->children.size()) ||
        (parent.isValid() && parent.column() != 0))
        return {};
    return createIndex(row, 0, owner->children[static_cast<std::size_t>(row)].get());
}

QModelIndex RemoteTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    const Row* row = static_cast<Row*>(child.internalPointer());
    return index_of_row(*row->parent);
}

int RemoteTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    const Row* owner = parent.isValid() ? static_cast<Row*>(parent.internalPointer()) : &root_;
    return static_cast<int>(owner->children.size());
}

int RemoteTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool RemoteTreeModel::hasChildren(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return !root_.children.empty();
    if (parent.column() != 0)
        return false;
    const DirEntry* node = static_cast<Row*>(parent.internalPointer())->node;
    return !node->children.empty() || node->listed();
}

QVariant RemoteTreeModel::data(const QModelIndex& index, int role) const
{
    const DirEntry* entry = node(index);
    if (!entry)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return QString::fromStdString(entry->name);
    case Qt::DecorationRole: return icons_.icon(icons_.name_for(*entry));
    case ICON_NAME_ROLE: return icons_.name_for(*entry);
    case Qt::ToolTipRole:
        if (entry->kind == KIND_FOLDER || entry->kind == KIND_LINK)
            return QString::fromStdString(entry->path.value_or(entry->name));
        return QString::fromStdString(ShellContext::server_of(ShellContext::profile_of(entry)));
    default: return {};
    }
}

Qt::ItemFlags RemoteTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDragEnabled |
           Qt::ItemIsDropEnabled;
}

bool RemoteTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    DirEntry* entry = node(index);
    if (!entry || role != Qt::EditRole || !rename_node)
        return false;
    const std::string name = value.toString().toStdString();
    if (name == entry->name)
        return false;
    rename_node(entry, name);
    return true;
}

} // namespace kestovan
