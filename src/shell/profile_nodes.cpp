#include "shell/profile_nodes.h"

#include "profiles/profile_manager_files.h"
#include "profiles/profile_manager_form.h"
#include "profiles/site_profile.h"
#include "shell/shell_context.h"
#include "ui/language.h"
#include "ui/prompts.h"
#include "ui/string_ids.h"

#include <algorithm>
#include <filesystem>

namespace kestovan {

namespace {

bool has_session(const DirEntry& node)
{
    if (node.profile && node.profile->sessions)
        return true;
    return std::any_of(node.children.begin(), node.children.end(),
                       [](const auto& child) { return has_session(*child); });
}

bool is_profile_entry(const DirEntry& node)
{
    return node.kind == KIND_SITE || node.kind == KIND_URL_PROFILE || node.kind == KIND_PROFILE_FOLDER;
}

void unlink(ShellContext& ctx, DirEntry& node)
{
    ctx.view->tree_node_removing(node);
    for (DirEntry** held :
         {&ctx.selected, &ctx.shown_folder, &ctx.current_session_node, &ctx.previous_folder})
        if (is_within(node, *held))
            *held = nullptr;
    EntryChain& siblings = node.parent ? node.parent->children : ctx.tree;
    std::erase_if(siblings, [&](const auto& child) { return child.get() == &node; });
}

// The stored fields again from the file; the record itself stays (listed entries point at it, and
// it keeps the profile's session log).
void reread_profile(DirEntry& node)
{
    DirEntry fresh;
    fresh.path = node.path;
    fresh.name = node.name;
    fresh.kind = node.kind;
    if (!load_profile_file(fresh) || !fresh.session)
        return;
    copy_stored_fields(*fresh.session, *node.session);
}

void refresh_level(ShellContext& ctx, EntryChain& level)
{
    std::vector<DirEntry*> gone;
    for (auto& node : level) {
        if (!is_profile_entry(*node) || !node->path || has_session(*node))
            continue;
        std::error_code error;
        if (!std::filesystem::exists(*node->path, error)) {
            gone.push_back(node.get());
        } else if (node->kind == KIND_PROFILE_FOLDER) {
            refresh_level(ctx, node->children);
        } else if (node->session) {
            reread_profile(*node);
            ctx.view->tree_item_changed(*node);
        }
    }
    for (DirEntry* node : gone)
        unlink(ctx, *node);
}

void merge_new(ShellContext& ctx, EntryChain& have, EntryChain& fresh, DirEntry* parent)
{
    for (auto& node : fresh) {
        auto same =
            std::find_if(have.begin(), have.end(), [&](const auto& old) { return old->path == node->path; });
        if (same == have.end()) {
            if (parent) {
                parent->add_child(std::move(node));
                ctx.view->tree_children_changed(*parent);
            } else {
                have.push_back(std::move(node));
            }
        } else if ((*same)->kind == KIND_PROFILE_FOLDER && node->kind == KIND_PROFILE_FOLDER) {
            merge_new(ctx, (*same)->children, node->children, same->get());
        }
    }
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
    unlink(ctx, node);
    ctx.view->remote_list_changed();
    ctx.view->command_states_changed();
    return true;
}

void refresh_profile_tree(ShellContext& ctx, EntryChain fresh)
{
    refresh_level(ctx, ctx.tree);
    merge_new(ctx, ctx.tree, fresh, nullptr);
    ctx.view->remote_list_changed();
    ctx.view->command_states_changed();
}

} // namespace kestovan
