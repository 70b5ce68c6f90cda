#include "views/listing_merge.h"

#include <algorithm>
#include <unordered_map>

namespace kestovan {

namespace {

constexpr std::string_view TOTAL_WORD = "total ";

DirEntry* listing_subject(DirEntry& requested)
{
    if (requested.kind == KIND_FILE)
        return requested.parent;
    return &requested;
}

void update_listed_fields(DirEntry& child, DirEntry& fresh)
{
    child.date = std::move(fresh.date);
    child.size = std::move(fresh.size);
    child.permissions = std::move(fresh.permissions);
    child.owner = std::move(fresh.owner);
    child.group = std::move(fresh.group);
    child.links = std::move(fresh.links);
    child.link_target = std::move(fresh.link_target);
}

void add_all(DirEntry& subject, EntryChain& chain, std::vector<DirEntry*>& added)
{
    for (auto& entry : chain) {
        if (entry->kind != KIND_PARENT)
            added.push_back(&subject.add_child(std::move(entry)));
    }
}

void refresh(DirEntry& subject, EntryChain& chain, std::vector<DirEntry*>& added,
             std::vector<DirEntry*>& vanished)
{
    std::unordered_map<std::string_view, bool> listed;
    listed.reserve(chain.size());
    for (const auto& entry : chain)
        if (entry->kind != KIND_PARENT)
            listed.emplace(entry->name, true);
    for (const auto& child : subject.children)
        if (child->kind != KIND_PARENT && !listed.contains(child->name))
            vanished.push_back(child.get());

    // The first child of a name answers for it, as a search from the front would find it; a hash
    // index keeps a refresh of a large folder linear.
    std::unordered_map<std::string_view, DirEntry*> by_name;
    by_name.reserve(subject.children.size() + chain.size());
    for (const auto& child : subject.children)
        by_name.emplace(child->name, child.get());

    for (auto& entry : chain) {
        if (entry->kind == KIND_PARENT)
            continue;
        if (const auto found = by_name.find(entry->name); found != by_name.end()) {
            update_listed_fields(*found->second, *entry);
            continue;
        }
        DirEntry& child = subject.add_child(std::move(entry));
        by_name.emplace(child.name, &child);
        added.push_back(&child);
    }
}

} // namespace

bool contains_total_line(std::string_view text)
{
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    const auto found = std::search(text.begin(), text.end(), TOTAL_WORD.begin(), TOTAL_WORD.end(),
                                   [&](char a, char b) { return lower(a) == b; });
    return found != text.end();
}

ListingMergeResult merge_listing(DirEntry& requested, std::string_view received, bool has_buffer,
                                 std::optional<std::string> request_path, const ListingOptions& options)
{
    ListingMergeResult result;
    DirEntry* subject = listing_subject(requested);
    if (!subject)
        return result;
    result.subject = subject;
    result.had_children = !subject->children.empty();
    // An empty request path lists the current folder: right after login that is the start folder,
    // which the PWD reply has already recorded and must not be replaced by the empty text.
    if (request_path && subject->kind == KIND_SITE && (!request_path->empty() || !subject->site_folder))
        subject->site_folder = std::move(request_path);

    EntryChain chain;
    if (has_buffer)
        chain = parse_listing(received, *subject, options);

    if (!chain.empty()) {
        subject->set_listed(true);
        if (result.had_children)
            refresh(*subject, chain, result.added, result.vanished);
        else
            add_all(*subject, chain, result.added);
    } else if (!has_buffer || (!received.empty() && !contains_total_line(listing_text(received)))) {
        // Zero bytes, or nothing but a "total" line, is an empty folder.
        result.directory_failed = true;
        subject->set_listed(false);
    } else {
        // The folder is empty now.
        for (const auto& child : subject->children)
            if (child->kind != KIND_PARENT)
                result.vanished.push_back(child.get());
    }
    result.show_expand = !subject->children.empty() || subject->listed();
    return result;
}

} // namespace kestovan
