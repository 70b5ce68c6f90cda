// CuteFTP's site file (binary): folder and site records found by their markers, linked to their
// parents by identifier, and the tree text made of them.
//
// Damaged files stay harmless: a string longer than its field keeps the field's characters and the
// rest is skipped (the fields after it stay in place); a record cut off by the end of the file is
// dropped and ends the scan; a record whose parent is itself, is missing, or closes a loop of parents
// goes to the top level; the tree is walked without recursion, however deep it is.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

inline constexpr std::size_t CUTE_HEADER_SIZE = 12;
inline constexpr std::size_t CUTE_NAME_LIMIT = 40;
inline constexpr std::size_t CUTE_HOST_LIMIT = 30;
inline constexpr std::size_t CUTE_USER_LIMIT = 20;
inline constexpr std::size_t CUTE_PASSWORD_LIMIT = 20;
inline constexpr std::size_t CUTE_REMOTE_LIMIT = 70;
inline constexpr std::size_t CUTE_COMMENT_LIMIT = 70;

struct CuteRecord {
    bool folder = false;
    std::uint32_t id = 0;
    std::uint32_t parent = 0;
    std::string name;
    std::string host;
    std::string user;
    std::string password; // kept as read, never written
    std::string remote;
    std::string comment;
    int port = 0;
};

// The records of a file in file order.
[[nodiscard]] std::vector<CuteRecord> read_cute_records(std::string_view bytes);

// The tree text: the root "CuteFTP sites" and the records nested by parent. Nothing when there are no
// records.
[[nodiscard]] std::optional<std::string> format_cute_tree(std::vector<CuteRecord> records);

} // namespace kestovan
