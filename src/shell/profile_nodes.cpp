#include "shell/profile_nodes.h"

#include "profiles/profile_folder.h"
#include "profiles/profile_manager_files.h"
#include "profiles/profile_manager_form.h"
#include "profiles/profile_tree.h"
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

DirEntry* recent_profile_node(ShellContext& ctx, const std::string& entry)
{
    const auto colon = entry.find(':');
    if (colon == std::string::npos)
        return find_profile_by_name(ctx.tree, entry);
    const std::string path = entry.substr(colon + 1);
    if (DirEntry* node = find_profile_by_file(ctx.tree, path))
        return node;
    std::string name = std::filesystem::path(path).stem().string();
    const std::string extension = std::filesystem::path(path).extension().string();
    const bool url = extension == ".url" || extension == ".URL";
    auto loaded = make_profile_node(name, url ? KIND_URL_PROFILE : KIND_SITE);
    loaded->path = path;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || !load_profile_file(*loaded)) {
        ctx.prompts.message(load_string(IDS_CAPTION_ERROR), format_string(IDS_ERR_RECENT_PROFILE_GONE, path),
                            PromptIcon::Error);
        return nullptr;
    }
    loaded->session->file_path = path;
    DirEntry* node = loaded.get();
    ctx.tree.push_back(std::move(loaded));
    ctx.view->tree_item_changed(*node);
    return node;
}

void paste_profile_nodes(ShellContext& ctx, const std::vector<RemoteClip>& clips)
{
    const std::filesystem::path profiles = ctx.working_folder / PROFILES_FOLDER;
    DirEntry* folder =
        ctx.shown_folder && ctx.shown_folder->kind == KIND_PROFILE_FOLDER && ctx.node_alive(ctx.shown_folder)
            ? ctx.shown_folder
            : nullptr;
    DirEntry* first = nullptr;
    for (const RemoteClip& clip : clips) {
        // The settings come from the copied node while it is still there, else from the copy.
        const DirEntry* source = ctx.node_alive(clip.original) ? clip.original : clip.copy.get();
        if (!source || (source->kind != KIND_SITE && source->kind != KIND_URL_PROFILE) || !source->session)
            continue;
        NewEntryResult made = new_profile_entry(folder, source->kind, profiles);
        if (!made.node) {
            if (made.error)
                ctx.prompts.message(load_string(IDS_CAPTION_ERROR), made.error->message(), PromptIcon::Error);
            continue;
        }
        SiteProfile& profile = *made.node->session;
        const auto name = profile.name;
        const auto file_path = profile.file_path;
        copy_stored_fields(*source->session, profile);
        profile.name = name;
        profile.file_path = file_path;
        set_modified(*made.node, true);
        const SaveResult saved = save_profile_file(*made.node, profiles);
        if (saved.error)
            ctx.prompts.message(load_string(IDS_CAPTION_ERROR), saved.error->message(), PromptIcon::Error);
        DirEntry& node = *made.node;
        if (folder) {
            folder->add_child(std::move(made.node));
            ctx.view->tree_children_changed(*folder);
        } else {
            ctx.tree.push_back(std::move(made.node));
            ctx.view->tree_item_changed(node);
        }
        if (!first)
            first = &node;
    }
    if (first)
        ctx.view->select_tree_node(*first);
    if (folder && ctx.shown_folder == folder)
        ctx.view->remote_list_changed();
}

namespace {

bool holds_profile_file(const DirEntry& node)
{
    return (node.kind == KIND_SITE || node.kind == KIND_URL_PROFILE || node.kind == KIND_PROFILE_FOLDER) &&
           node.path && !node.path->empty();
}

} // namespace

bool can_move_profile_nodes(const std::vector<DirEntry*>& nodes, const DirEntry& folder)
{
    if (folder.kind != KIND_PROFILE_FOLDER || !holds_profile_file(folder) || nodes.empty())
        return false;
    bool any_elsewhere = false;
    for (const DirEntry* node : nodes) {
        if (!node || !holds_profile_file(*node) || is_within(*node, &folder))
            return false;
        any_elsewhere = any_elsewhere || node->parent != &folder;
    }
    return any_elsewhere;
}

void move_profile_nodes(ShellContext& ctx, const std::vector<DirEntry*>& nodes, DirEntry& folder)
{
    if (!can_move_profile_nodes(nodes, folder))
        return;
    for (DirEntry* node : nodes) {
        if (!ctx.node_alive(node) || node->parent == &folder)
            continue;
        const std::filesystem::path from(*node->path);
        const std::filesystem::path to = std::filesystem::path(*folder.path) / from.filename();
        if (!move_without_replacing(from, to)) {
            ctx.prompts.message(load_string(IDS_CAPTION_ERROR),
                                format_string(IDS_ERR_MOVE_FILE, from.string(), to.string()),
                                PromptIcon::Error);
            continue;
        }
        rebase_paths(*node, from.string(), to.string());
        EntryChain& siblings = node->parent ? node->parent->children : ctx.tree;
        auto it =
            std::find_if(siblings.begin(), siblings.end(), [&](const auto& n) { return n.get() == node; });
        if (it == siblings.end())
            continue;
        ctx.view->tree_node_removing(*node);
        std::unique_ptr<DirEntry> owned = std::move(*it);
        siblings.erase(it);
        folder.add_child(std::move(owned));
        ctx.view->tree_children_changed(folder);
    }
    ctx.view->remote_list_changed();
    ctx.view->command_states_changed();
}

} // namespace kestovan
