// Creating local folders from typed text, and finding a free name for a new folder.
#pragma once

#include "views/local_entry.h"

#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

// Creates every missing folder along text, which is absolute when it begins with "/" and otherwise
// relative to current_folder (cleaned, so "a/../b" is "b"). Returns the row for the new folder (kind
// 1, named text, with the full path and the folder's date) when at least one folder was created and
// none failed; nullopt when all of them already existed or one could not be made. The caller adds the
// row to its list.
[[nodiscard]] std::optional<LocalEntry> create_folder(std::string_view current_folder, std::string_view text);

// name with the counter n: a "(digits)" group where the counter goes is replaced, otherwise
// "(n)" is put in front of the last "." or, without one, appended. A "." that only starts the
// name does not count, so ".cache" gives ".cache(1)" and the folder stays hidden.
[[nodiscard]] std::string numbered_name(std::string_view name, int n);

// base_name when nothing is at current_folder/base_name, else the first numbered_name(base_name, n),
// n = 1, 2, ..., that is free. nullopt after MAX_FREE_NAME_TRIES names were all taken.
inline constexpr int MAX_FREE_NAME_TRIES = 100000;
[[nodiscard]] std::optional<std::string> free_folder_name(std::string_view current_folder,
                                                          std::string_view base_name);

// create_folder with the free name for base_name ("New Folder" from the menu); the row is named with
// the free name.
[[nodiscard]] std::optional<LocalEntry> new_folder(std::string_view current_folder,
                                                   std::string_view base_name);

} // namespace kestovan
