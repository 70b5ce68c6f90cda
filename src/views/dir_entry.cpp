#include "views/dir_entry.h"

#include <cassert>

namespace kestovan {

DirEntry& DirEntry::add_child(std::unique_ptr<DirEntry> child)
{
    assert(child);
    child->parent = this;
    children.push_back(std::move(child));
    return *children.back();
}

SiteProfile* DirEntry::find_session() const
{
    for (const DirEntry* node = this; node; node = node->parent) {
        if (node->session)
            return node->session;
    }
    return nullptr;
}

const std::optional<std::string>& remote_path_of(const DirEntry& node)
{
    return node.kind == KIND_SITE ? node.site_folder : node.path;
}

bool is_within(const DirEntry& ancestor, const DirEntry* node)
{
    for (const DirEntry* at = node; at; at = at->parent)
        if (at == &ancestor)
            return true;
    return false;
}

} // namespace kestovan
