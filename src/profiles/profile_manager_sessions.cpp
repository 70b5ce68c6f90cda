#include "profiles/profile_manager_sessions.h"

#include "profiles/site_profile.h"
#include "shell/shell.h"

namespace kestovan {

namespace {

DirEntry* find_by_path(EntryChain& level, const std::string& path)
{
    for (auto& node : level) {
        if ((node->kind == KIND_SITE || node->kind == KIND_URL_PROFILE) && node->session &&
            node->session->file_path && *node->session->file_path == path)
            return node.get();
        if (node->kind == KIND_PROFILE_FOLDER)
            if (DirEntry* found = find_by_path(node->children, path))
                return found;
    }
    return nullptr;
}

} // namespace

DirEntry* ShellProfileSessions::find_session_node(const std::string& path)
{
    return find_by_path(shell_.context().tree, path);
}

bool ShellProfileSessions::is_connected(const DirEntry& node)
{
    return shell_.context().is_connected(&node);
}

DirEntry& ShellProfileSessions::add_session_node(std::unique_ptr<DirEntry> node)
{
    ShellContext& ctx = shell_.context();
    node->parent = nullptr;
    DirEntry& added = *node;
    ctx.tree.push_back(std::move(node));
    ctx.view->tree_item_changed(added);
    return added;
}

void ShellProfileSessions::select(DirEntry& node)
{
    shell_.browser().select_node(&node);
    shell_.context().view->select_tree_node(node);
}

void ShellProfileSessions::connect(DirEntry& node)
{
    shell_.sessions().connect(&node, true);
}

void ShellProfileSessions::apply_live_flags(DirEntry& node, std::uint8_t name_case, std::uint8_t passive)
{
    ShellContext& ctx = shell_.context();
    for (Session* s = ctx.first_session(&node); s; s = s->next)
        if (FtpConnection* conn = ctx.live_connection(*s)) {
            conn->case_flags = name_case;
            conn->passive = passive;
        }
}

} // namespace kestovan
