#include "shell/pane_drop.h"

#include "common/paths.h"
#include "shell/profile_nodes.h"
#include "shell/remote_browser.h"

#include <QUrl>

#include <algorithm>

namespace kestovan {
namespace {

bool is_remote_folder(const DirEntry* node)
{
    return node && (node->kind == KIND_FOLDER || node->kind == KIND_LINK || node->kind == KIND_SITE);
}

bool is_local_folder(const LocalEntry* row)
{
    return row && (row->kind == LOCAL_FOLDER || row->kind == LOCAL_PARENT || row->kind == LOCAL_VOLUME);
}

bool transferable(const DirEntry* row)
{
    return row->kind == KIND_FILE || row->kind == KIND_FOLDER || row->kind == KIND_LINK ||
           row->kind == KIND_WEB_LINK;
}

std::vector<std::string> lines_of(const QByteArray& bytes)
{
    std::vector<std::string> out;
    for (const QByteArray& line : bytes.split('\n')) {
        if (!line.isEmpty())
            out.push_back(line.toStdString());
    }
    return out;
}

std::string parent_local(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

// The remote folder node local rows go into for a drop on node (null: the empty list area).
DirEntry* upload_target(const DropTarget& target, const DropContext& ctx)
{
    DirEntry* node = target.remote_row;
    if (!node)
        return target.pane == DropPane::REMOTE_LIST ? ctx.shown_folder : nullptr;
    switch (node->kind) {
    case KIND_FOLDER:
    case KIND_LINK:
    case KIND_SITE: return node;
    case KIND_FILE: return ctx.shown_folder;
    case KIND_PARENT: {
        DirEntry* up = ctx.shown_folder ? ctx.shown_folder->parent : nullptr;
        return is_remote_folder(up) ? up : nullptr;
    }
    default: return nullptr; // URL profiles, web links and profile folders take no files
    }
}

DropPlan plan_upload(std::vector<std::string> paths, DirEntry* node, DropKind kind)
{
    DropPlan plan;
    if (!node || paths.empty() || !node->find_session())
        return plan;
    plan.kind = kind;
    plan.local_paths = std::move(paths);
    plan.remote_target = node;
    return plan;
}

DropPlan plan_desktop(const QMimeData& data, const DropContext& ctx)
{
    std::vector<std::string> paths;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile().toStdString());
    }
    // Into the selected folder or link of the shown folder, else into the shown folder.
    DirEntry* node = ctx.shown_folder;
    if (ctx.selected && ctx.selected->parent == ctx.shown_folder &&
        (ctx.selected->kind == KIND_FOLDER || ctx.selected->kind == KIND_LINK))
        node = ctx.selected;
    if (!is_remote_folder(node))
        return {};
    return plan_upload(std::move(paths), node, DropKind::DESKTOP_UPLOAD);
}

DropPlan plan_local_rows(const QMimeData& data, const DropTarget& target, const DropContext& ctx)
{
    std::vector<std::string> paths = lines_of(data.data(MIME_LOCAL_ROWS));
    if (target.pane != DropPane::LOCAL_LIST)
        return plan_upload(std::move(paths), upload_target(target, ctx), DropKind::UPLOAD);
    if (!is_local_folder(target.local_row))
        return {};
    const std::string folder = target.local_row->path;
    // A row dropped on itself, or on the folder it is already in, stays where it is; a folder does
    // not go into its own subtree.
    std::erase_if(paths, [&](const std::string& path) {
        return path == folder || parent_local(path) == folder || folder.starts_with(path + "/");
    });
    if (paths.empty())
        return {};
    DropPlan plan;
    plan.kind = DropKind::LOCAL_MOVE;
    plan.local_paths = std::move(paths);
    plan.target_path = folder;
    return plan;
}

DropPlan plan_profile_rows(const std::vector<DirEntry*>& dragged, const DropTarget& target,
                           const DropContext& ctx)
{
    DirEntry* folder = target.remote_row;
    if (target.pane == DropPane::LOCAL_LIST || !folder || !ctx.alive(folder) ||
        !std::all_of(dragged.begin(), dragged.end(), [&](DirEntry* row) { return ctx.alive(row); }) ||
        !can_move_profile_nodes(dragged, *folder))
        return {};
    DropPlan plan;
    plan.kind = DropKind::PROFILE_MOVE;
    plan.remote_rows = dragged;
    plan.remote_target = folder;
    return plan;
}

bool all_profile_nodes(const std::vector<DirEntry*>& rows)
{
    return !rows.empty() && std::all_of(rows.begin(), rows.end(), [](const DirEntry* row) {
        return row->kind == KIND_SITE || row->kind == KIND_URL_PROFILE || row->kind == KIND_PROFILE_FOLDER;
    });
}

DropPlan plan_remote_rows(const std::vector<DirEntry*>& dragged, DirEntry* session, const DropTarget& target,
                          const DropContext& ctx)
{
    if (all_profile_nodes(dragged))
        return plan_profile_rows(dragged, target, ctx);
    std::vector<DirEntry*> rows;
    for (DirEntry* row : dragged) {
        if (ctx.alive(row) && transferable(row))
            rows.push_back(row);
    }
    if (rows.empty() || !session || !ctx.alive(session))
        return {};
    DropPlan plan;
    plan.session_node = session;
    if (target.pane == DropPane::LOCAL_LIST) {
        plan.target_path = is_local_folder(target.local_row) ? target.local_row->path : ctx.local_folder;
        if (plan.target_path.empty())
            return {};
        plan.kind = DropKind::DOWNLOAD;
        plan.remote_rows = std::move(rows);
        return plan;
    }
    DirEntry* node = target.remote_row;
    if (!node || !(is_remote_folder(node) || node->kind == KIND_PARENT))
        return {};
    DirEntry* site_of_target = node->kind == KIND_PARENT ? ctx.site_of(ctx.shown_folder) : ctx.site_of(node);
    if (!site_of_target || site_of_target != ctx.site_of(rows.front()))
        return {};
    if (node->kind == KIND_PARENT) {
        if (!ctx.shown_folder)
            return {};
        plan.target_path = parent_remote_path(RemoteBrowser::listing_path(*ctx.shown_folder));
    } else {
        plan.target_path = RemoteBrowser::listing_path(*node);
    }
    std::erase_if(rows, [&](DirEntry* row) { return row == node; });
    if (rows.empty() || plan.target_path.empty())
        return {};
    plan.kind = DropKind::REMOTE_MOVE;
    plan.remote_rows = std::move(rows);
    return plan;
}

} // namespace

std::string parent_remote_path(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::unique_ptr<QMimeData> local_drag_data(const std::vector<LocalEntry>& rows)
{
    QByteArray paths;
    QList<QUrl> urls;
    for (const LocalEntry& row : rows) {
        if (row.kind != LOCAL_FILE && row.kind != LOCAL_FOLDER)
            continue;
        paths += QByteArray::fromStdString(row.path) + '\n';
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(row.path)));
    }
    if (urls.isEmpty())
        return nullptr;
    auto data = std::make_unique<QMimeData>();
    data->setData(MIME_LOCAL_ROWS, paths);
    data->setUrls(urls);
    return data;
}

std::unique_ptr<QMimeData> RemoteDrag::start(DirEntry* session_node, const std::vector<DirEntry*>& rows)
{
    rows_.clear();
    for (DirEntry* row : rows) {
        if (row && row->kind != KIND_PARENT)
            rows_.push_back(row);
    }
    session_node_ = session_node;
    ++serial_;
    if (rows_.empty())
        return nullptr;
    auto data = std::make_unique<QMimeData>();
    data->setData(MIME_REMOTE_ROWS, QByteArray::number(serial_));
    return data;
}

const std::vector<DirEntry*>* RemoteDrag::rows_of(const QMimeData& data) const
{
    if (!data.hasFormat(MIME_REMOTE_ROWS) || data.data(MIME_REMOTE_ROWS).toUInt() != serial_ || rows_.empty())
        return nullptr;
    return &rows_;
}

DropPlan plan_drop(const QMimeData& data, const DropTarget& target, const DropContext& ctx,
                   const RemoteDrag& drag)
{
    if (data.hasFormat(MIME_LOCAL_ROWS))
        return plan_local_rows(data, target, ctx);
    if (data.hasFormat(MIME_REMOTE_ROWS)) {
        const std::vector<DirEntry*>* rows = drag.rows_of(data);
        return rows ? plan_remote_rows(*rows, drag.session_node(), target, ctx) : DropPlan{};
    }
    if (data.hasUrls())
        return plan_desktop(data, ctx);
    return {};
}

} // namespace kestovan
