#include "shell/bookmarks.h"

#include "common/paths.h"
#include "profiles/site_profile.h"
#include "shell/remote_browser.h"
#include "shell/session_control.h"
#include "shell/shell_context.h"
#include "ui/language.h"
#include "ui/string_ids.h"

#include <algorithm>
#include <filesystem>

namespace kestovan {

namespace {

constexpr int IMAGE_OTHER = 1;
constexpr int IMAGE_WEB = 2;
constexpr int IMAGE_SITE = 4;
constexpr int IMAGE_PROFILE_FOLDER = 9;

DirEntry* find_profile_folder(const EntryChain& level, std::string_view name)
{
    for (const auto& node : level) {
        if (node->kind != KIND_PROFILE_FOLDER)
            continue;
        if (node->name == name)
            return node.get();
        if (DirEntry* found = find_profile_folder(node->children, name))
            return found;
    }
    return nullptr;
}

// The text after the first ":" without leading blanks ("Bookmark: Site" gives "Site").
std::string after_colon(const std::string& name)
{
    const auto colon = name.find(':');
    if (colon == std::string::npos)
        return name;
    const auto start = name.find_first_not_of(' ', colon + 1);
    return start == std::string::npos ? std::string() : name.substr(start);
}

std::string parent_remote_folder(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return path;
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace

int bookmark_image(const Task& bookmark)
{
    switch (bookmark.kind) {
    case KIND_SITE: return IMAGE_SITE;
    case KIND_URL_PROFILE:
    case KIND_WEB_LINK: return IMAGE_WEB;
    case KIND_PROFILE_FOLDER: return IMAGE_PROFILE_FOLDER;
    default: return IMAGE_OTHER;
    }
}

Bookmarks::Bookmarks(ShellContext& ctx, SessionControl& sessions, RemoteBrowser& browser, TaskList& list)
    : ctx_(ctx), sessions_(sessions), browser_(browser), list_(list)
{}

bool Bookmarks::add_bookmark(const std::optional<std::string>& local_item)
{
    if (ctx_.focus == FOCUS_LOCAL && local_item) {
        auto bookmark = std::make_unique<Task>();
        bookmark->name = *local_item;
        std::error_code ec;
        bookmark->kind = std::filesystem::is_directory(*local_item, ec) ? KIND_LOCAL_FOLDER : KIND_LOCAL_FILE;
        bookmark->mode = ctx_.transfer_mode;
        list_.push_back(std::move(bookmark));
        rebuild_bookmarks_menu();
        return true;
    }
    return add_remote_bookmark();
}

bool Bookmarks::add_remote_bookmark()
{
    const DirEntry* selected = ctx_.selected;
    const SiteProfile* profile = ctx_.profile_of(selected);
    if (!selected || !profile)
        return false;
    auto copy = copy_profile(profile);
    std::optional<std::string> path;
    switch (selected->kind) {
    case KIND_FILE:
    case KIND_FOLDER:
    case KIND_LINK:
        if (selected->path)
            path = *selected->path;
        else if (ctx_.current_session_node)
            path = join_remote(remote_path_of(*ctx_.current_session_node).value_or(""), selected->name);
        break;
    case KIND_SITE: path = remote_path_of(*selected); break;
    default: break;
    }
    // A site keeps its start folder until its session has one; a file opens in its folder, since a
    // start folder is changed into.
    if (path && !path->empty())
        copy->remote_folder = selected->kind == KIND_FILE ? parent_remote_folder(*path) : *path;
    std::string name = profile->temporary ? after_colon(profile->name.value_or(selected->name))
                                          : profile->name.value_or(selected->name);
    if (path && (selected->kind == KIND_FILE || selected->kind == KIND_FOLDER || selected->kind == KIND_LINK))
        name += " (" + *path + ")";
    copy->name = name;
    auto bookmark = std::make_unique<Task>();
    bookmark->name = name;
    bookmark->kind = selected->kind;
    bookmark->mode = ctx_.transfer_mode;
    bookmark->profile = std::move(copy);
    list_.push_back(std::move(bookmark));
    rebuild_bookmarks_menu();
    return true;
}

void Bookmarks::rebuild_bookmarks_menu()
{
    std::int32_t id = BOOKMARK_FIRST_ID;
    for (auto& bookmark : list_)
        bookmark->identifier = id++;
    if (menu_changed)
        menu_changed();
}

Task* Bookmarks::find(int id) const
{
    auto it = std::find_if(list_.begin(), list_.end(), [id](const auto& b) { return b->identifier == id; });
    return it == list_.end() ? nullptr : it->get();
}

void Bookmarks::delete_bookmark(int id)
{
    const auto removed =
        std::erase_if(list_, [id](const auto& bookmark) { return bookmark->identifier == id; });
    if (removed && menu_changed)
        menu_changed();
}

void Bookmarks::open_bookmark(int id)
{
    const Task* bookmark = find(id);
    if (!bookmark)
        return;
    const std::string name = bookmark->name.value_or("");
    switch (bookmark->kind) {
    case KIND_PROFILE_FOLDER:
        if (DirEntry* folder = find_profile_folder(ctx_.tree, name))
            browser_.select_node(folder);
        return;
    case KIND_LOCAL_FOLDER:
    case KIND_LOCAL_FILE:
        if (show_local)
            show_local(std::filesystem::path(name).parent_path().string(), name);
        return;
    default: break;
    }
    if (!bookmark->profile)
        return;
    auto node = std::make_unique<DirEntry>();
    node->kind = KIND_SITE;
    node->name = load_string(IDS_BOOKMARK_NODE_NAME) + ": " + bookmark->profile->name.value_or(name);
    auto copy = copy_profile(bookmark->profile.get());
    copy->temporary = true;
    attach_profile(*node, std::move(copy));
    ctx_.tree.push_back(std::move(node));
    DirEntry* site = ctx_.tree.back().get();
    ctx_.view->tree_item_changed(*site);
    browser_.select_node(site);
    sessions_.connect(site, false);
}

} // namespace kestovan
