// The three browsing widgets on a shell without a screen, with the window's ShellView calls
// forwarded to them as the main window forwards them.
#pragma once

#include "shell/shell_harness.h"
#include "views/widgets/local_pane.h"
#include "views/widgets/remote_list.h"
#include "views/widgets/remote_tree.h"

#include <QAbstractItemModelTester>

#include <memory>

namespace kestovan::test {

struct ForwardingView : ShellView {
    RemoteTree* tree = nullptr;
    RemoteList* list = nullptr;
    LocalPane* local = nullptr;
    ShellContext* ctx = nullptr;
    int command_state_updates = 0;

    void tree_item_changed(DirEntry& node) override
    {
        tree->tree_model().tree_item_changed(node);
        list->list_model().tree_item_changed(node);
    }
    void tree_children_changed(DirEntry& node) override { tree->tree_model().tree_children_changed(node); }
    void tree_node_removing(DirEntry& node) override
    {
        tree->tree_model().tree_node_removing(node);
        list->list_model().tree_node_removing(node);
    }
    void remote_list_changed() override
    {
        list->refill();
        tree->show_node(ctx->shown_folder);
    }
    void local_list_changed() override { local->refresh(); }
    void command_states_changed() override { ++command_state_updates; }
};

struct PanesHarness : ShellHarness {
    PanesHarness()
    {
        tree = std::make_unique<RemoteTree>(*shell);
        list = std::make_unique<RemoteList>(*shell);
        local_pane = std::make_unique<LocalPane>(ctx());
        view.tree = tree.get();
        view.list = list.get();
        view.local = local_pane.get();
        view.ctx = &ctx();
        original_view = ctx().view;
        ctx().view = &view;
    }
    ~PanesHarness()
    {
        ctx().view = original_view;
        // The widgets go before the shell and its nodes.
        local_pane.reset();
        list.reset();
        tree.reset();
    }

    // A folder node with a path, appended under parent.
    static DirEntry& add_folder(DirEntry& parent, const std::string& name, std::uint8_t kind = KIND_FOLDER)
    {
        auto node = std::make_unique<DirEntry>();
        node->kind = kind;
        node->name = name;
        node->path = parent.path.value_or("") + "/" + name;
        return parent.add_child(std::move(node));
    }

    ForwardingView view;
    ShellView* original_view = nullptr;
    std::unique_ptr<RemoteTree> tree;
    std::unique_ptr<RemoteList> list;
    std::unique_ptr<LocalPane> local_pane;
};

inline std::unique_ptr<QAbstractItemModelTester> model_tester(QAbstractItemModel& model)
{
    return std::make_unique<QAbstractItemModelTester>(&model,
                                                      QAbstractItemModelTester::FailureReportingMode::Fatal);
}

} // namespace kestovan::test
