#include "views/widgets/local_pane.h"

#include "shell/shell_context.h"
#include "ui/language.h"
#include "ui/widgets/language_switcher.h"

#include <QDir>
#include <QScrollBar>

#include <algorithm>
#include <memory>

namespace kestovan {
namespace {

std::string home_folder()
{
    return clean_folder_path(QDir::homePath().toStdString());
}

QString tab_label(const std::string& mount_point)
{
    if (mount_point == "/")
        return QStringLiteral("/");
    if (mount_point == home_folder())
        return QStringLiteral("~");
    return QString::fromStdString(mount_point.substr(mount_point.rfind('/') + 1));
}

bool lies_on(const std::string& folder, const std::string& mount_point)
{
    if (mount_point == "/")
        return folder.starts_with('/');
    return folder == mount_point || folder.starts_with(mount_point + "/");
}

std::string parent_folder(const std::string& folder)
{
    const std::size_t slash = folder.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : folder.substr(0, slash);
}

} // namespace

LocalPane::LocalPane(ShellContext& ctx, QWidget* parent)
    : QWidget(parent), ctx_(ctx), layout_(this), list_(PaneView::Style::LIST)
{
    layout_.setContentsMargins(0, 0, 0, 0);
    layout_.setSpacing(2);
    tabs_.setDocumentMode(true);
    tabs_.setExpanding(false);
    tabs_.setUsesScrollButtons(true);
    tabs_.setProperty(NO_TRANSLATION_PROPERTY, true);
    path_.setProperty(NO_TRANSLATION_PROPERTY, true);
    mask_.setObjectName(QStringLiteral("local_mask"));
    mask_.setProperty(NO_TRANSLATION_PROPERTY, true);
    bind_placeholder_id(mask_, IDS_PLACEHOLDER_FILE_MASK);
    bind_tooltip_id(mask_, IDS_PLACEHOLDER_FILE_MASK);
    list_.setObjectName(QStringLiteral("1779"));
    list_.setModel(&model_);
    list_.set_column_widths(LocalListModel::COLUMN_WIDTHS, LocalListModel::COLUMN_SAMPLES);
    bind_column_ids(list_,
                    {IDS_COL_LOCAL_KIND, IDS_COL_LOCAL_FILENAME, IDS_COL_LOCAL_SIZE, IDS_COL_LOCAL_DATE});
    layout_.addWidget(&tabs_);
    // Path and mask share one row, so the filter bar costs the pane no height.
    auto filter_row = std::make_unique<QHBoxLayout>();
    filter_row->setContentsMargins(0, 0, 0, 0);
    filter_row->setSpacing(2);
    filter_row->addWidget(&path_, 3);
    filter_row->addWidget(&mask_, 1);
    layout_.addLayout(filter_row.release()); // owned by layout_
    layout_.addWidget(&list_, 1);
    setFocusProxy(&list_);

    connect(&tabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (!quiet_tabs_)
            tab_chosen(index);
    });
    connect(&path_, &QLineEdit::textEdited, this, [this](const QString& text) { path_edited(text); });
    connect(&path_, &QLineEdit::returnPressed, this, [this] { path_entered(); });
    connect(&mask_, &QLineEdit::textEdited, this, &LocalPane::maskEdited);
    connect(&list_, &PaneView::openRequested, this,
            [this](const QModelIndex& index) { open_row(index.row()); });
    connect(&list_, &PaneView::focusEntered, this, [this] {
        ctx_.focus = FOCUS_LOCAL;
        ctx_.view->command_states_changed();
    });
    connect(list_.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { ctx_.view->command_states_changed(); });

    update_tabs();
    list(ctx_.local_folder, true);
}

void LocalPane::list(std::string_view path, bool set_field)
{
    const std::string came_from = model_.folder();
    model_.list(path);
    if (!model_.folder().empty()) {
        ctx_.local_folder = model_.folder();
        synced_folder_ = ctx_.local_folder;
    }
    if (set_field)
        path_.setText(QString::fromStdString(model_.folder()));
    select_tab_of_folder();
    // Going up, the folder left behind is the current row, as file managers do.
    const std::optional<int> previous = came_from.empty() ? std::nullopt : model_.row_of_path(came_from);
    if (model_.rowCount() > 0) {
        const QModelIndex current = model_.index(previous.value_or(0), 0);
        list_.selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        list_.scrollTo(current);
    }
    ctx_.view->command_states_changed();
}

void LocalPane::show_folder(std::string_view path)
{
    list(path, true);
}

void LocalPane::refresh()
{
    if (!ctx_.local_folder.empty() && ctx_.local_folder != synced_folder_) {
        show_folder(ctx_.local_folder);
        return;
    }
    const std::string folder = model_.folder();
    std::vector<std::string> selected;
    for (const LocalEntry& entry : selected_entries())
        selected.push_back(entry.path);
    const LocalEntry* current_entry = model_.entry(list_.currentIndex());
    const std::string current = current_entry ? current_entry->path : std::string();
    const int scrolled = list_.verticalScrollBar()->value();

    model_.rescan();
    update_tabs();
    if (model_.folder() != folder) { // the folder went away: the volume list stands in its place
        path_.setText(QString::fromStdString(model_.folder()));
        select_tab_of_folder();
        ctx_.view->command_states_changed();
        return;
    }
    QItemSelection keep;
    for (const std::string& path : selected) {
        if (std::optional<int> row = model_.row_of_path(path))
            keep.select(model_.index(*row, 0), model_.index(*row, LocalListModel::COLUMN_COUNT - 1));
    }
    if (std::optional<int> row = current.empty() ? std::nullopt : model_.row_of_path(current))
        list_.selectionModel()->setCurrentIndex(model_.index(*row, 0), QItemSelectionModel::NoUpdate);
    list_.selectionModel()->select(keep, QItemSelectionModel::ClearAndSelect);
    list_.verticalScrollBar()->setValue(scrolled);
}

void LocalPane::show_filter_bar(bool shown)
{
    path_.setVisible(shown);
    mask_.setVisible(shown);
}

void LocalPane::set_mask(const std::string& mask)
{
    if (mask_.text().toStdString() != mask)
        mask_.setText(QString::fromStdString(mask));
    model_.set_mask(mask);
    refresh();
}

void LocalPane::select_path(const std::string& path)
{
    refresh();
    if (std::optional<int> row = model_.row_of_path(path)) {
        const QModelIndex index = model_.index(*row, LocalListModel::COL_NAME);
        list_.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
        list_.scrollTo(index);
    } else if (is_folder(path)) {
        show_folder(path);
    }
}

void LocalPane::go_up()
{
    const std::string folder = model_.folder();
    if (folder.empty())
        return;
    show_folder(folder == "/" ? std::string() : parent_folder(folder));
}

void LocalPane::open_row(int row)
{
    const LocalEntry* found = model_.entry(model_.index(row, 0));
    if (!found)
        return;
    const LocalEntry entry = *found; // the listing below replaces the rows
    switch (entry.kind) {
    case LOCAL_FOLDER:
    case LOCAL_PARENT:
    case LOCAL_VOLUME: show_folder(entry.path); return;
    case LOCAL_VOLUME_LIST: show_folder(""); return;
    default: emit uploadRequested(entry); return;
    }
}

bool LocalPane::has_selection() const
{
    return list_.selectionModel()->hasSelection();
}

std::vector<LocalEntry> LocalPane::selected_entries() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : list_.selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    std::vector<LocalEntry> out;
    for (int row : rows)
        out.push_back(model_.entries()[static_cast<std::size_t>(row)]);
    return out;
}

// The volumes are read again on every refresh; the tabs change only when the mounts did.
void LocalPane::update_tabs()
{
    const LocalChain volumes = list_volumes();
    std::vector<VolumeTab> fresh;
    for (const LocalEntry& volume : volumes) {
        auto old = std::find_if(volumes_.begin(), volumes_.end(),
                                [&](const VolumeTab& tab) { return tab.mount_point == volume.path; });
        fresh.push_back({volume.path, old == volumes_.end() ? volume.path : old->folder});
    }
    const bool same =
        std::equal(fresh.begin(), fresh.end(), volumes_.begin(), volumes_.end(),
                   [](const VolumeTab& a, const VolumeTab& b) { return a.mount_point == b.mount_point; });
    if (same)
        return;
    volumes_ = std::move(fresh);
    quiet_tabs_ = true;
    while (tabs_.count() > 0)
        tabs_.removeTab(0);
    for (const VolumeTab& tab : volumes_) {
        const int index = tabs_.addTab(tab_label(tab.mount_point));
        tabs_.setTabToolTip(index, QString::fromStdString(tab.mount_point));
    }
    quiet_tabs_ = false;
    active_tab_ = -1;
    select_tab_of_folder();
}

int LocalPane::tab_of(const std::string& folder) const
{
    int best = -1;
    std::size_t best_length = 0;
    for (std::size_t i = 0; i < volumes_.size(); ++i) {
        const std::string& mount = volumes_[i].mount_point;
        if (lies_on(folder, mount) && (best < 0 || mount.size() > best_length)) {
            best = static_cast<int>(i);
            best_length = mount.size();
        }
    }
    return best;
}

void LocalPane::select_tab_of_folder()
{
    const int tab = tab_of(model_.folder());
    if (tab < 0)
        return;
    active_tab_ = tab;
    if (tabs_.currentIndex() != tab) {
        quiet_tabs_ = true;
        tabs_.setCurrentIndex(tab);
        quiet_tabs_ = false;
    }
}

void LocalPane::tab_chosen(int index)
{
    if (index < 0 || index >= static_cast<int>(volumes_.size()))
        return;
    const std::string& folder = model_.folder();
    if (active_tab_ >= 0 && active_tab_ < static_cast<int>(volumes_.size()) && tab_of(folder) == active_tab_)
        volumes_[static_cast<std::size_t>(active_tab_)].folder = folder;
    active_tab_ = index;
    show_folder(volumes_[static_cast<std::size_t>(index)].folder);
}

std::string LocalPane::typed_folder() const
{
    std::string text = path_.text().toStdString();
    if (text == "~" || text.starts_with("~/"))
        text = home_folder() + text.substr(1);
    if (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

void LocalPane::path_edited(const QString&)
{
    // Only absolute paths: a relative one would be read against the program's working folder.
    const std::string typed = typed_folder();
    if (typed.starts_with('/') && clean_folder_path(typed) != model_.folder() && is_folder(typed))
        list(typed, false);
}

void LocalPane::path_entered()
{
    const std::string typed = typed_folder();
    if (typed.starts_with('/') && is_folder(typed))
        show_folder(typed);
}

} // namespace kestovan
