#include "views/listing_parser.h"

#include "common/paths.h"

#include <algorithm>

namespace kestovan {

namespace {

constexpr std::string_view LINK_ARROW = " ->";
constexpr std::string_view DOS_FOLDER_SIZE = "<DIR>";
constexpr std::string_view SELF_NAME = ".";
constexpr std::string_view PARENT_NAME = "..";

unsigned char fold_case(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

bool equals_ignoring_case(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return fold_case(x) == fold_case(y); });
}

int compare_ignoring_case(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = fold_case(a[i]);
        const unsigned char y = fold_case(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// "1:" keys (folders) before "2:" keys (files, links and ".." alike).
int sort_group(const DirEntry& e)
{
    return e.kind == KIND_FOLDER ? 1 : 2;
}

std::optional<std::string> owned(std::optional<std::string_view> text)
{
    return text ? std::optional<std::string>(std::string(*text)) : std::nullopt;
}

std::optional<std::string> joined_date(const PlacedFields& fields)
{
    std::optional<std::string> date;
    for (const auto& part : fields.date_parts) {
        if (!part)
            continue;
        if (date)
            append_bounded(*date, " ");
        else
            date.emplace();
        append_bounded(*date, *part);
    }
    return date;
}

// Cuts the name in front of the arrow and keeps the target.
void apply_link(DirEntry& entry)
{
    const LinkParts parts = split_link_name(entry.name);
    if (!parts.target)
        return;
    entry.link_target = std::string(*parts.target);
    entry.name.resize(parts.name.size());
}

} // namespace

LinkParts split_link_name(std::string_view name)
{
    const std::size_t arrow = name.find(LINK_ARROW);
    if (arrow == std::string_view::npos)
        return {name, std::nullopt};
    std::string_view target = name.substr(arrow + LINK_ARROW.size());
    target.remove_prefix(std::min(target.find_first_not_of(" \t"), target.size()));
    return {name.substr(0, arrow), target};
}

std::unique_ptr<DirEntry> build_entry(const PlacedFields& fields, std::string_view folder_path,
                                      SiteProfile* session)
{
    auto entry = std::make_unique<DirEntry>();
    entry->name = fields.name;
    entry->size = owned(fields.size);
    if (entry->size && equals_ignoring_case(*entry->size, DOS_FOLDER_SIZE)) {
        entry->size.reset();
        entry->kind = entry->name == PARENT_NAME ? KIND_PARENT : KIND_FOLDER;
    }
    entry->date = joined_date(fields);
    entry->permissions = owned(fields.permissions);
    entry->links = owned(fields.links);
    entry->owner = owned(fields.owner);
    entry->group = owned(fields.group);
    entry->session = session;

    const char type = entry->permissions && !entry->permissions->empty() ? (*entry->permissions)[0] : '\0';
    if (type == 'd' || type == 'D') {
        entry->kind = entry->name == PARENT_NAME ? KIND_PARENT : KIND_FOLDER;
    } else if (type == 'l' || type == 'L') {
        entry->kind = KIND_LINK;
        apply_link(*entry);
    }
    // The folder itself, whether listed Unix or DOS style.
    if (entry->kind == KIND_FOLDER && entry->name == SELF_NAME)
        return nullptr;
    // A link's path is its target; one without a target keeps a path under the folder so that the
    // entry stays addressable.
    if (entry->link_target && !entry->link_target->empty())
        entry->path = entry->link_target;
    else
        entry->path = join_remote(folder_path, entry->name);
    return entry;
}

bool sorts_before(const DirEntry& a, const DirEntry& b)
{
    const int ga = sort_group(a);
    const int gb = sort_group(b);
    if (ga != gb)
        return ga < gb;
    const int order = compare_ignoring_case(a.name, b.name);
    if (order != 0)
        return order < 0;
    return a.name < b.name;
}

void sort_chain(EntryChain& chain)
{
    std::stable_sort(chain.begin(), chain.end(),
                     [](const auto& a, const auto& b) { return sorts_before(*a, *b); });
    // Equal keys are now adjacent in listing order: keep the last of every run.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const bool same_as_next = i + 1 < chain.size() && !sorts_before(*chain[i], *chain[i + 1]);
        if (same_as_next)
            continue;
        if (kept != i)
            chain[kept] = std::move(chain[i]);
        ++kept;
    }
    chain.resize(kept);
}

namespace {

template <typename Take>
std::size_t for_each_entry(std::string_view text, const DirEntry& folder, const ListingOptions& options,
                           Take&& take)
{
    const auto& remote = remote_path_of(folder);
    const std::string_view folder_path = remote ? std::string_view(*remote) : options.start_folder;
    text = listing_text(text);
    std::size_t count = 0;
    std::size_t pos = 0;
    while (const auto line = read_listing_line(text, pos)) {
        const auto fields = place_fields(*line);
        if (!fields)
            continue;
        if (auto entry = build_entry(*fields, folder_path, options.session)) {
            take(std::move(entry));
            ++count;
        }
    }
    return count;
}

} // namespace

EntryChain parse_listing(std::string_view text, const DirEntry& folder, const ListingOptions& options)
{
    EntryChain chain;
    for_each_entry(text, folder, options,
                   [&chain](std::unique_ptr<DirEntry> entry) { chain.push_back(std::move(entry)); });
    if (options.sort)
        sort_chain(chain);
    return chain;
}

std::size_t visit_listing(std::string_view text, const DirEntry& folder, const ListingOptions& options,
                          const std::function<void(const DirEntry&)>& visit)
{
    return for_each_entry(text, folder, options,
                          [&visit](std::unique_ptr<DirEntry> entry) { visit(*entry); });
}

} // namespace kestovan
