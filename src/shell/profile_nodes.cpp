#include "shell/profile_nodes.h"

#include "profiles/profile_manager_files.h"
#include "profiles/site_profile.h"
#include "shell/shell_context.h"
#include "ui/language.h"
#include "ui/prompts.h"
#include "ui/string_ids.h"

#include <algorithm>

namespace kestovan {

namespace {

bool has_session(const DirEntry& node)
{
    if (node.profile && node.profile->sessions)
        return true;
    return std::any_of(node.children.begin(), node.children.end(),
                       [](const auto& child) { return has_session(*child); });
}

bool contains(const DirEntry& node, const DirEntry* other)
{
    for (const DirEntry* at = other; at; at = at->parent)
        if (at == &node)
            return true;
    return false;
}

} // namespace

bool remove_profile_node(ShellContext& ctx, DirEntry& node)
{
    if (has_session(node)) {
        ctx.prompts.message(load_string(IDS_APP_TITLE), format_string(IDS_ERR_PROFILE_IN_USE, node.name),
                            PromptIcon::Warning);
        return false;
    }
    if (node.path && !delete_entry_files(node)) {
        ctx.prompts.message(load_string(IDS_APP_TITLE), format_string(IDS_ERR_PROFILE_NOT_DELETED, node.name),
                            PromptIcon::Error);
        return false;
    }
    ctx.view->tree_node_removing(node);
    for (DirEntry** held :
         {&ctx.selected, &ctx.shown_folder, &ctx.current_session_node, &ctx.previous_folder})
        if (contains(node, *held))
            *held = nullptr;
    EntryChain& siblings = node.parent ? node.parent->children : ctx.tree;
    std::erase_if(siblings, [&](const auto& child) { return child.get() == &node; });
    ctx.view->remote_list_changed();
    ctx.view->command_states_changed();
    return true;
}

} // namespace kestovan
