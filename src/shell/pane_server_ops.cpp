#include "shell/pane_server_ops.h"

#include "common/paths.h"
#include "engine/command_set.h"
#include "profiles/site_profile.h"
#include "settings/settings.h"
#include "shell/remote_browser.h"
#include "shell/session_control.h"

#include <memory>

namespace kestovan {
namespace {

bool is_profile_node(const DirEntry& node)
{
    return node.kind == KIND_SITE || node.kind == KIND_URL_PROFILE || node.kind == KIND_PROFILE_FOLDER;
}

std::vector<std::string> path_prefixes(const std::string& typed)
{
    std::vector<std::string> out;
    std::string prefix;
    std::size_t start = 0;
    while (start <= typed.size()) {
        const std::size_t slash = typed.find('/', start);
        const std::string part =
            typed.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (!part.empty()) {
            prefix = prefix.empty() ? part : prefix + "/" + part;
            out.push_back(prefix);
        }
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return out;
}

} // namespace

bool is_plain_name(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
}

std::string row_remote_path(const DirEntry& row)
{
    if (row.kind == KIND_LINK || !row.path) {
        const std::string folder = row.parent ? RemoteBrowser::listing_path(*row.parent) : std::string();
        return join_remote(folder, row.name);
    }
    return *row.path;
}

PaneServerOps::PaneServerOps(ShellContext& ctx, SessionControl& sessions, RemoteBrowser& browser)
    : ctx_(ctx), sessions_(sessions), browser_(browser)
{
    sessions_.set_runner(OP_RENAME, [this](Session& record) {
        if (ctx_.node_alive(record.operation_node))
            run_rename(record.operation_node, record.operation_argument);
    });
    sessions_.set_runner(OP_MAKE_FOLDER, [this](Session& record) {
        if (ctx_.node_alive(record.operation_node))
            run_make_folders(record.operation_node, record.operation_argument);
    });
}

bool PaneServerOps::rename(DirEntry* row, const std::string& new_name)
{
    if (!row || row->kind == KIND_PARENT || !is_plain_name(new_name) || new_name == row->name)
        return false;
    if (is_profile_node(*row)) {
        row->name = new_name;
        if (row->profile)
            row->profile->name = new_name;
        row->flags[FLAG_MODIFIED] = 1;
        ctx_.view->tree_item_changed(*row);
        return true;
    }
    if (!ctx_.is_connected(row)) {
        sessions_.queue_pending(row, nullptr, {}, {}, OP_RENAME, new_name);
        return true;
    }
    run_rename(row, new_name);
    return true;
}

void PaneServerOps::run_rename(DirEntry* row, const std::string& new_name)
{
    Session* session = ctx_.first_session(row);
    FtpConnection* conn = session ? ctx_.live_connection(*session) : nullptr;
    if (!conn || !row->parent)
        return;
    const std::string old_name = row->name;
    const std::optional<std::string> old_path = row->path;
    const std::string from = row_remote_path(*row);
    const std::string to = join_remote(RemoteBrowser::listing_path(*row->parent), new_name);
    // Shown under the new name at once; the server's answer decides whether it stays.
    row->name = new_name;
    if (row->kind != KIND_LINK)
        row->path = to;
    ctx_.view->tree_item_changed(*row);
    send_rnfr(ctx_.engine, conn, from);
    send_rnto(ctx_.engine, conn, to, [this, row, old_name, old_path](FtpConnection&, bool ok) {
        if (!ctx_.node_alive(row))
            return 1;
        if (!ok) {
            row->name = old_name;
            row->path = old_path;
            ctx_.view->tree_item_changed(*row);
        } else if (ctx_.settings.flag(KEY_REFRESH)) {
            relist_if_shown(row->parent);
        }
        return 1;
    });
}

void PaneServerOps::make_folders(DirEntry* folder, const std::string& typed)
{
    if (!folder || path_prefixes(typed).empty() || !folder->find_session())
        return;
    if (!ctx_.is_connected(folder)) {
        sessions_.queue_pending(folder, nullptr, {}, {}, OP_MAKE_FOLDER, typed);
        return;
    }
    run_make_folders(folder, typed);
}

void PaneServerOps::run_make_folders(DirEntry* folder, const std::string& typed)
{
    Session* session = ctx_.first_session(folder);
    FtpConnection* conn = session ? ctx_.live_connection(*session) : nullptr;
    if (!conn)
        return;
    const std::string base = RemoteBrowser::listing_path(*folder);
    const std::vector<std::string> prefixes = path_prefixes(typed);
    const std::string first = prefixes.front();
    for (const std::string& prefix : prefixes) {
        send_mkd(ctx_.engine, conn, join_remote(base, prefix),
                 [this, folder, first, base](FtpConnection&, bool ok) {
                     if (!ok || !ctx_.node_alive(folder))
                         return 1;
                     if (ctx_.settings.flag(KEY_REFRESH)) {
                         relist_if_shown(folder);
                         return 1;
                     }
                     // Only the first segment lives in this folder; deeper ones belong to folders not listed.
                     for (const auto& child : folder->children) {
                         if (child->name == first)
                             return 1;
                     }
                     auto row = std::make_unique<DirEntry>();
                     row->kind = KIND_FOLDER;
                     row->name = first;
                     row->path = join_remote(base, first);
                     row->session = folder->find_session();
                     folder->add_child(std::move(row));
                     ctx_.view->tree_children_changed(*folder);
                     if (ctx_.shown_folder == folder)
                         ctx_.view->remote_list_changed();
                     return 1;
                 });
    }
}

void PaneServerOps::move_rows(DirEntry* session_node, const std::vector<DirEntry*>& rows,
                              const std::string& target_path)
{
    Session* session = ctx_.first_session(session_node);
    FtpConnection* conn = session ? ctx_.live_connection(*session) : nullptr;
    if (!conn || rows.empty())
        return;
    auto moved = std::make_shared<int>(0);
    auto left = std::make_shared<std::size_t>(rows.size());
    for (DirEntry* row : rows) {
        send_rnfr(ctx_.engine, conn, row_remote_path(*row));
        send_rnto(ctx_.engine, conn, join_remote(target_path, row->name),
                  [this, moved, left](FtpConnection&, bool ok) {
                      *moved += ok ? 1 : 0;
                      if (--*left == 0 && *moved > 0)
                          browser_.refresh();
                      return 1;
                  });
    }
}

void PaneServerOps::relist_if_shown(DirEntry* folder)
{
    if (folder && folder == ctx_.shown_folder)
        browser_.refresh();
}

} // namespace kestovan
