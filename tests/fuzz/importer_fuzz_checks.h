// What every importer reader's output must be, whatever bytes it was given: lines of known keys and
// balanced branches under one root folder, no password, and names the program stores as they are.
#pragma once

#include "profiles/profile_names.h"
#include "profiles/profile_tree.h"

#include <array>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan::fuzz {

inline void require(bool ok)
{
    if (!ok)
        std::abort();
}

inline void check_names(const EntryChain& nodes)
{
    for (const auto& node : nodes) {
        const auto usable = usable_entry_name(node->name);
        require(usable && *usable == node->name);
        check_names(node->children);
    }
}

inline void check_tree_text(const std::optional<std::string>& text, std::string_view root)
{
    if (!text)
        return;
    constexpr std::array<std::string_view, 13> KEYS = {"NAME",   "SERVER",  "PORT", "USERNAME", "LOCAL",
                                                       "REMOTE", "COMMENT", "PASV", "CASE",     "TYP",
                                                       "SAVE",   "ANON",    "USER"};
    require(text->starts_with("NAME=" + std::string(root) + "\n"));
    require(text->ends_with("#EOB\n"));
    long depth = 0;
    std::size_t at = 0;
    while (at < text->size()) {
        const std::size_t end = text->find('\n', at);
        require(end != std::string::npos);
        const std::string_view line = std::string_view(*text).substr(at, end - at);
        at = end + 1;
        require(line.find('\0') == std::string_view::npos && line.find('\r') == std::string_view::npos);
        if (line == "#BRANCH") {
            ++depth;
        } else if (line == "#EOB") {
            require(--depth >= 0);
        } else {
            const std::string_view key = line.substr(0, line.find('='));
            require(key.size() < line.size());
            bool known = false;
            for (const std::string_view k : KEYS)
                known = known || key == k;
            require(known);
        }
    }
    require(depth == 0);
    const EntryChain tree = parse_profile_tree(*text);
    require(tree.size() == 1 && tree.front()->name == root && tree.front()->kind == KIND_PROFILE_FOLDER);
    check_names(tree);
}

} // namespace kestovan::fuzz
