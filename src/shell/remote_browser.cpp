#include "shell/remote_browser.h"

#include "common/paths.h"
#include "profiles/site_profile.h"
#include "settings/settings.h"
#include "ui/language.h"
#include "ui/string_ids.h"
#include "views/listing_merge.h"
#include "views/listing_request.h"
#include "views/name_pattern.h"
#include "views/web_links.h"

#include <memory>

namespace kestovan {

namespace {

std::string collapse_slashes(std::string text)
{
    for (std::size_t pos; (pos = text.find("//")) != std::string::npos;)
        text.erase(pos, 1);
    return text;
}

} // namespace

RemoteBrowser::RemoteBrowser(ShellContext& ctx, SessionControl& sessions, EngineEventHandler& events)
    : ctx_(ctx), sessions_(sessions), events_(events)
{
    parent_row_.kind = KIND_PARENT;
    parent_row_.name = "..";
    sessions_.request_node_listing = [this](Session& session, DirEntry& node) {
        request_listing(session, node, listing_path(node), false);
    };
    sessions_.set_runner(OP_LIST, [this](Session& record) {
        if (record.operation_node)
            request_listing(record, *record.operation_node, record.operation_text, false);
    });
}

std::string RemoteBrowser::listing_path(const DirEntry& node)
{
    if (node.kind == KIND_LINK && node.link_target)
        return *node.link_target;
    return remote_path_of(node).value_or("");
}

void RemoteBrowser::request_listing(Session& session, DirEntry& folder, const std::string& path,
                                    bool may_spawn)
{
    FtpConnection* conn = ctx_.live_connection(session);
    if (may_spawn && ctx_.shown_folder && ctx_.is_busy(ctx_.shown_folder)) {
        sessions_.spawn_connection(&folder, {}, {}, path, OP_LIST);
        return;
    }
    if (!conn)
        return;
    DirEntry* target = &folder;
    kestovan::request_listing(ctx_.engine, conn, path, [this, target, path](FtpConnection& c, bool ok) {
        // The tree may have changed while the listing ran.
        if (ctx_.node_alive(target))
            listing_completed(c, *target, ok, path);
        return 1;
    });
}

void RemoteBrowser::listing_completed(FtpConnection& conn, DirEntry& folder, bool ok,
                                      const std::optional<std::string>& path)
{
    if (!ok)
        return;
    if (ctx_.selected && ctx_.selected->parent == &folder)
        ctx_.selected = nullptr;
    Session* session = ctx_.session_of(&conn);
    ListingOptions options;
    options.sort = ctx_.settings.flag(KEY_SORT);
    options.session = session ? session->profile : folder.find_session();
    if (options.session && options.session->remote_folder)
        options.start_folder = *options.session->remote_folder;
    const FtpConnection* data = conn.data_connection;
    if (options.sort)
        ctx_.status.set_text(STATUS_MESSAGE, load_string(IDS_STATUS_SORTING));
    ListingMergeResult result =
        merge_listing(folder, data ? std::string_view(data->buffer) : std::string_view(), data != nullptr,
                      folder.kind == KIND_SITE ? path : std::nullopt, options);
    if (options.sort)
        ctx_.status.set_text(STATUS_MESSAGE, "");
    if (!result.subject)
        return;
    if (result.directory_failed)
        events_.log_line(&conn, load_string(IDS_ERR_DIRECTORY_COMMAND_F101), LOG_BLUE);
    for (DirEntry* gone : result.vanished)
        ctx_.remove_remote_node(*gone);
    ctx_.view->tree_children_changed(*result.subject);
    if (result.subject == ctx_.shown_folder)
        ctx_.view->remote_list_changed();
}

std::vector<DirEntry*> RemoteBrowser::rows() const
{
    std::vector<DirEntry*> out;
    DirEntry* node = ctx_.shown_folder;
    if (!node)
        return out;
    const bool first_is_parent = !node->children.empty() && node->children.front()->kind == KIND_PARENT;
    const bool connected = ctx_.is_connected(node);
    const bool shallow = !node->parent || node->parent->kind == KIND_PROFILE_FOLDER ||
                         (node->children.empty() && !node->listed());
    if (!first_is_parent && !(!connected && shallow) && node->kind != KIND_PROFILE_FOLDER &&
        node->kind != KIND_URL_PROFILE)
        out.push_back(const_cast<DirEntry*>(&parent_row_));
    const bool filtering = filter_bar_ && !remote_mask_.empty();
    for (const auto& child : node->children) {
        const bool always =
            child->kind == KIND_FOLDER || child->kind == KIND_LINK || child->kind == KIND_PARENT;
        if (!filtering || always || match_pattern(remote_mask_, child->name))
            out.push_back(child.get());
    }
    return out;
}

void RemoteBrowser::show_folder(DirEntry* node)
{
    ctx_.shown_folder = node;
    ctx_.view->remote_list_changed();
}

std::string RemoteBrowser::status_text(const DirEntry* node) const
{
    if (!node)
        return {};
    const std::string server = ctx_.server_of(ctx_.profile_of(node));
    if (node->kind == KIND_SITE || node->kind == KIND_URL_PROFILE || node->kind == KIND_PROFILE_FOLDER)
        return server;
    if (node->kind == KIND_WEB_LINK)
        return web_node_url(*node).value_or(node->name);
    std::string path = node->path.value_or("");
    if (node->kind == KIND_FILE && (path.empty() || path.substr(path.rfind('/') + 1) != node->name))
        path = join_remote(path, node->name);
    return collapse_slashes(server + "/" + path);
}

void RemoteBrowser::select_node(DirEntry* node)
{
    if (!node)
        return;
    if (ctx_.shown_folder && ctx_.shown_folder != node)
        ctx_.previous_folder = ctx_.shown_folder;
    ctx_.selected = node;
    if (SiteProfile* profile = ctx_.profile_of(node)) {
        const SiteProfile* before = ctx_.profile_of(ctx_.current_session_node);
        ctx_.current_session_node = node;
        if (profile != before)
            ctx_.view->current_profile_changed(profile);
    }
    if (ctx_.shown_folder != node)
        show_folder(node);
    // A folder opened from the list is selected in the tree as well.
    ctx_.view->select_tree_node(*node);
    ctx_.view->title_changed();
    ctx_.view->command_states_changed();
    ctx_.status.set_text(STATUS_MESSAGE, status_text(node));
}

void RemoteBrowser::open_row(DirEntry* row)
{
    if (!row)
        return;
    switch (row->kind) {
    case KIND_FOLDER:
    case KIND_LINK: {
        if (!row->children.empty()) {
            select_node(row);
            return;
        }
        Session* session = ctx_.first_session(row);
        select_node(row);
        if (session && ctx_.is_connected(row))
            request_listing(*session, *row, listing_path(*row), true);
        else
            sessions_.queue_pending(row, nullptr, {}, {}, OP_LIST, listing_path(*row));
        return;
    }
    case KIND_SITE:
        if (!ctx_.is_connected(row))
            sessions_.connect(row, true);
        select_node(row);
        return;
    case KIND_URL_PROFILE:
        if (row->children.empty() && sessions_.fetch_url_profile)
            sessions_.fetch_url_profile(*row);
        select_node(row);
        return;
    case KIND_PROFILE_FOLDER: select_node(row); return;
    case KIND_PARENT: {
        DirEntry* shown = ctx_.shown_folder;
        if (!shown)
            return;
        if (shown->kind == KIND_SITE && ctx_.is_connected(shown)) {
            std::string path = shown->site_folder.value_or("");
            auto slash = path.rfind('/');
            path = slash == std::string::npos ? std::string() : path.substr(0, slash);
            if (path.empty())
                path = "/";
            ctx_.view->tree_node_removing(*shown);
            shown->children.clear();
            ctx_.view->tree_children_changed(*shown);
            ctx_.view->remote_list_changed();
            if (Session* session = ctx_.first_session(shown))
                request_listing(*session, *shown, path, true);
        } else if (shown->parent) {
            select_node(shown->parent);
        }
        return;
    }
    case KIND_WEB_LINK:
        if (download_web_link)
            download_web_link(*row, ctx_.local_folder);
        return;
    case KIND_FILE:
    default:
        if (download_entries)
            download_entries(ctx_.current_session_node ? ctx_.current_session_node : row, {row},
                             ctx_.local_folder);
        return;
    }
}

void RemoteBrowser::go_back()
{
    if (ctx_.previous_folder)
        select_node(ctx_.previous_folder);
}

void RemoteBrowser::refresh()
{
    DirEntry* shown = ctx_.shown_folder;
    if (shown && shown->kind == KIND_URL_PROFILE) {
        // A URL profile's "listing" is its page: fetch it again and rebuild the links.
        if (sessions_.fetch_url_profile)
            sessions_.fetch_url_profile(*shown);
        return;
    }
    if (!shown || !ctx_.is_connected(shown))
        return;
    if (Session* session = ctx_.first_session(shown))
        request_listing(*session, *shown, listing_path(*shown), true);
}

void RemoteBrowser::set_remote_mask(std::string mask, bool bar_shown)
{
    remote_mask_ = std::move(mask);
    filter_bar_ = bar_shown;
    ctx_.view->remote_list_changed();
}

} // namespace kestovan
