// WS_FTP's site list (text): sections of WS_FTP.ini that are sites, and sections whose "FILENAME="
// names a further file of sections, which becomes a folder.
//
// Every file is read at most once: a section that names the file it stands in, or any file read
// already (a loop of files), adds nothing, and so does one whose file cannot be read. Files named
// from files nested WS_MAX_FILE_DEPTH deep are not followed, and one import looks for at most
// WS_MAX_NAMED_FILES different named files. Lines longer than WS_LINE_LIMIT keep their first
// WS_LINE_LIMIT characters; the rest is dropped, never read as a line of its own.
#pragma once

#include "importer/source_file.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

inline constexpr std::size_t WS_LINE_LIMIT = 254;
inline constexpr std::size_t WS_NAME_LIMIT = 127;
inline constexpr std::size_t WS_HOST_LIMIT = 127;
inline constexpr std::size_t WS_COMMENT_LIMIT = 255;
inline constexpr std::size_t WS_UID_LIMIT = 127;
inline constexpr std::size_t WS_FILENAME_LIMIT = 127;
inline constexpr std::size_t WS_MAX_FILE_DEPTH = 16;
inline constexpr std::size_t WS_MAX_NAMED_FILES = 1000;

struct WsSection {
    std::string name;
    std::string host;
    std::string remote;  // "DIR=" without its double quotes
    std::string comment; // read, never written
    std::string user;    // "UID=", only for the anonymous flag
    std::optional<std::string> file_name;
    std::size_t content_lines = 0; // non-blank lines after the header
};

// The sections of one file, in file order, content-less ones included.
[[nodiscard]] std::vector<WsSection> parse_ws_sections(std::string_view text);

struct WsFile {
    std::filesystem::path path;
    std::string text;
    FileIdentity identity;
};

class WsFileOpener {
public:
    virtual ~WsFileOpener() = default;
    // The file that a "FILENAME=" value of `from` names; nothing when it cannot be read or when
    // already_read says so of its identity (asked before the file is read).
    virtual std::optional<WsFile>
    open_named(std::string_view name, const WsFile& from,
               const std::function<bool(const FileIdentity&)>& already_read) = 0;
};

// The tree text of a site list: the root "WS_FTP Sites" holding a folder named after the top file
// (its name after the last "/" or backslash) with the file's own sites, then one folder per
// "FILENAME=" section, in file order, each holding its file's sites and further folders in file
// order. Nothing when no site and no folder was found.
[[nodiscard]] std::optional<std::string> format_ws_tree(const WsFile& top, WsFileOpener& opener);

} // namespace kestovan
