#include "profiles/profile_tree.h"

#include "profiles/site_profile.h"
#include "profiles/state_text.h"

#include <vector>

namespace kestovan {

namespace {

// One open level while reading: where its entries go (a parent node, or the top-level chain), its
// most recent entry, and how many branches that could not open a level of their own it stands in for.
struct Level {
    DirEntry* owner = nullptr; // null for the top level
    DirEntry* current = nullptr;
    std::size_t stand_ins = 0;
};

class TreeReader {
public:
    void line(std::string_view text)
    {
        if (text.starts_with(END_OF_BRANCH_LINE)) {
            if (levels_.back().stand_ins > 0)
                --levels_.back().stand_ins;
            else if (levels_.size() > 1)
                levels_.pop_back();
        } else if (text.starts_with(BRANCH_LINE)) {
            open_branch();
        } else if (text.starts_with('#')) {
            return;
        } else if (std::string_view name; take_key_value(text, PROFILE_KEY_NAME, name)) {
            add_entry(name);
        } else if (DirEntry* entry = levels_.back().current) {
            std::uint8_t kind = entry->kind;
            apply_profile_line(text, *entry->session, kind);
            if (is_profile_tree_kind(kind))
                entry->kind = kind;
        }
    }

    EntryChain take() { return std::move(top_); }

private:
    void open_branch()
    {
        Level& level = levels_.back();
        // An orphan branch, or one beyond the depth limit, keeps reading into this level; its "#EOB"
        // then closes the stand-in, not the level.
        if (!level.current || levels_.size() >= MAX_TREE_DEPTH)
            ++level.stand_ins;
        else
            levels_.push_back(Level{level.current, nullptr, 0});
    }

    void add_entry(std::string_view name)
    {
        Level& level = levels_.back();
        auto node = make_profile_node(name, KIND_SITE);
        // Tree texts written before profiles had a "TLS" line, and imported site lists, hold none.
        node->session->encryption = ENCRYPTION_EXPLICIT_IF_AVAILABLE;
        DirEntry* added = node.get();
        if (level.owner)
            level.owner->add_child(std::move(node));
        else
            top_.push_back(std::move(node));
        level.current = added;
    }

    EntryChain top_;
    std::vector<Level> levels_{Level{}};
};

void format_nodes(std::string& out, const EntryChain& nodes)
{
    for (const auto& node : nodes) {
        if (node->kind == KIND_WEB_LINK || !node->session)
            continue;
        // A branch of nothing but skipped nodes is left out: read back, it would be no branch at all.
        std::string children;
        format_nodes(children, node->children);
        append_tree_entry(out, node->name, *node->session, node->kind, children);
    }
}

} // namespace

std::unique_ptr<DirEntry> make_profile_node(std::string_view name, std::uint8_t kind)
{
    auto node = std::make_unique<DirEntry>();
    node->kind = kind;
    node->name = std::string(name);
    auto profile = std::make_unique<SiteProfile>();
    profile->name = std::string(name);
    attach_profile(*node, std::move(profile));
    return node;
}

void append_tree_entry(std::string& out, std::string_view name, const SiteProfile& profile, std::uint8_t kind,
                       std::string_view children)
{
    append_key_line(out, PROFILE_KEY_NAME, name);
    append_profile_lines(out, profile, kind);
    if (!children.empty()) {
        out.append(BRANCH_LINE).push_back('\n');
        out.append(children);
        out.append(END_OF_BRANCH_LINE).push_back('\n');
    }
}

bool is_profile_tree_kind(std::uint8_t kind)
{
    return kind == KIND_SITE || kind == KIND_URL_PROFILE || kind == KIND_WEB_LINK ||
           kind == KIND_PROFILE_FOLDER;
}

EntryChain parse_profile_tree(std::string_view text)
{
    TreeReader reader;
    for_each_state_line(text, PROFILE_LINE_LIMIT, PROFILE_TRAILING, [&](std::string_view line) {
        reader.line(line);
        return true;
    });
    return reader.take();
}

EntryChain read_profile_tree(const std::filesystem::path& path)
{
    const auto text = read_state_file(path);
    return text ? parse_profile_tree(*text) : EntryChain{};
}

std::string format_profile_tree(const EntryChain& nodes)
{
    std::string out;
    format_nodes(out, nodes);
    return out;
}

bool save_profile_tree(const std::filesystem::path& path, const EntryChain& nodes,
                       const AtomicWriteHooks& hooks)
{
    return write_file_atomically(path, format_profile_tree(nodes), hooks);
}

DirEntry* find_profile_by_file(const EntryChain& level, const std::string& path)
{
    for (const auto& node : level) {
        if ((node->kind == KIND_SITE || node->kind == KIND_URL_PROFILE) && node->session &&
            node->session->file_path && *node->session->file_path == path)
            return node.get();
        if (node->kind == KIND_PROFILE_FOLDER)
            if (DirEntry* found = find_profile_by_file(node->children, path))
                return found;
    }
    return nullptr;
}

DirEntry* find_profile_by_name(const EntryChain& level, std::string_view name)
{
    for (const auto& node : level) {
        if ((node->kind == KIND_SITE || node->kind == KIND_URL_PROFILE) && node->name == name)
            return node.get();
        if (node->kind == KIND_PROFILE_FOLDER)
            if (DirEntry* found = find_profile_by_name(node->children, name))
                return found;
    }
    return nullptr;
}

} // namespace kestovan
