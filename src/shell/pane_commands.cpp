#include "shell/pane_commands.h"

#include "common/paths.h"
#include "profiles/site_profile.h"
#include "settings/settings.h"
#include "shell/profile_nodes.h"
#include "shell/shell.h"
#include "ui/language.h"
#include "ui/prompts.h"
#include "ui/string_ids.h"
#include "views/dir_compare.h"
#include "views/local_fs.h"
#include "views/pane_menus.h"
#include "views/pane_sort.h"

namespace kestovan {
namespace {

std::vector<std::string> paths_of(const std::vector<LocalEntry>& rows)
{
    std::vector<std::string> out;
    for (const LocalEntry& row : rows) {
        if (row.kind == LOCAL_FILE || row.kind == LOCAL_FOLDER)
            out.push_back(row.path);
    }
    return out;
}

std::string folder_of(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

bool is_profile_node(const DirEntry* node)
{
    return node &&
           (node->kind == KIND_SITE || node->kind == KIND_URL_PROFILE || node->kind == KIND_PROFILE_FOLDER);
}

} // namespace

PaneCommands::PaneCommands(Shell& shell, PaneWidgets& widgets, TransferPort transfers)
    : shell_(shell), ctx_(shell.context()), widgets_(widgets), transfers_(std::move(transfers)),
      server_(ctx_, shell.sessions(), shell.browser())
{
    register_commands();
    widgets_.set_local_mask(ctx_.settings.text(KEY_LMASK));
    paste_profiles = [this](const std::vector<RemoteClip>& clips) { paste_profile_nodes(ctx_, clips); };
}

PaneCommands::~PaneCommands()
{
    // The shell outlives the panes: its table must not call into them afterwards.
    for (int id : registered_)
        shell_.set_command(id, {});
}

void PaneCommands::on(int id, std::function<void()> handler)
{
    registered_.push_back(id);
    shell_.set_command(id, std::move(handler));
}

void PaneCommands::by_focus(int id, int local, int remote, int tree)
{
    on(id, [this, local, remote, tree] {
        shell_.run_command(ctx_.focus == FOCUS_LOCAL ? local : ctx_.focus == FOCUS_REMOTE ? remote : tree);
    });
}

void PaneCommands::register_commands()
{
    using namespace pane_cmd;
    on(COPY_LOCAL, [this] { copy_local(); });
    on(COPY_REMOTE, [this] { copy_remote(false); });
    on(COPY_TREE, [this] { copy_remote(true); });
    on(PASTE_LOCAL, [this] { paste_local(); });
    on(PASTE_REMOTE, [this] { paste_remote(); });
    on(PASTE_TREE, [this] { paste_remote(); });
    on(DELETE_LOCAL, [this] { delete_local(); });
    on(DELETE_REMOTE, [this] { delete_remote(false); });
    on(DELETE_TREE, [this] { delete_remote(true); });
    on(RENAME_LOCAL, [this] {
        const std::vector<LocalEntry> rows = widgets_.local_selection();
        if (!rows.empty() && (rows.front().kind == LOCAL_FILE || rows.front().kind == LOCAL_FOLDER))
            widgets_.edit_local_label(rows.front().path);
    });
    on(RENAME_REMOTE, [this] {
        const std::vector<DirEntry*> rows = remote_selected_rows();
        if (!rows.empty())
            widgets_.edit_remote_label(rows.front(), false);
    });
    on(RENAME_TREE, [this] {
        if (ctx_.selected && ctx_.selected->kind != KIND_PARENT)
            widgets_.edit_remote_label(ctx_.selected, true);
    });
    on(NEW_FOLDER_LOCAL, [this] { new_local_folder(); });
    on(MENU_MKDIR, [this] { create_directory(ctx_.focus == FOCUS_LOCAL); });
    on(BUTTON_MKDIR, [this] { create_directory(ctx_.focus == FOCUS_LOCAL); });
    on(MKDIR_LIST, [this] { create_directory(false); });
    on(MKDIR_TREE, [this] { create_directory(false); });
    on(REFRESH_LOCAL, [this] { ctx_.view->local_list_changed(); });
    on(SELECT_ALL_LOCAL, [this] { widgets_.select_all(FOCUS_LOCAL); });
    on(SELECT_ALL_REMOTE, [this] { widgets_.select_all(FOCUS_REMOTE); });
    on(UPLOAD, [this] { upload_selection(); });
    on(UPLOAD_BUTTON, [this] { upload_selection(); });
    on(DOWNLOAD_LIST, [this] { download_selection(false); });
    on(DOWNLOAD_TREE, [this] { download_selection(true); });
    on(DOWNLOAD_BUTTON, [this] { download_selection(ctx_.focus == FOCUS_TREE); });
    on(OPEN_LOCAL, [this] { open_local(false); });
    on(VIEW_LOCAL, [this] { open_local(true); });
    on(APPEND_FILE, [this] { append_file(); });
    for (int id : {cmd::COMPARE_MENU, cmd::COMPARE_TOOLS, cmd::COMPARE_BUTTON})
        on(id, [this] { compare(); });
    by_focus(EDIT_COPY, COPY_LOCAL, COPY_REMOTE, COPY_TREE);
    by_focus(EDIT_PASTE, PASTE_LOCAL, PASTE_REMOTE, PASTE_TREE);
    for (int id : {EDIT_DELETE, MENU_DELETE, BUTTON_DELETE})
        by_focus(id, DELETE_LOCAL, DELETE_REMOTE, DELETE_TREE);
    for (int id : {MENU_RENAME, BUTTON_RENAME})
        by_focus(id, RENAME_LOCAL, RENAME_REMOTE, RENAME_TREE);
}

std::vector<DirEntry*> PaneCommands::remote_selected_rows() const
{
    std::vector<DirEntry*> rows = widgets_.remote_selection();
    std::erase_if(rows, [](const DirEntry* row) { return !row || row->kind == KIND_PARENT; });
    return rows;
}

void PaneCommands::copy_local()
{
    clips_.copy_local(widgets_.local_selection());
    ctx_.view->command_states_changed();
}

void PaneCommands::copy_remote(bool tree)
{
    if (tree) {
        if (ctx_.shown_folder)
            clips_.copy_remote(ctx_.current_session_node, {ctx_.shown_folder});
    } else {
        clips_.copy_remote(ctx_.current_session_node, remote_selected_rows());
    }
    ctx_.view->command_states_changed();
}

void PaneCommands::paste_local()
{
    // Into the selected row when it is a folder, else into the current folder.
    std::string folder = ctx_.local_folder;
    const std::vector<LocalEntry> rows = widgets_.local_selection();
    if (rows.size() == 1 && rows.front().kind == LOCAL_FOLDER)
        folder = rows.front().path;
    if (folder.empty())
        return;
    paste_local_clipboard(folder);
}

LocalPasteResult PaneCommands::paste_local_clipboard(const std::string& folder)
{
    LocalPasteResult result =
        kestovan::paste_local(clips_, folder, ctx_.prompts, transfers_,
                              [this](const DirEntry* node) { return ctx_.node_alive(node); });
    for (const std::string& target : result.failed)
        ctx_.prompts.message(load_string(IDS_CAPTION_ERROR),
                             load_string(IDS_ERR_OPEN_FOR_WRITING) + " " + target, PromptIcon::Error);
    if (result.copied > 0)
        ctx_.view->local_list_changed();
    return result;
}

void PaneCommands::paste_remote()
{
    kestovan::paste_remote(clips_, ctx_.shown_folder, transfers_, paste_profiles);
}

void PaneCommands::delete_local()
{
    const std::vector<std::string> paths = paths_of(widgets_.local_selection());
    if (paths.empty())
        return;
    const std::vector<std::string> left = delete_to_trash(paths);
    if (left.size() != paths.size())
        ctx_.view->local_list_changed();
}

void PaneCommands::delete_remote(bool tree)
{
    if (tree) {
        DirEntry* node = ctx_.selected;
        if (!node || node->kind == KIND_PARENT)
            return;
        if (is_profile_node(node)) {
            if (delete_profile)
                delete_profile(node);
            return;
        }
        if (transfers_.remove)
            transfers_.remove(ctx_.current_session_node, {node});
        return;
    }
    std::vector<DirEntry*> rows = remote_selected_rows();
    if (!rows.empty() && is_profile_node(rows.front())) {
        if (delete_profile)
            for (DirEntry* row : rows)
                delete_profile(row);
        return;
    }
    if (!rows.empty() && transfers_.remove)
        transfers_.remove(ctx_.current_session_node, rows);
}

void PaneCommands::upload_selection()
{
    const std::vector<std::string> paths = paths_of(widgets_.local_selection());
    if (!paths.empty() && ctx_.shown_folder && ctx_.shown_folder->find_session() && transfers_.upload)
        transfers_.upload(ctx_.shown_folder, paths);
}

void PaneCommands::download_selection(bool tree)
{
    std::vector<DirEntry*> rows;
    if (tree) {
        if (ctx_.shown_folder && !is_profile_node(ctx_.shown_folder))
            rows.push_back(ctx_.shown_folder);
    } else {
        rows = remote_selected_rows();
        std::erase_if(rows, [](const DirEntry* row) { return is_profile_node(row); });
    }
    if (!rows.empty() && !ctx_.local_folder.empty() && transfers_.download)
        transfers_.download(ctx_.current_session_node, rows, ctx_.local_folder);
}

void PaneCommands::new_local_folder()
{
    if (ctx_.local_folder.empty())
        return;
    if (std::optional<LocalEntry> row = new_folder(ctx_.local_folder, load_string(IDS_NEW_FOLDER_NAME))) {
        widgets_.select_local(row->path);
        widgets_.edit_local_label(row->path);
    }
}

void PaneCommands::create_directory(bool local)
{
    if (local && ctx_.local_folder.empty())
        return;
    if (!local && !(ctx_.shown_folder && ctx_.shown_folder->find_session()))
        return;
    const std::optional<std::string> typed =
        ctx_.prompts.text(load_string(IDS_DLG_CREATE_DIRECTORY), load_string(IDS_PROMPT_NEW_DIRECTORY), "");
    if (!typed || typed->empty())
        return;
    if (!local) {
        server_.make_folders(ctx_.shown_folder, *typed);
        return;
    }
    if (std::optional<LocalEntry> row = create_folder(ctx_.local_folder, *typed))
        widgets_.select_local(row->path);
}

void PaneCommands::open_local(bool viewer)
{
    const std::vector<LocalEntry> rows = widgets_.local_selection();
    if (rows.empty())
        return;
    const LocalEntry& row = rows.front();
    if (row.kind != LOCAL_FILE) {
        if (viewer) // View on a folder lists it
            widgets_.list_local(row.path);
        return;
    }
    if (viewer)
        shell_.view_edit().view_local(row.path);
    else
        shell_.view_edit().open_local(row.path);
}

void PaneCommands::append_file()
{
    const std::vector<LocalEntry> rows = widgets_.local_selection();
    if (rows.size() == 1 && rows.front().kind == LOCAL_FILE)
        shell_.view_edit().append_file(rows.front().path);
}

void PaneCommands::compare()
{
    const std::vector<DirEntry*> remote = widgets_.remote_rows();
    const std::vector<LocalEntry> local = widgets_.local_rows();
    std::vector<const DirEntry*> children;
    if (ctx_.shown_folder)
        for (const auto& child : ctx_.shown_folder->children)
            children.push_back(child.get());
    const SiteProfile* profile = ctx_.profile_of(ctx_.current_session_node);
    const CompareResult result = compare_directories({remote.begin(), remote.end()}, children, local,
                                                     profile && profile->name_case != 0);
    widgets_.select_rows(FOCUS_REMOTE, result.remote_selected);
    widgets_.select_rows(FOCUS_LOCAL, result.local_selected);
    ctx_.status.set_text(STATUS_MESSAGE,
                         format_string(IDS_STATUS_FILE_COMPARE, result.local_count, result.remote_count));
    ctx_.view->command_states_changed();
}

std::unique_ptr<QMimeData> PaneCommands::start_local_drag(const std::vector<LocalEntry>& rows) const
{
    return local_drag_data(rows);
}

std::unique_ptr<QMimeData> PaneCommands::start_remote_drag(const std::vector<DirEntry*>& rows)
{
    return drag_.start(ctx_.current_session_node, rows);
}

DropContext PaneCommands::drop_context() const
{
    DropContext context;
    context.shown_folder = ctx_.shown_folder;
    context.selected = ctx_.selected;
    context.local_folder = ctx_.local_folder;
    context.alive = [this](const DirEntry* node) { return ctx_.node_alive(node); };
    context.site_of = [](DirEntry* node) { return ShellContext::site_node_of(node); };
    return context;
}

DropPlan PaneCommands::plan(const QMimeData& data, const DropTarget& target) const
{
    return plan_drop(data, target, drop_context(), drag_);
}

bool PaneCommands::drop(const QMimeData& data, const DropTarget& target)
{
    DropPlan p = plan(data, target);
    switch (p.kind) {
    case DropKind::NONE: return false;
    case DropKind::UPLOAD:
    case DropKind::DESKTOP_UPLOAD:
        if (transfers_.upload)
            transfers_.upload(p.remote_target, p.local_paths);
        return true;
    case DropKind::LOCAL_MOVE: move_local(p.local_paths, p.target_path); return true;
    case DropKind::DOWNLOAD:
        if (transfers_.download)
            transfers_.download(p.session_node, p.remote_rows, p.target_path);
        return true;
    case DropKind::REMOTE_MOVE: server_.move_rows(p.session_node, p.remote_rows, p.target_path); return true;
    case DropKind::PROFILE_MOVE: move_profile_nodes(ctx_, p.remote_rows, *p.remote_target); return true;
    }
    return false;
}

void PaneCommands::move_local(const std::vector<std::string>& paths, const std::string& folder)
{
    for (const std::string& path : paths) {
        const std::string target = join_local(folder, path.substr(path.rfind('/') + 1));
        if (!move_file(path, target))
            ctx_.prompts.message(load_string(IDS_CAPTION_ERROR),
                                 format_string(IDS_ERR_MOVE_FILE, path, target), PromptIcon::Error);
    }
    ctx_.view->local_list_changed();
}

bool PaneCommands::rename_local(const std::string& path, const std::string& new_name)
{
    if (!is_plain_name(new_name))
        return false;
    const std::string target = join_local(folder_of(path), new_name);
    if (target == path)
        return false;
    const bool ok = rename_path(path, target);
    ctx_.view->local_list_changed();
    return ok;
}

bool PaneCommands::rename_remote(DirEntry* row, const std::string& new_name)
{
    return server_.rename(row, new_name);
}

void PaneCommands::set_filter_bar(bool shown)
{
    filter_bar_ = shown;
    shell_.browser().set_remote_mask(ctx_.settings.text(KEY_RMASK), shown);
}

void PaneCommands::apply_local_mask(const std::string& text)
{
    if (!filter_bar_ || compare_no_case(text, ctx_.settings.text(KEY_LMASK)) == 0)
        return;
    ctx_.settings.set_text(KEY_LMASK, text);
    widgets_.set_local_mask(text);
}

void PaneCommands::apply_remote_mask(const std::string& text)
{
    if (!filter_bar_ || compare_no_case(text, ctx_.settings.text(KEY_RMASK)) == 0)
        return;
    ctx_.settings.set_text(KEY_RMASK, text);
    shell_.browser().set_remote_mask(text, true);
}

} // namespace kestovan
