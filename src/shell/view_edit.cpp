#include "shell/view_edit.h"

#include "common/paths.h"
#include "engine/command_set.h"
#include "shell/remote_browser.h"
#include "shell/session_control.h"
#include "shell/web_browsing.h"
#include "ui/language.h"
#include "ui/prompts.h"
#include "ui/string_ids.h"
#include "views/folder_transfer.h"
#include "views/listing_request.h"
#include "views/scratch_names.h"

#include <filesystem>
#include <fstream>

namespace kestovan {

ViewEdit::ViewEdit(ShellContext& ctx, SessionControl& sessions, RemoteBrowser& browser, WebBrowsing& web)
    : ctx_(ctx), sessions_(sessions), browser_(browser), web_(web), editing_(ctx, browser)
{
    for (PendingOperation code : {OP_OPEN, OP_OPEN_FILE, OP_VIEW, OP_EDIT}) {
        sessions_.set_runner(code, [this, code](Session& record) {
            // The stored entry may have gone with a listing made meanwhile.
            if (!record.operation_entries.empty() && ctx_.node_alive(record.operation_entries.front()))
                run_fetch(record, *record.operation_entries.front(), code);
        });
    }
    sessions_.set_runner(OP_DIRECTORY_INFO, [this](Session& record) {
        if (!ctx_.node_alive(record.operation_node))
            return;
        // A spawned connection carries the path as its text, a stored operation as its argument.
        const std::string& path =
            record.operation_text.empty() ? record.operation_argument : record.operation_text;
        run_directory_info(record, record.operation_node, path);
    });
}

std::string ViewEdit::scratch_folder() const
{
    return join_local(ctx_.working_folder.string(), SCRATCH_FOLDER);
}

void ViewEdit::error(int string_id, const std::string& argument)
{
    ctx_.prompts.message(load_string(IDS_CAPTION_ERROR),
                         argument.empty() ? load_string(string_id) : format_string(string_id, argument),
                         PromptIcon::Error);
}

// --- local ---

void ViewEdit::open_local(const std::string& path)
{
    if (!tools_.open_file(path))
        error(IDS_ERR_OPEN_FILE);
}

void ViewEdit::view_local(const std::string& path)
{
    const bool started = is_image_path(path) ? tools_.open_file(path) : tools_.view_file(path);
    if (!started)
        error(IDS_ERR_OPEN_FILE);
}

// --- remote ---

void ViewEdit::open_remote(DirEntry* row)
{
    if (!row)
        return;
    switch (row->kind) {
    case KIND_WEB_LINK: web_.open_in_browser(*row); return;
    case KIND_FILE: fetch(row, OP_OPEN); return;
    default: browser_.open_row(row); return;
    }
}

void ViewEdit::view_remote(DirEntry* row)
{
    if (!row)
        return;
    switch (row->kind) {
    case KIND_FOLDER:
    case KIND_LINK:
    case KIND_SITE: directory_info(row); return;
    case KIND_URL_PROFILE:
    case KIND_WEB_LINK: web_.open_in_browser(*row); return;
    case KIND_FILE: fetch(row, OP_VIEW); return;
    default: return;
    }
}

void ViewEdit::edit_remote(DirEntry* row)
{
    if (!row)
        return;
    switch (row->kind) {
    case KIND_SITE:
    case KIND_URL_PROFILE:
    case KIND_PROFILE_FOLDER: ctx_.view->open_profile_manager(row); return;
    case KIND_FILE:
        if (editing_.running()) {
            error(IDS_ERR_ALREADY_EDITING);
            return;
        }
        fetch(row, OP_EDIT);
        return;
    default: return;
    }
}

void ViewEdit::fetch(DirEntry* row, PendingOperation code)
{
    DirEntry* site = ShellContext::site_node_of(row);
    if (!site)
        return;
    if (!ctx_.is_connected(row)) {
        sessions_.queue_pending(site, row, {}, {}, code, {});
        return;
    }
    run_fetch(*ShellContext::first_session(row), *row, code);
}

void ViewEdit::run_fetch(Session& session, DirEntry& row, PendingOperation code)
{
    FtpConnection* conn = ctx_.live_connection(session);
    if (!conn)
        return;
    const std::string remote = remote_entry_path(row);
    // Open keeps the entry's name; View and Edit take the name the remote path ends in.
    const std::string name = code == OP_OPEN || code == OP_OPEN_FILE ? row.name : last_path_segment(remote);
    const std::optional<std::string> scratch = scratch_path(scratch_folder(), name);
    if (!scratch) {
        error(IDS_ERR_SCRATCH_NAME, name);
        return;
    }
    if (code == OP_EDIT) {
        if (editing_.running()) {
            error(IDS_ERR_ALREADY_EDITING);
            return;
        }
        editing_.fetching(*scratch, remote, &row);
    }
    std::error_code ec;
    std::filesystem::create_directories(scratch_folder(), ec);
    Session* record = &session;
    auto done = [this, record, code, path = *scratch](FtpConnection&, bool ok) {
        if (Session* live = ctx_.find_session(record))
            ctx_.tasks.finish_row(live->task_row, ok);
        ctx_.defer([this, code, path, ok] { fetched(code, path, ok); });
        return 1;
    };
    if (!send_retr(ctx_.engine, conn, remote, *scratch, ctx_.binary(), std::move(done)))
        fetched(code, *scratch, false);
}

void ViewEdit::fetched(PendingOperation code, const std::string& scratch, bool ok)
{
    switch (code) {
    case OP_EDIT:
        if (!ok)
            editing_.fetch_failed();
        if (!ok || !editing_.start_editor(tools_))
            error(IDS_ERR_OPEN_FILE);
        return;
    case OP_VIEW: {
        std::error_code ec;
        if (!ok || !std::filesystem::is_regular_file(scratch, ec) || !tools_.view_file(scratch))
            error(IDS_ERR_OPEN_FILE);
        return;
    }
    default:
        if (!ok || !tools_.open_file(scratch))
            error(IDS_ERR_OPEN_FILE);
        return;
    }
}

void ViewEdit::directory_info(DirEntry* folder)
{
    if (!folder || !ctx_.profile_of(folder))
        return;
    const std::string path = RemoteBrowser::listing_path(*folder);
    if (!ctx_.is_connected(folder)) {
        sessions_.queue_pending(folder, nullptr, {}, {}, OP_DIRECTORY_INFO, path);
        return;
    }
    if (ctx_.is_busy(folder)) {
        sessions_.spawn_connection(folder, {}, {}, path, OP_DIRECTORY_INFO);
        return;
    }
    run_directory_info(*ShellContext::first_session(folder), folder, path);
}

void ViewEdit::run_directory_info(Session& session, DirEntry*, const std::string& path)
{
    FtpConnection* conn = ctx_.live_connection(session);
    if (!conn)
        return;
    const std::string file = join_local(scratch_folder(), directory_info_name(path));
    // The listing is not parsed: the server's text goes to the file as it came.
    request_listing(ctx_.engine, conn, path, [this, file](FtpConnection& c, bool ok) {
        if (!ok)
            return 1;
        std::string text = c.data_connection ? c.data_connection->buffer : std::string();
        ctx_.defer([this, file, text = std::move(text)] {
            std::error_code ec;
            std::filesystem::create_directories(scratch_folder(), ec);
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out << text;
            out.close();
            if (!out || !tools_.view_file(file))
                error(IDS_ERR_OPEN_FILE);
        });
        return 1;
    });
}

// --- Append File ---

void ViewEdit::append_file(const std::string& local_path)
{
    DirEntry* folder = ctx_.shown_folder;
    if (!folder || !ctx_.is_connected(folder))
        return;
    std::vector<std::string> names;
    for (const auto& child : folder->children)
        if (child->kind == KIND_FILE)
            names.push_back(child->name);
    std::string initial;
    if (ctx_.selected && ctx_.selected->kind == KIND_FILE && ctx_.selected->parent == folder)
        initial = ctx_.selected->name;
    const std::string name = std::filesystem::path(local_path).filename().string();
    const std::optional<std::string> chosen =
        ctx_.prompts.append_file(format_string(IDS_PROMPT_APPEND, name), names, initial);
    // The dialog's event loop may have taken the folder or the connection away.
    if (!chosen || chosen->empty() || !ctx_.node_alive(folder) || !ctx_.is_connected(folder))
        return;
    Session* session = ShellContext::first_session(folder);
    const std::string remote = join_remote(RemoteBrowser::listing_path(*folder), *chosen);
    send_appe(ctx_.engine, ctx_.live_connection(*session), local_path, remote, ctx_.binary(),
              [this, session](FtpConnection&, bool ok) {
                  if (Session* live = ctx_.find_session(session))
                      ctx_.tasks.finish_row(live->task_row, ok);
                  ctx_.defer([this] { browser_.refresh(); }); // once the APPE has left the queue
                  return 1;
              });
}

} // namespace kestovan
