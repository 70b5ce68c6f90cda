// The site lists of the three foreign FTP clients found in a Wine prefix, which the Import dialog
// offers: a bounded walk of the prefix's program, Windows and user folders for the files the clients
// keep their sites in. Symbolic links are not followed (Wine links the user folders to the home
// folder, which is not searched).
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace kestovan {

inline constexpr std::string_view FTPV_SITE_LIST = "FTPVoyager.ftp";
inline constexpr std::string_view CUTE_SITE_LIST = "sm.dat";
inline constexpr std::string_view WSFTP_SITE_LIST = "WS_FTP.ini";

// Folder entries looked at, at most, in one search: a prefix can hold many programs.
inline constexpr std::size_t WINE_SEARCH_BUDGET = 20000;

// $WINEPREFIX when set and not empty, else ~/.wine (as the importer library's detection uses).
[[nodiscard]] std::optional<std::filesystem::path> wine_prefix_folder();

// The site-list files under the prefix's drive C, names compared without regard to case, sorted.
[[nodiscard]] std::vector<std::filesystem::path> find_wine_site_lists(const std::filesystem::path& prefix);

} // namespace kestovan
