#include "shell/move_file.h"

#include "common/paths.h"
#include "engine/command_set.h"
#include "profiles/site_profile.h"
#include "shell/remote_browser.h"
#include "shell/shell_context.h"
#include "ui/language.h"
#include "ui/prompts.h"
#include "ui/string_ids.h"
#include "views/folder_transfer.h"
#include "views/local_file_ops.h"

#include <algorithm>
#include <filesystem>

namespace kestovan {

namespace {

// "/pub/" and "/pub" name the same folder; the root stays "/".
std::string clean_remote(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path.empty() ? "/" : path;
}

} // namespace

std::string remote_move_target(const std::string& shown_folder, const std::string& typed,
                               const std::string& name)
{
    std::string folder = typed;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (folder.empty() || folder.front() != '/')
        folder = folder.empty() ? shown_folder : join_remote(shown_folder, folder);
    return join_remote(folder, name);
}

MoveFile::MoveFile(ShellContext& ctx, RemoteBrowser& browser) : ctx_(ctx), browser_(browser) {}

bool MoveFile::move_local(const std::string& item_path)
{
    const std::string name = std::filesystem::path(item_path).filename().string();
    const auto typed = ctx_.prompts.text(load_string(IDS_DLG_MOVE_FILE),
                                         format_string(IDS_PROMPT_MOVE_LOCAL, name.c_str()), "");
    if (!typed)
        return false;
    const std::string target = join_local(join_local(ctx_.local_folder, *typed), name);
    const bool moved = move_file(item_path, target);
    if (!moved)
        ctx_.prompts.message(load_string(IDS_CAPTION_ERROR),
                             format_string(IDS_ERR_MOVE_FILE, item_path.c_str(), target.c_str()),
                             PromptIcon::Error);
    ctx_.view->local_list_changed();
    return moved;
}

bool MoveFile::move_remote(DirEntry& entry)
{
    SiteProfile* profile = entry.find_session();
    Session* session = profile ? profile->sessions : nullptr;
    FtpConnection* conn = session ? ctx_.live_connection(*session) : nullptr;
    if (!conn || !ctx_.shown_folder || !is_safe_local_name(entry.name))
        return false;
    const auto typed = ctx_.prompts.text(load_string(IDS_DLG_MOVE_FILE),
                                         format_string(IDS_PROMPT_MOVE_REMOTE, entry.name.c_str()), "");
    if (!typed)
        return false;
    const std::string source = remote_entry_path(entry);
    const std::string target = remote_move_target(remote_folder_path(*ctx_.shown_folder), *typed, entry.name);
    if (target == source)
        return false;
    send_rnfr(ctx_.engine, conn, source);
    send_rnto(ctx_.engine, conn, target);
    // Both folders show what the server holds now: the one the entry left and, when it is in the
    // tree and was listed, the one it went to.
    browser_.refresh();
    const std::string target_folder = target.substr(0, std::max<std::size_t>(target.rfind('/'), 1));
    DirEntry* site = ctx_.site_node_of(ctx_.shown_folder);
    if (DirEntry* into = site ? find_listed_folder(*site, target_folder) : nullptr;
        into && into != ctx_.shown_folder)
        browser_.request_listing(*session, *into, RemoteBrowser::listing_path(*into), false);
    return true;
}

DirEntry* MoveFile::find_listed_folder(DirEntry& node, const std::string& path)
{
    const bool folder = node.kind == KIND_SITE || node.kind == KIND_FOLDER || node.kind == KIND_LINK;
    if (!folder)
        return nullptr;
    if ((node.listed() || !node.children.empty()) && clean_remote(remote_path_of(node).value_or("/")) == path)
        return &node;
    for (auto& child : node.children)
        if (DirEntry* found = find_listed_folder(*child, path))
            return found;
    return nullptr;
}

} // namespace kestovan
