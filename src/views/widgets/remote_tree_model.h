// The item model of the remote tree: the profile tree of the shell (profile folders, sites, URL
// profiles) and, below connected sites, the remote folders and links listed so far. Files are rows of
// the remote list only.
//
// The shell owns the nodes and changes them first; it then tells the window (tree_item_changed,
// tree_children_changed) or warns it before nodes go (tree_node_removing). So the model keeps its own
// mirror of the rows it has reported, compares it with the nodes when told of a change, and never
// reaches a node through a row the shell may already have freed.
#pragma once

#include "views/widgets/pane_icons.h"

#include <QAbstractItemModel>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace kestovan {

struct ShellContext;

class RemoteTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // The icon's name (PaneIcons) of a row, for tests and for views that draw their own.
    static constexpr int ICON_NAME_ROLE = Qt::UserRole + 1;

    explicit RemoteTreeModel(ShellContext& ctx, QObject* parent = nullptr);
    ~RemoteTreeModel() override;

    // Folders, links and profile nodes have rows; files do not, nor the links a URL profile's page
    // gave (they are downloaded like files), nor "..".
    [[nodiscard]] static bool shows_in_tree(const DirEntry& node);

    // The window's ShellView calls, forwarded. A node the model does not show yet (a new profile)
    // is added by either of the first two.
    void tree_item_changed(DirEntry& node);
    void tree_children_changed(DirEntry& node);
    // The node and everything below it leave the model now. When the shell keeps the node and only
    // drops its children, its next tree_children_changed brings the node back.
    void tree_node_removing(DirEntry& node);
    // Compares every row with the profile tree (after the tree was loaded or replaced).
    void reload();

    [[nodiscard]] DirEntry* node(const QModelIndex& index) const;
    [[nodiscard]] QModelIndex index_of(const DirEntry* node) const;
    // True while the model reports a change; views ignore the selection moves that causes.
    [[nodiscard]] bool changing() const { return changing_ > 0; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // A node shows an expand button when it has children (files count) or was listed.
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Editing a node's label asks this to rename the node.
    std::function<void(DirEntry* node, const std::string& new_name)> rename_node;

private:
    struct Row {
        DirEntry* node = nullptr; // null for the invisible root
        Row* parent = nullptr;
        std::vector<std::unique_ptr<Row>> children;
    };
    struct ChangeScope;

    [[nodiscard]] std::vector<DirEntry*> live_children(const Row& row) const;
    [[nodiscard]] Row* find(const DirEntry* node) const;
    [[nodiscard]] int position(const Row& row) const;
    [[nodiscard]] QModelIndex index_of_row(const Row& row) const;
    std::unique_ptr<Row> build(DirEntry* node, Row* parent);
    void forget(const Row& row);
    void sync(Row& row);
    void remove_rows(Row& parent, int first, int last);
    void insert_rows(Row& parent, int first, const std::vector<DirEntry*>& nodes);
    void add_if_missing(DirEntry& node);

    ShellContext& ctx_;
    Row root_;
    std::unordered_map<const DirEntry*, Row*> rows_;
    mutable PaneIcons icons_;
    int changing_ = 0;
};

} // namespace kestovan
