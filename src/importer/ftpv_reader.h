// FTP Voyager's site file (binary): records between a "/" and the terminator 33 ED 8A 32, each a
// folder or a site, and the tree text made of them.
//
// Where the file is damaged the reader stays inside what it was given: a record may be of any length
// (its strings are read from the record, never past it), a record whose strings run past its end is
// passed over like one with a bad name, and the zero-byte count stops at the end of the record.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

inline constexpr std::string_view FTPV_TERMINATOR{"\x33\xED\x8A\x32", 4};
inline constexpr std::size_t FTPV_STRING_LIMIT = 127;
// A record is a folder when this many zero bytes (or more) follow its strings.
inline constexpr std::size_t FTPV_FOLDER_ZEROS = 3;

struct FtpvRecord {
    bool folder = false;
    std::string name;
    std::string third;  // a folder's comment, a site's host
    std::string fourth; // a site's remote folder
};

// One record body (the bytes after the "/", without the terminator); nothing when it is no record.
[[nodiscard]] std::optional<FtpvRecord> parse_ftpv_body(std::string_view body);

// The records of a file, in file order. A record without terminator (a truncated file) is left out.
[[nodiscard]] std::vector<FtpvRecord> read_ftpv_records(std::string_view bytes);

// The tree text of the records: the root folder "FTPVoyager Sites" holding, directly, the sites that
// come before any folder record, then one folder per folder record with the sites that follow it.
// The first folder record is the file's own top folder and is left out unless sites follow it.
// Nothing when there are no records.
[[nodiscard]] std::optional<std::string> format_ftpv_tree(const std::vector<FtpvRecord>& records);

} // namespace kestovan
