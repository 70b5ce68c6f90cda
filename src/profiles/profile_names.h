// How display names of the profile tree and file names of the profile folder map onto each other,
// and which names may become a file or folder name at all.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

inline constexpr std::string_view FTP_EXTENSION = ".ftp";
inline constexpr std::string_view URL_EXTENSION = ".url";

// Characters that never become part of a file or folder name made from a display name. NUL is among
// them because no POSIX name can hold it.
inline constexpr std::string_view BAD_NAME_CHARS{"\"\\/:;'*?<>|\0", 12};

struct StrippedName {
    std::string name;
    bool removed = false; // some character was removed
};
[[nodiscard]] StrippedName strip_bad_name_chars(std::string_view name);

// The name to give a new file or folder made from a display name: stripped as above, and refused
// (nothing) when empty, "." or ".." afterwards, so that it cannot lead outside its folder.
[[nodiscard]] std::optional<std::string> usable_entry_name(std::string_view name);

// True when name, as it stands, names something inside a folder: not empty, ".", "..", and without
// "/" or NUL.
[[nodiscard]] bool is_safe_path_component(std::string_view name);

// The profile kind that a file name's extension (from its last ".", compared without regard to case)
// gives: KIND_SITE for ".ftp", KIND_URL_PROFILE for ".url", 0 for anything else.
[[nodiscard]] std::uint8_t profile_kind_of_file_name(std::string_view file_name);

// The display name of a file or folder of the profile folder: the name without its ".ftp" or ".url"
// extension (compared without regard to case); other names stay whole.
[[nodiscard]] std::string display_name_of(std::string_view file_name);

// The extension of a node kind's file: ".url" for URL profiles, none for folders, ".ftp" otherwise.
[[nodiscard]] std::string_view profile_extension(std::uint8_t kind);

} // namespace kestovan
