// Feeds arbitrary bytes to the listing parser and to the merge of a listing into a tree that already
// has children, then checks the invariants every caller relies on.
#include "views/listing_merge.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using namespace kestovan;

void require(bool ok)
{
    if (!ok)
        std::abort();
}

void check_entry(const DirEntry& e)
{
    require(!e.name.empty());
    require(e.name.size() <= MAX_NAME_LENGTH);
    require(e.name.find('\0') == std::string::npos);
    require(!e.date || e.date->size() <= MAX_NAME_LENGTH);
    require(e.path.has_value());
    require(e.kind == KIND_FILE || e.kind == KIND_FOLDER || e.kind == KIND_LINK || e.kind == KIND_PARENT);
    require(!(e.kind == KIND_FOLDER && e.name == "."));
    require(!e.link_target || e.kind == KIND_LINK);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first byte picks the options, the rest is the listing.
    const bool sort = size > 0 && (data[0] & 1);
    const bool has_buffer = size == 0 || !(data[0] & 2);
    const std::string_view text(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0),
                                size > 0 ? size - 1 : 0);
    const ListingOptions options{sort, "/start", nullptr};

    DirEntry folder;
    folder.kind = KIND_FOLDER;
    folder.path = "/home/user";
    const EntryChain chain = parse_listing(text, folder, options);
    for (std::size_t i = 0; i < chain.size(); ++i) {
        check_entry(*chain[i]);
        if (sort && i > 0)
            require(sorts_before(*chain[i - 1], *chain[i]));
    }

    DirEntry site;
    site.kind = KIND_SITE;
    auto existing = std::make_unique<DirEntry>();
    existing->name = "a";
    site.add_child(std::move(existing));
    const ListingMergeResult result = merge_listing(site, text, has_buffer, "/srv", options);
    require(result.subject == &site);
    require(result.had_children);
    require(result.show_expand);
    const bool merged_nothing = !has_buffer || chain.empty();
    const bool failure_text = !text.empty() && !contains_total_line(listing_text(text));
    require(result.directory_failed == (merged_nothing && (!has_buffer || failure_text)));
    require(site.site_folder == "/srv"); // a site node keeps its remote folder apart from its path
    for (const auto& child : site.children) {
        require(child->parent == &site);
        require(child->kind != KIND_PARENT);
    }
    return 0;
}
