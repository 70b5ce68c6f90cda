// Feeds arbitrary bytes to the profile-tree reader and checks the tree it builds: links, depth and
// kinds, that every path made from its names stays inside the profile folder, and that the tree
// written out reads back to the same text.
#include "profiles/profile_tree.h"
#include "profiles/state_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace kestovan;

const std::filesystem::path BASE = "/profiles-root/Profiles";

void require(bool ok)
{
    if (!ok)
        std::abort();
}

void check_level(const EntryChain& nodes, const DirEntry* parent, std::size_t depth, bool& lines_fit)
{
    for (const auto& node : nodes) {
        require(depth <= MAX_TREE_DEPTH);
        require(node->parent == parent);
        require(node->session && node->session == node->profile.get());
        require(is_profile_tree_kind(node->kind));
        require(node->name.size() <= PROFILE_LINE_LIMIT);
        lines_fit = lines_fit && (!node->session->password ||
                                  node->session->password->size() * 3 + 9 <= PROFILE_LINE_LIMIT);
        if (const auto path = profile_file_path(*node, BASE)) {
            require(path->lexically_normal() == *path); // no "." or ".." to resolve
            std::size_t parts = 0;
            for (const auto& part : path->lexically_relative(BASE)) {
                require(part != ".." && part != ".");
                ++parts;
            }
            require(parts == depth);
        }
        check_level(node->children, node.get(), depth + 1, lines_fit);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const EntryChain tree = parse_profile_tree(text);
    bool lines_fit = true;
    check_level(tree, nullptr, 1, lines_fit);

    const std::string written = format_profile_tree(tree);
    if (lines_fit) {
        const EntryChain again = parse_profile_tree(written);
        require(format_profile_tree(again) == written);
    }
    return 0;
}
