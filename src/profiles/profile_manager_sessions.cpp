#include "profiles/profile_manager_sessions.h"

#include "profiles/profile_tree.h"
#include "profiles/site_profile.h"
#include "shell/shell.h"

namespace kestovan {

DirEntry* ShellProfileSessions::find_session_node(const std::string& path)
{
    return find_profile_by_file(shell_.context().tree, path);
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
