#include "shell/transfer_steps.h"

#include "common/paths.h"
#include "profiles/site_profile.h"
#include "settings/settings.h"
#include "ui/language.h"
#include "ui/string_ids.h"
#include "views/folder_transfer.h"
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

} // namespace

std::string upload_failure_text(const std::string& file_name, const std::string& reason)
{
    std::string text = load_string(IDS_MSG_UPLOAD_FAILED);
    if (!reason.empty())
        text += "\n\n" + load_string(IDS_MSG_FAILED_FILE) + file_name + "\n" +
                load_string(IDS_MSG_FAILED_REASON) + reason;
    return text;
}

bool TransferSteps::refresh_setting() const
{
    return ctx_.settings.flag(KEY_REFRESH);
}

void TransferSteps::log(const FtpConnection* conn, const std::string& text, std::uint32_t colour)
{
    Session* session = ctx_.session_of(conn);
    ctx_.log.append(session ? session->profile : nullptr, text, colour);
    ctx_.status.set_text(STATUS_MESSAGE, text);
}

CommandCallback TransferSteps::download_done(Session* record, std::string local_path,
                                             std::function<void()> on_failure)
{
    return [this, record, local_path = std::move(local_path),
            on_failure = std::move(on_failure)](FtpConnection& conn, bool ok) {
        Session* live = ctx_.find_session(record);
        if (live)
            ctx_.tasks.finish_row(live->task_row, ok);
        // A link is taken for a folder when the server would not send it as a file, not when the
        // local file could not be opened.
        const bool local = !conn.queue.empty() && conn.queue.front()->local_file_failed;
        if (ok)
            downloaded(local_path);
        else if (on_failure && !local)
            ctx_.defer(on_failure);
        return 1;
    };
}

void TransferSteps::downloaded(const std::string& local_path)
{
    ctx_.sounds.play(SOUND_FTP_DOWNLOAD);
    const std::string folder = std::filesystem::path(local_path).parent_path().string();
    if (clean_folder_path(folder) != clean_folder_path(ctx_.local_folder))
        return;
    if (refresh_setting())
        ctx_.view->local_list_changed();
    else
        ctx_.view->local_file_added(local_path);
}

CommandCallback TransferSteps::upload_done(Session* record, DirEntry* folder, std::string remote_name,
                                           std::string local_path, bool failure_box)
{
    return [this, record, folder, remote_name = std::move(remote_name), local_path = std::move(local_path),
            failure_box](FtpConnection& conn, bool ok) {
        Session* live = ctx_.find_session(record);
        if (live)
            ctx_.tasks.finish_row(live->task_row, ok);
        if (ok) {
            uploaded(live, folder, remote_name, local_path);
            return 1;
        }
        if (failure_box && !ctx_.unattended) {
            std::string reason;
            if (!conn.queue.empty())
                reason = conn.queue.front()->failure.empty() ? conn.queue.front()->reply
                                                             : conn.queue.front()->failure;
            const std::string name = std::filesystem::path(local_path).filename().string();
            ctx_.post_error_box(true, upload_failure_text(name, reason));
        }
        return 1;
    };
}

void TransferSteps::uploaded(Session* record, DirEntry* folder, const std::string& remote_name,
                             const std::string& local_path)
{
    ctx_.sounds.play(SOUND_FTP_UPLOAD);
    if (!folder || !ctx_.node_alive(folder))
        return;
    if (refresh_setting()) {
        if (record)
            refresh_when_idle(*record, folder);
        return;
    }
    const std::string size = std::to_string(file_size(local_path));
    for (auto& child : folder->children) {
        if (child->kind != KIND_PARENT && same_without_case(child->name, remote_name)) {
            child->size = size;
            child->date.reset();
            child->permissions.reset();
            child->owner.reset();
            child->group.reset();
            child->links.reset();
            if (folder == ctx_.shown_folder)
                ctx_.view->remote_list_changed();
            return;
        }
    }
    // The row joins the folder whether or not it is shown; a folder never listed gets none, since its
    // first opening lists it (a lone row would pass for its whole content).
    if (!folder->listed() && folder->children.empty())
        return;
    auto entry = std::make_unique<DirEntry>();
    entry->kind = KIND_FILE;
    entry->name = remote_name;
    entry->size = size;
    entry->path = join_remote(remote_folder_path(*folder), remote_name);
    entry->session = ctx_.profile_of(folder);
    folder->add_child(std::move(entry));
    ctx_.view->tree_children_changed(*folder);
    if (folder == ctx_.shown_folder)
        ctx_.view->remote_list_changed();
}

void TransferSteps::remove_node(DirEntry* node)
{
    if (!ctx_.node_alive(node) || !node->parent)
        return;
    DirEntry* parent = node->parent;
    ctx_.remove_remote_node(*node);
    ctx_.view->tree_children_changed(*parent);
    ctx_.view->remote_list_changed();
}

void TransferSteps::refresh_when_idle(Session& session, DirEntry* folder)
{
    if (!session.profile || !folder)
        return;
    session.profile->refresh_path = remote_folder_path(*folder);
    session.profile->refresh_node = folder;
}

} // namespace kestovan
