#include "views/widgets/pane_glue.h"

#include "profiles/site_profile.h"
#include "settings/settings.h"
#include "shell/shell.h"
#include "ui/language.h"
#include "ui/widgets/language_switcher.h"
#include "views/pane_menus.h"
#include "views/widgets/local_pane.h"
#include "views/widgets/remote_list.h"
#include "views/widgets/remote_tree.h"

#include <QHeaderView>
#include <QItemSelection>
#include <QMenu>

namespace kestovan {
namespace {

bool hammering(const DirEntry* node)
{
    const SiteProfile* profile = ShellContext::profile_of(node);
    return profile && profile->hammer_attempt != 0;
}

} // namespace

PaneGlue::PaneGlue(Shell& shell, LocalPane& local, RemoteList& list, RemoteTree& tree,
                   std::function<void(int)> send_command, QWidget* field_parent)
    : shell_(shell), local_(local), list_(list), tree_(tree), send_command_(std::move(send_command))
{
    auto field = std::make_unique<QLineEdit>(field_parent);
    remote_mask_ = field.get();
    if (field_parent)
        (void)field.release(); // the parent widget owns it
    else
        owned_mask_ = std::move(field);
    remote_mask_->setObjectName(QStringLiteral("remote_mask"));
    remote_mask_->setProperty(NO_TRANSLATION_PROPERTY, true);
    bind_placeholder_id(*remote_mask_, IDS_PLACEHOLDER_FILE_MASK);
    bind_tooltip_id(*remote_mask_, IDS_PLACEHOLDER_FILE_MASK);
    remote_mask_->setText(QString::fromStdString(shell.context().settings.text(KEY_RMASK)));
    commands_ = std::make_unique<PaneCommands>(shell, *this, transfer_port(shell.transfers()));
    // Profile nodes are deleted like remote rows: asked in "Confirm Delete", then removed.
    commands_->delete_profile = [&shell](DirEntry* node) {
        if (node)
            shell.transfers().delete_entries(nullptr, {node});
    };

    connect(&local_, &LocalPane::maskEdited, this,
            [this](const QString& text) { commands_->apply_local_mask(text.toStdString()); });
    connect(remote_mask_, &QLineEdit::textEdited, this,
            [this](const QString& text) { commands_->apply_remote_mask(text.toStdString()); });
    connect(&local_, &LocalPane::uploadRequested, this, [this](const LocalEntry& entry) {
        if (ShellContext& ctx = shell_.context(); ctx.shown_folder && ctx.shown_folder->find_session())
            shell_.transfers().upload_items(ctx.shown_folder, {entry.path});
    });

    LocalListModel& local_model = local_.list_model();
    local_model.rename_row = [this](const std::string& path, const std::string& name) {
        commands_->rename_local(path, name);
    };
    list_.list_model().rename_row = [this](DirEntry* row, const std::string& name) {
        commands_->rename_remote(row, name);
    };
    tree_.tree_model().rename_node = [this](DirEntry* node, const std::string& name) {
        commands_->rename_remote(node, name);
    };

    QHeaderView* local_header = local_.list_view().header();
    connect(local_header, &QHeaderView::sectionClicked, this, [this, local_header](int column) {
        local_.list_model().click_column(column);
        local_header->setSortIndicator(column, local_.list_model().sort_order());
    });
    local_header->setSortIndicator(0, Qt::AscendingOrder);
    QHeaderView* remote_header = list_.header();
    connect(remote_header, &QHeaderView::sectionClicked, this, [this, remote_header](int column) {
        list_.list_model().click_column(column);
        remote_header->setSortIndicator(column, list_.list_model().sort_order());
    });
    remote_header->setSortIndicator(0, Qt::AscendingOrder);

    wire_view(local_.list_view(), FOCUS_LOCAL);
    wire_view(list_, FOCUS_REMOTE);
    wire_view(tree_, FOCUS_TREE);
    local_.list_view().drag_data = [this] { return commands_->start_local_drag(local_selection()); };
    list_.drag_data = [this] { return commands_->start_remote_drag(remote_selection()); };
    tree_.drag_data = [this]() -> std::unique_ptr<QMimeData> {
        DirEntry* node = tree_.current_node();
        if (!node || node->kind == KIND_SITE || node->kind == KIND_URL_PROFILE ||
            node->kind == KIND_PROFILE_FOLDER)
            return nullptr;
        return commands_->start_remote_drag({node});
    };
}

PaneGlue::~PaneGlue()
{
    local_.list_model().rename_row = {};
    list_.list_model().rename_row = {};
    tree_.tree_model().rename_node = {};
    for (PaneView* view :
         {&local_.list_view(), static_cast<PaneView*>(&list_), static_cast<PaneView*>(&tree_)}) {
        view->drag_data = {};
        view->drop_handler = {};
    }
}

void PaneGlue::wire_view(PaneView& view, FocusPane pane)
{
    using namespace pane_cmd;
    const int copy = pane == FOCUS_LOCAL ? COPY_LOCAL : pane == FOCUS_REMOTE ? COPY_REMOTE : COPY_TREE;
    const int paste = pane == FOCUS_LOCAL ? PASTE_LOCAL : pane == FOCUS_REMOTE ? PASTE_REMOTE : PASTE_TREE;
    const int remove = pane == FOCUS_LOCAL    ? DELETE_LOCAL
                       : pane == FOCUS_REMOTE ? DELETE_REMOTE
                                              : DELETE_TREE;
    connect(&view, &PaneView::copyRequested, this, [this, copy] { send_command_(copy); });
    connect(&view, &PaneView::pasteRequested, this, [this, paste] { send_command_(paste); });
    connect(&view, &PaneView::deleteRequested, this, [this, remove] { send_command_(remove); });
    connect(&view, &QWidget::customContextMenuRequested, this,
            [this, &view, pane](const QPoint& at) { show_menu(view, pane, at); });
    view.drop_handler = [this, pane](const QMimeData& data, const QModelIndex& index, bool commit) {
        return handle_drop(data, index, pane, commit);
    };
}

bool PaneGlue::handle_drop(const QMimeData& data, const QModelIndex& index, FocusPane pane, bool commit)
{
    DropTarget target;
    target.pane = pane == FOCUS_LOCAL    ? DropPane::LOCAL_LIST
                  : pane == FOCUS_REMOTE ? DropPane::REMOTE_LIST
                                         : DropPane::REMOTE_TREE;
    std::optional<LocalEntry> local_row;
    if (pane == FOCUS_LOCAL) {
        if (const LocalEntry* row = local_.list_model().entry(index)) {
            local_row = *row; // the drop may read the folder again
            target.local_row = &*local_row;
        }
    } else if (pane == FOCUS_REMOTE) {
        target.remote_row = list_.list_model().entry(index);
    } else {
        target.remote_row = tree_.tree_model().node(index);
    }
    if (!commit)
        return commands_->plan(data, target).kind != DropKind::NONE;
    return commands_->drop(data, target);
}

std::vector<PaneMenuItem> PaneGlue::menu_items(FocusPane pane) const
{
    const ShellContext& ctx = shell_.context();
    const PaneClipboards& clips = commands_->clipboards();
    std::vector<PaneMenuItem> items;
    if (pane == FOCUS_LOCAL) {
        LocalMenuFacts facts;
        for (const LocalEntry& row : local_selection()) {
            if (row.kind == LOCAL_FILE || row.kind == LOCAL_FOLDER)
                ++facts.selected_rows;
            if (row.kind == LOCAL_FILE)
                ++facts.selected_files;
        }
        facts.remote_folder = ctx.shown_folder && ctx.shown_folder->find_session();
        facts.clipboards_empty = clips.empty();
        items = local_menu(facts);
    } else {
        RemoteMenuFacts facts;
        std::vector<DirEntry*> rows;
        if (pane == FOCUS_TREE) {
            if (DirEntry* node = tree_.current_node())
                rows.push_back(node);
        } else {
            rows = remote_selection();
            std::erase_if(rows, [](const DirEntry* row) { return row->kind == KIND_PARENT; });
        }
        facts.selected = rows.empty() ? nullptr : rows.front();
        facts.selected_rows = static_cast<int>(rows.size());
        facts.only_batchable =
            !rows.empty() && std::all_of(rows.begin(), rows.end(), [](const DirEntry* row) {
                return row->kind == KIND_FILE || row->kind == KIND_WEB_LINK;
            });
        const DirEntry* subject = facts.selected ? facts.selected : ctx.shown_folder;
        facts.has_session = ShellContext::profile_of(subject) != nullptr;
        facts.connected = ctx.is_connected(subject);
        facts.hammering = hammering(subject);
        facts.clipboards_empty = clips.empty();
        facts.remote_clip_first = clips.remote_first();
        facts.shown_folder = ctx.shown_folder;
        items = remote_menu(facts, pane == FOCUS_TREE);
    }
    // Commands nobody has registered yet stay greyed.
    for (PaneMenuItem& item : items) {
        if (item.command != 0 && !shell_.has_command(item.command))
            item.enabled = false;
    }
    return items;
}

void PaneGlue::fill_menu(QMenu& menu, FocusPane pane) const
{
    for (const PaneMenuItem& item : menu_items(pane)) {
        if (item.command == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(load_qstring(item.string_id));
        action->setObjectName(QString::number(item.command));
        action->setEnabled(item.enabled);
        const int command = item.command;
        connect(action, &QAction::triggered, this, [this, command] { send_command_(command); });
    }
}

void PaneGlue::show_menu(PaneView& view, FocusPane pane, const QPoint& at)
{
    ShellContext& ctx = shell_.context();
    ctx.focus = pane;
    QMenu menu(&view);
    menu.setTitle(load_qstring(IDS_MENU_PANE_OPTIONS));
    fill_menu(menu, pane);
    menu.exec(view.viewport()->mapToGlobal(at));
}

void PaneGlue::show_filter_bar(bool shown)
{
    local_.show_filter_bar(shown);
    remote_mask_->setVisible(shown);
    commands_->set_filter_bar(shown);
}

std::vector<LocalEntry> PaneGlue::local_selection() const
{
    return local_.selected_entries();
}

std::vector<DirEntry*> PaneGlue::remote_selection() const
{
    return list_.selected_entries();
}

void PaneGlue::select_all(FocusPane pane)
{
    if (pane == FOCUS_LOCAL)
        local_.list_view().selectAll();
    else if (pane == FOCUS_REMOTE)
        list_.selectAll();
}

void PaneGlue::edit_local_label(const std::string& path)
{
    if (std::optional<int> row = local_.list_model().row_of_path(path)) {
        const QModelIndex index = local_.list_model().index(*row, LocalListModel::COL_NAME);
        local_.list_view().setCurrentIndex(index);
        local_.list_view().edit(index);
    }
}

void PaneGlue::edit_remote_label(DirEntry* node, bool in_tree)
{
    if (in_tree) {
        const QModelIndex index = tree_.tree_model().index_of(node);
        if (index.isValid())
            tree_.edit(index);
        return;
    }
    const int row = list_.list_model().row_of(node);
    if (row >= 0)
        list_.edit(list_.list_model().index(row, RemoteListModel::COL_FILE));
}

void PaneGlue::select_local(const std::string& path)
{
    local_.select_path(path);
}

void PaneGlue::set_local_mask(const std::string& mask)
{
    local_.set_mask(mask);
}

void PaneGlue::list_local(const std::string& folder)
{
    local_.show_folder(folder);
}

std::vector<LocalEntry> PaneGlue::local_rows() const
{
    return local_.list_model().entries();
}

std::vector<DirEntry*> PaneGlue::remote_rows() const
{
    return list_.list_model().entries();
}

void PaneGlue::select_rows(FocusPane pane, const std::vector<bool>& selected)
{
    QTreeView& view = pane == FOCUS_LOCAL ? static_cast<QTreeView&>(local_.list_view()) : list_;
    QAbstractItemModel* model = view.model();
    const int last_column = model->columnCount() - 1;
    QItemSelection rows;
    QModelIndex first;
    for (int row = 0; row < model->rowCount() && row < static_cast<int>(selected.size()); ++row) {
        if (!selected[static_cast<std::size_t>(row)])
            continue;
        rows.select(model->index(row, 0), model->index(row, last_column));
        if (!first.isValid())
            first = model->index(row, 0);
    }
    view.selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect);
    if (first.isValid())
        view.scrollTo(first);
}

} // namespace kestovan
