#include "shell/transfers.h"

#include "common/paths.h"
#include "engine/command_set.h"
#include "profiles/site_profile.h"
#include "settings/settings.h"
#include "shell/remote_browser.h"
#include "shell/session_control.h"
#include "ui/language.h"
#include "ui/prompts.h"
#include "ui/string_ids.h"
#include "views/local_fs.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace kestovan {

namespace {

bool same_without_case(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string lower_ascii(std::string text)
{
    for (char& ch : text)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    return text;
}

bool is_profile_kind(std::uint8_t kind)
{
    return kind == KIND_SITE || kind == KIND_URL_PROFILE || kind == KIND_WEB_LINK ||
           kind == KIND_PROFILE_FOLDER;
}

int delete_question(std::uint8_t kind)
{
    switch (kind) {
    case KIND_FOLDER: return IDS_ASK_DELETE_FOLDER;
    case KIND_SITE: return IDS_ASK_DELETE_FTP_PROFILE;
    case KIND_URL_PROFILE:
    case KIND_WEB_LINK: return IDS_ASK_DELETE_LINK;
    case KIND_PROFILE_FOLDER: return IDS_ASK_DELETE_PROFILE_FOLDER;
    default: return IDS_ASK_DELETE_FILE;
    }
}

// The remote folder uploads into this node go to; a site whose folder is not known yet (a pending
// upload before the first PWD) takes names relative to the login folder.
std::string upload_folder_of(const DirEntry& node)
{
    if (node.kind == KIND_SITE && !node.site_folder)
        return {};
    return remote_folder_path(node);
}

std::string join_upload(const std::string& folder, const std::string& name)
{
    return folder.empty() ? name : join_remote(folder, name);
}

struct LocalFileState {
    bool exists = false;
    std::int64_t size = 0;
};

LocalFileState local_file_state(const std::string& path)
{
    std::error_code ec;
    LocalFileState state;
    state.exists = std::filesystem::exists(path, ec) && !ec;
    if (state.exists) {
        const auto size = std::filesystem::file_size(path, ec);
        state.size = ec ? 0 : static_cast<std::int64_t>(size);
    }
    return state;
}

} // namespace

struct Transfers::Action {
    int answer = EXISTS_NO;
};

Transfers::Transfers(ShellContext& ctx, SessionControl& sessions, RemoteBrowser& browser)
    : ctx_(ctx), sessions_(sessions), browser_(browser), steps_(ctx), walks_(ctx, steps_)
{
    // A stored operation acts on tree nodes that a listing may have replaced meanwhile.
    auto alive = [this](const std::vector<DirEntry*>& entries) {
        std::vector<DirEntry*> out;
        std::copy_if(entries.begin(), entries.end(), std::back_inserter(out),
                     [this](DirEntry* e) { return ctx_.node_alive(e); });
        return out;
    };
    sessions_.set_runner(OP_DOWNLOAD, [this, alive](Session& record) {
        run_downloads(record, alive(record.operation_entries), record.operation_text);
    });
    sessions_.set_runner(OP_UPLOAD, [this](Session& record) {
        if (ctx_.node_alive(record.operation_node))
            run_uploads(record, record.operation_node, record.operation_items);
    });
    sessions_.set_runner(
        OP_DELETE, [this, alive](Session& record) { run_deletes(record, alive(record.operation_entries)); });
    browser_.download_entries = [this](DirEntry* node, const std::vector<DirEntry*>& entries,
                                       const std::string& folder) {
        download_entries(node, entries, folder);
    };
    browser_.run_downloads = [this](Session& session, const std::vector<DirEntry*>& entries,
                                    const std::string& folder) { run_downloads(session, entries, folder); };
}

bool Transfers::session_usable(Session& session) const
{
    return ctx_.find_session(&session) && ctx_.live_connection(session);
}

// --- downloads ---

void Transfers::download_entries(DirEntry* session_node, const std::vector<DirEntry*>& entries,
                                 const std::string& local_folder)
{
    DirEntry* node = session_node;
    if (!node || entries.empty())
        return;
    if (!ctx_.is_connected(node)) {
        sessions_.queue_pending(node, nullptr, entries, {}, OP_DOWNLOAD, local_folder);
        return;
    }
    if (ctx_.is_busy(node)) {
        sessions_.spawn_connection(node, entries, {}, local_folder, OP_DOWNLOAD);
        return;
    }
    run_downloads(*ctx_.first_session(node), entries, local_folder);
}

void Transfers::run_downloads(Session& session, const std::vector<DirEntry*>& entries,
                              const std::string& local_folder)
{
    auto action = std::make_shared<Action>();
    for (DirEntry* entry : entries) {
        if (!entry || !session_usable(session) ||
            download_one(session, *entry, local_folder, false, action) == Next::STOP)
            break;
    }
}

Transfers::Next Transfers::download_one(Session& session, DirEntry& entry, const std::string& folder,
                                        bool as_folder, const std::shared_ptr<Action>& action)
{
    if (entry.kind == KIND_FOLDER || as_folder)
        return download_folder(session, entry, folder, action);
    if (entry.kind != KIND_FILE && entry.kind != KIND_LINK)
        return Next::GO_ON;
    FtpConnection* conn = ctx_.live_connection(session);
    const std::string name =
        ctx_.rename_rules ? rename_for_download(*ctx_.rename_rules, entry.name) : entry.name;
    if (!is_safe_local_name(entry.name) || !is_safe_local_name(name)) {
        steps_.log(conn, format_string<IDS_LOG_NAME_REFUSED>(entry.name));
        return Next::GO_ON;
    }
    const std::string local = join_local(folder, name);
    if (!stays_inside(folder, local)) {
        steps_.log(conn, format_string<IDS_LOG_LINK_OUTSIDE>(local, folder));
        return Next::GO_ON;
    }
    const LocalFileState present = local_file_state(local);
    const std::int64_t remote_size = listed_size(entry.size);
    const std::string remote = remote_entry_path(entry);
    // The question runs its own event loop: the entry may be gone afterwards.
    DirEntry* link = entry.kind == KIND_LINK ? &entry : nullptr;
    if (present.exists && action->answer != EXISTS_YES_TO_ALL) {
        // The file that exists and would be replaced comes first, the one that replaces it second.
        action->answer = ctx_.prompts.file_exists(format_string<IDS_ASK_REPLACE_FILE>(local, remote),
                                                  remote_size > present.size);
        if (!session_usable(session))
            return Next::STOP;
    }
    // A missing file is fetched anew whatever the last answer was: resuming it has nothing to append to.
    if (!present.exists && action->answer != EXISTS_YES_TO_ALL)
        action->answer = EXISTS_YES;
    if (action->answer == EXISTS_CANCEL)
        return Next::STOP;
    if (action->answer == EXISTS_NO)
        return Next::GO_ON;
    conn = ctx_.live_connection(session);
    Session* record = &session;
    // A link that cannot be fetched as a file is taken for a folder.
    std::function<void()> retry;
    if (link)
        retry = [this, record, link, folder] {
            Session* live = ctx_.find_session(record);
            if (live && session_usable(*live) && ctx_.node_alive(link))
                download_one(*live, *link, folder, true, std::make_shared<Action>());
        };
    CommandCallback done = steps_.download_done(record, local, std::move(retry));
    FtpCommand* command =
        action->answer == EXISTS_RESTART
            ? send_retr_resume(ctx_.engine, conn, remote, local, ctx_.binary(), present.size, std::move(done))
            : send_retr(ctx_.engine, conn, remote, local, ctx_.binary(), std::move(done));
    if (command)
        command->listed_size = remote_size;
    return Next::GO_ON;
}

Transfers::Next Transfers::download_folder(Session& session, DirEntry& entry, const std::string& folder,
                                           const std::shared_ptr<Action>& action)
{
    DirEntry* node = &entry;
    const std::string name =
        entry.name.substr(entry.name.rfind('/') == std::string::npos ? 0 : entry.name.rfind('/') + 1);
    const std::string remote = remote_folder_path(entry);
    if (action->answer != EXISTS_YES_TO_ALL) {
        if (!ctx_.unattended) {
            const PromptAnswer answer = ctx_.prompts.question(
                load_string(IDS_CAPTION_CONFIRMATION), format_string<IDS_ASK_TRANSFER_FOLDER>(entry.name),
                PromptButtons::YesNoCancel);
            if (answer != PromptAnswer::Yes) {
                action->answer = EXISTS_CANCEL;
                return Next::STOP;
            }
            if (!session_usable(session))
                return Next::STOP;
        }
        action->answer = EXISTS_YES_TO_ALL;
    }
    FtpConnection* conn = ctx_.live_connection(session);
    if (!is_safe_local_name(name)) {
        steps_.log(conn, format_string<IDS_LOG_NAME_REFUSED>(name));
        return Next::GO_ON;
    }
    auto walk = std::make_shared<FolderWalk>();
    walk->root = folder;
    walks_.download_folder(*conn, walk, ctx_.node_alive(node) ? node : nullptr, remote,
                           join_local(folder, name), 0);
    return Next::GO_ON;
}

// --- uploads ---

void Transfers::upload_items(DirEntry* target_folder, const std::vector<std::string>& local_paths)
{
    DirEntry* node = target_folder;
    if (node && node->kind == KIND_FILE && node->parent)
        node = node->parent;
    if (!node || !ctx_.profile_of(node))
        return;
    LocalChain items;
    for (const std::string& path : local_paths)
        if (auto item = entry_for_path(path);
            item && (item->kind == LOCAL_FILE || item->kind == LOCAL_FOLDER))
            items.push_back(std::move(*item));
    if (items.empty())
        return;
    if (!ctx_.is_connected(node)) {
        sessions_.queue_pending(node, nullptr, {}, items, OP_UPLOAD, {});
        return;
    }
    if (ctx_.is_busy(node)) {
        sessions_.spawn_connection(node, {}, items, {}, OP_UPLOAD);
        return;
    }
    run_uploads(*ctx_.first_session(node), node, items);
}

void Transfers::run_uploads(Session& session, DirEntry* target_folder, const LocalChain& items)
{
    auto action = std::make_shared<Action>();
    for (const LocalEntry& item : items) {
        if (!session_usable(session) || upload_one(session, target_folder, item, action) == Next::STOP)
            break;
    }
}

Transfers::Next Transfers::upload_one(Session& session, DirEntry* target, const LocalEntry& item,
                                      const std::shared_ptr<Action>& action)
{
    if (!ctx_.node_alive(target))
        return Next::STOP;
    const std::string folder = upload_folder_of(*target);
    const std::uint8_t name_case = session.profile ? session.profile->name_case : 0;
    if (item.kind == LOCAL_FOLDER) {
        PromptAnswer answer = PromptAnswer::Yes;
        if (!ctx_.unattended && action->answer != EXISTS_YES_TO_ALL) {
            answer = ctx_.prompts.question(load_string(IDS_CAPTION_CONFIRMATION),
                                           format_string<IDS_ASK_TRANSFER_FOLDER>(item.name),
                                           PromptButtons::YesNoYesToAllCancel);
            if (!session_usable(session) || !ctx_.node_alive(target))
                return Next::STOP;
        }
        if (answer != PromptAnswer::Yes && answer != PromptAnswer::No && answer != PromptAnswer::YesToAll)
            return Next::STOP;
        if (answer == PromptAnswer::YesToAll)
            action->answer = EXISTS_YES_TO_ALL;
        const std::string remote_name = (name_case & CASE_LOWER_FOLDERS) ? lower_ascii(item.name) : item.name;
        const std::string remote = join_upload(folder, remote_name);
        FtpConnection* conn = ctx_.live_connection(session);
        send_mkd(ctx_.engine, conn, remote);
        if (answer == PromptAnswer::No || !ctx_.live_connection(session))
            return Next::GO_ON;
        auto walk = std::make_shared<FolderWalk>();
        walk->root = item.path;
        walk->mask = ctx_.settings.text(KEY_LMASK);
        walk->name_case = name_case;
        DirEntry* child = nullptr;
        for (auto& c : target->children)
            if (c->name == remote_name)
                child = c.get();
        send_marker(ctx_.engine, conn,
                    [this, walk, child, local = item.path, remote](FtpConnection& c, bool) {
                        walks_.upload_folder(c, walk, child, local, remote, 0);
                        return 1;
                    });
        return Next::GO_ON;
    }
    if (item.kind != LOCAL_FILE)
        return Next::GO_ON;
    std::string remote_name =
        ctx_.rename_rules ? rename_for_upload(*ctx_.rename_rules, item.name) : item.name;
    if (name_case & CASE_LOWER_FILES)
        remote_name = lower_ascii(std::move(remote_name));
    const std::string remote = join_upload(folder, remote_name);
    const DirEntry* existing = nullptr;
    for (const auto& child : target->children)
        if (child->kind != KIND_PARENT && same_without_case(child->name, remote_name))
            existing = child.get();
    const std::int64_t remote_size = existing ? listed_size(existing->size) : 0;
    const std::int64_t local_size = file_size(item.path);
    if (existing && action->answer != EXISTS_YES_TO_ALL) {
        action->answer = ctx_.prompts.file_exists(format_string<IDS_ASK_REPLACE_FILE>(remote, item.path),
                                                  remote_size < local_size);
        if (!session_usable(session) || !ctx_.node_alive(target))
            return Next::STOP;
    }
    if (!existing && action->answer != EXISTS_YES_TO_ALL)
        action->answer = EXISTS_YES;
    if (action->answer == EXISTS_CANCEL)
        return Next::STOP;
    if (action->answer == EXISTS_NO)
        return Next::GO_ON;
    FtpConnection* conn = ctx_.live_connection(session);
    CommandCallback done = steps_.upload_done(&session, target, remote_name, item.path, true);
    if (action->answer == EXISTS_RESTART)
        send_stor_resume(ctx_.engine, conn, item.path, remote, ctx_.binary(), remote_size, std::move(done));
    else
        send_stor(ctx_.engine, conn, item.path, remote, ctx_.binary(), std::move(done));
    return Next::GO_ON;
}

// --- removal ---

void Transfers::delete_entries(DirEntry* session_node, const std::vector<DirEntry*>& entries)
{
    std::vector<DirEntry*> rows;
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(rows),
                 [](DirEntry* e) { return e && e->kind != KIND_PARENT; });
    std::vector<DirEntry*> confirmed;
    bool all = false;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        DirEntry* entry = rows[i];
        // A question's event loop may have taken rows out of the tree.
        if (!ctx_.node_alive(entry))
            continue;
        if (!all) {
            const bool more = i + 1 < rows.size();
            const PromptAnswer answer =
                ctx_.prompts.question(load_string(IDS_CAPTION_CONFIRM_DELETE),
                                      format_string(delete_question(entry->kind), entry->name),
                                      more ? PromptButtons::YesNoYesToAllCancel : PromptButtons::YesNoCancel);
            if (answer == PromptAnswer::Cancel)
                break;
            if (answer == PromptAnswer::No)
                continue;
            all = answer == PromptAnswer::YesToAll;
        }
        confirmed.push_back(entry);
    }
    std::vector<DirEntry*> remote;
    for (DirEntry* entry : confirmed) {
        if (!ctx_.node_alive(entry))
            continue;
        if (is_profile_kind(entry->kind)) {
            if (remove_profile_node)
                remove_profile_node(*entry);
        } else {
            remote.push_back(entry);
        }
    }
    DirEntry* node = session_node;
    if (remote.empty() || !node)
        return;
    if (!ctx_.is_connected(node)) {
        sessions_.queue_pending(node, nullptr, remote, {}, OP_DELETE, {});
        return;
    }
    run_deletes(*ctx_.first_session(node), remote);
}

void Transfers::run_deletes(Session& session, const std::vector<DirEntry*>& entries)
{
    for (DirEntry* entry : entries) {
        if (!session_usable(session))
            return;
        if (ctx_.node_alive(entry))
            delete_one(session, *entry);
    }
}

void Transfers::delete_one(Session& session, DirEntry& entry)
{
    FtpConnection* conn = ctx_.live_connection(session);
    Session* record = &session;
    DirEntry* node = &entry;
    DirEntry* holder = entry.parent;
    auto deleted = [this, record, node, holder](bool ok) {
        if (!ok)
            return;
        if (steps_.refresh_setting()) {
            Session* live = ctx_.find_session(record);
            if (live && ctx_.node_alive(holder))
                steps_.refresh_when_idle(*live, holder);
        } else {
            steps_.remove_node(node);
        }
    };
    switch (entry.kind) {
    case KIND_FOLDER:
        walks_.send_remove_folder(*conn, remote_folder_path(entry), [deleted](FtpConnection&, bool ok) {
            deleted(ok);
            return 1;
        });
        return;
    case KIND_LINK: {
        // RMD removes a link that a server shows as a folder; on POSIX servers only DELE removes a
        // link, and neither follows it.
        const std::string path = remote_entry_path(entry);
        walks_.send_remove_folder(*conn, path, [this, path, deleted](FtpConnection& c, bool ok) {
            if (ok)
                deleted(true);
            else
                send_dele(ctx_.engine, &c, path, [deleted](FtpConnection&, bool removed) {
                    deleted(removed);
                    return 1;
                });
            return 1;
        });
        return;
    }
    default:
        send_dele(ctx_.engine, conn, remote_entry_path(entry), [deleted](FtpConnection&, bool ok) {
            deleted(ok);
            return 1;
        });
        return;
    }
}

} // namespace kestovan
