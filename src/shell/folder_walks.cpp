#include "shell/folder_walks.h"

#include "common/paths.h"
#include "engine/command_set.h"
#include "settings/settings.h"
#include "ui/language.h"
#include "ui/prompts.h"
#include "ui/string_ids.h"
#include "views/listing_merge.h"
#include "views/listing_request.h"
#include "views/local_fs.h"

#include <filesystem>

namespace kestovan {

namespace {

DirEntry* child_named(DirEntry* node, const std::string& name)
{
    if (!node)
        return nullptr;
    for (auto& child : node->children)
        if (child->name == name)
            return child.get();
    return nullptr;
}

// False (and a log line) when the guard refuses path.
bool may_enter(FolderWalkGuard& guard, const std::string& path, int depth, TransferSteps& steps,
               const FtpConnection& conn)
{
    switch (guard.enter(path, depth)) {
    case FolderWalkGuard::Verdict::LIST: return true;
    case FolderWalkGuard::Verdict::ALREADY_LISTED:
        steps.log(&conn, format_string<IDS_LOG_FOLDER_LOOP>(path));
        return false;
    case FolderWalkGuard::Verdict::TOO_DEEP:
        steps.log(&conn, format_string<IDS_LOG_FOLDER_TOO_DEEP>(path, MAX_FOLDER_DEPTH));
        return false;
    }
    return false;
}

} // namespace

EntryChain FolderWalks::parse_received(FtpConnection& conn, DirEntry* node, const std::string& remote_path)
{
    const FtpConnection* data = conn.data_connection;
    const std::string_view text = data ? std::string_view(data->buffer) : std::string_view();
    Session* session = ctx_.session_of(&conn);
    ListingOptions options;
    options.sort = ctx_.settings.flag(KEY_SORT);
    options.session = session ? session->profile : nullptr;
    if (node && ctx_.node_alive(node)) {
        ListingMergeResult merged = merge_listing(*node, text, data != nullptr, std::nullopt, options);
        if (merged.subject) {
            ctx_.view->tree_children_changed(*merged.subject);
            if (merged.subject == ctx_.shown_folder)
                ctx_.view->remote_list_changed();
        }
    }
    DirEntry folder;
    folder.kind = KIND_FOLDER;
    folder.path = remote_path;
    return parse_listing(text, folder, options);
}

void FolderWalks::download_folder(FtpConnection& conn, const std::shared_ptr<FolderWalk>& walk,
                                  DirEntry* node, const std::string& remote_path,
                                  const std::string& local_folder, int depth)
{
    if (!may_enter(walk->guard, remote_path, depth, steps_, conn))
        return;
    switch (make_local_folder(walk->root, local_folder)) {
    case LocalFolderResult::CREATED:
    case LocalFolderResult::EXISTED: break;
    case LocalFolderResult::FAILED:
        ctx_.defer([this, text = format_string<IDS_ERR_CREATE_LOCAL_DIRECTORY>(local_folder)] {
            ctx_.prompts.message(load_string(IDS_CAPTION_ERROR), text, PromptIcon::Error);
        });
        return;
    case LocalFolderResult::OUTSIDE:
        steps_.log(&conn, format_string<IDS_LOG_LINK_OUTSIDE>(local_folder, walk->root));
        return;
    }
    if (clean_folder_path(std::filesystem::path(local_folder).parent_path().string()) ==
        clean_folder_path(ctx_.local_folder))
        ctx_.view->local_list_changed();
    request_listing(ctx_.engine, &conn, remote_path,
                    [this, walk, node, remote_path, local_folder, depth](FtpConnection& c, bool ok) {
                        folder_listed(c, walk, node, remote_path, local_folder, depth, ok);
                        return 1;
                    });
}

void FolderWalks::folder_listed(FtpConnection& conn, const std::shared_ptr<FolderWalk>& walk, DirEntry* node,
                                const std::string& remote_path, const std::string& local_folder, int depth,
                                bool ok)
{
    if (!ok) {
        steps_.log(&conn, load_string(IDS_ERR_DIRECTORY_COMMAND_F101));
        // The folder's failure shows in the Tasks pane: on the session's row while one runs, else
        // on a row of the folder's own.
        if (Session* session = ctx_.session_of(&conn)) {
            Task* row = ctx_.tasks.find(session->task_row);
            if (!row || row->state != TASK_RUNNING) {
                row = &ctx_.tasks.add_row(session, session->profile, ROW_DOWNLOAD, remote_path, 0);
                session->task_row = row->row_id;
            }
            ctx_.tasks.finish_row(*row, false);
        }
        return;
    }
    const EntryChain entries = parse_received(conn, node, remote_path);
    if (entries.empty())
        steps_.log(&conn, load_string(IDS_ERR_DIRECTORY_COMMAND_F102));
    DirEntry* live_node = ctx_.node_alive(node) ? node : nullptr;
    Session* record = ctx_.session_of(&conn);
    for (const DownloadStep& step :
         plan_folder_download(entries, remote_path, local_folder, ctx_.rename_rules)) {
        switch (step.kind) {
        case DownloadStep::Kind::UNSAFE_NAME:
            steps_.log(&conn, format_string<IDS_LOG_NAME_REFUSED>(step.name));
            break;
        case DownloadStep::Kind::FETCH: {
            if (!stays_inside(walk->root, step.local_path)) {
                steps_.log(&conn, format_string<IDS_LOG_LINK_OUTSIDE>(step.local_path, walk->root));
                break;
            }
            const DirEntry* listed = nullptr;
            for (const auto& entry : entries)
                if (entry->name == step.name)
                    listed = entry.get();
            FtpCommand* command = send_retr(ctx_.engine, &conn, step.remote_path, step.local_path,
                                            ctx_.binary(), steps_.download_done(record, step.local_path));
            if (command && listed)
                command->listed_size = listed_size(listed->size);
            break;
        }
        case DownloadStep::Kind::FOLDER:
            download_folder(conn, walk, child_named(live_node, step.name), step.remote_path, step.local_path,
                            depth + 1);
            break;
        }
        if (!ctx_.engine.is_live_connection(&conn))
            return;
    }
}

void FolderWalks::upload_folder(FtpConnection& conn, const std::shared_ptr<FolderWalk>& walk, DirEntry* node,
                                const std::string& local_folder, const std::string& remote_path, int depth)
{
    std::error_code ec;
    const std::string real = std::filesystem::canonical(local_folder, ec).string();
    if (ec || !may_enter(walk->guard, real, depth, steps_, conn))
        return;
    // Hidden folders are scanned as folders: a folder sent with STOR would fail.
    const auto rows = scan_folder(local_folder, walk->mask, SCAN_HIDDEN_FOLDERS);
    if (!rows)
        return;
    Session* record = ctx_.session_of(&conn);
    DirEntry* live_node = ctx_.node_alive(node) ? node : nullptr;
    for (const UploadStep& step :
         plan_folder_upload(*rows, remote_path, walk->name_case, ctx_.rename_rules)) {
        const std::string remote_name = step.remote_path.substr(step.remote_path.rfind('/') + 1);
        // A symbolic link inside the chosen folder may lead anywhere (a link to ~/.ssh in a project
        // folder): nothing outside the chosen folder is read.
        if (!stays_inside(walk->root, step.local_path)) {
            steps_.log(&conn, format_string<IDS_LOG_LINK_OUTSIDE>(step.local_path, walk->root));
            continue;
        }
        if (step.kind == UploadStep::Kind::STORE) {
            send_stor(ctx_.engine, &conn, step.local_path, step.remote_path, ctx_.binary(),
                      steps_.upload_done(record, live_node, remote_name, step.local_path, true));
        } else {
            send_mkd(ctx_.engine, &conn, step.remote_path);
            DirEntry* child = child_named(live_node, remote_name);
            send_marker(ctx_.engine, &conn,
                        [this, walk, child, local = step.local_path, remote = step.remote_path,
                         depth](FtpConnection& c, bool) {
                            upload_folder(c, walk, child, local, remote, depth + 1);
                            return 1;
                        });
        }
        if (!ctx_.engine.is_live_connection(&conn))
            return;
    }
}

FtpCommand* FolderWalks::send_remove_folder(FtpConnection& conn, const std::string& path,
                                            CommandCallback done)
{
    const auto slash = path.rfind('/');
    if (path.find(' ') != std::string::npos && slash != std::string::npos) {
        const std::uint32_t serial = conn.serial;
        send_cwd(ctx_.engine, &conn, slash == 0 ? std::string("/") : path.substr(0, slash));
        if (!ctx_.engine.is_live(&conn, serial))
            return nullptr;
        return send_rmd(ctx_.engine, &conn, path.substr(slash + 1), std::move(done));
    }
    return send_rmd(ctx_.engine, &conn, path, std::move(done));
}

} // namespace kestovan
