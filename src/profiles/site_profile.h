// The site profile record, its key-and-value text, the stored password form and the anonymous-login
// values. The text is parsed and formatted here without files; the profile tree and folder
// (profile_tree.h, profile_folder.h) decide where files live.
#pragma once

#include "ui/string_ids.h"
#include "views/dir_entry.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kestovan {

struct Session;
struct Task;

// Bits of SiteProfile::name_case.
inline constexpr std::uint8_t CASE_LOWER_FILES = 1;
inline constexpr std::uint8_t CASE_LOWER_FOLDERS = 2;

// Profile text keys.
inline constexpr std::string_view PROFILE_KEY_NAME = "NAME";
inline constexpr std::string_view PROFILE_KEY_SERVER = "SERVER";
inline constexpr std::string_view PROFILE_KEY_PORT = "PORT";
inline constexpr std::string_view PROFILE_KEY_USERNAME = "USERNAME";
inline constexpr std::string_view PROFILE_KEY_ACCT = "ACCT";
inline constexpr std::string_view PROFILE_KEY_PASSWORD = "PASSWORD";
inline constexpr std::string_view PROFILE_KEY_LOCAL = "LOCAL";
inline constexpr std::string_view PROFILE_KEY_REMOTE = "REMOTE";
inline constexpr std::string_view PROFILE_KEY_COMMENT = "COMMENT";
inline constexpr std::string_view PROFILE_KEY_PASV = "PASV";
inline constexpr std::string_view PROFILE_KEY_CASE = "CASE";
inline constexpr std::string_view PROFILE_KEY_TYP = "TYP";
inline constexpr std::string_view PROFILE_KEY_SAVE = "SAVE";
inline constexpr std::string_view PROFILE_KEY_ANON = "ANON";
inline constexpr std::string_view PROFILE_KEY_USER = "USER";
inline constexpr std::string_view PROFILE_KEY_TLS = "TLS";

inline constexpr std::string_view DEFAULT_PORT = "21";
inline constexpr std::string_view DEFAULT_IMPLICIT_TLS_PORT = "990";

// The encryption a profile asks for, by the number its "TLS" line stores.
enum ProfileEncryption : std::uint8_t {
    ENCRYPTION_PLAIN = 0,                 // "Plain FTP (insecure)"
    ENCRYPTION_EXPLICIT_IF_AVAILABLE = 1, // "Explicit TLS if available"
    ENCRYPTION_EXPLICIT = 2,              // "Require explicit TLS"
    ENCRYPTION_IMPLICIT = 3,              // "Implicit TLS"
};
inline constexpr std::uint8_t ENCRYPTION_LAST = ENCRYPTION_IMPLICIT;
inline constexpr std::string_view ANONYMOUS_USER = "anonymous";
// Sent as the password of an anonymous login when neither the profile nor the `email` setting has one.
inline constexpr std::string_view DEFAULT_ANONYMOUS_PASSWORD = "guest@example.com";

struct SiteProfile {
    // Stored fields. Absent texts are not written; present empty ones are written as "KEY=".
    std::optional<std::string> name;
    std::optional<std::string> server;    // for a URL profile the URL
    std::optional<std::string> port;      // decimal text, made a number only when connecting
    std::optional<std::string> file_path; // the profile's own file; never written into it
    std::optional<std::string> password;  // clear text in memory
    std::optional<std::string> username;
    std::optional<std::string> account;
    std::optional<std::string> local_folder;
    std::optional<std::string> remote_folder;
    std::optional<std::string> comment;
    std::uint8_t passive = 0;
    std::uint8_t name_case = 0; // CASE_LOWER_FILES | CASE_LOWER_FOLDERS
    std::uint8_t save_password = 0;
    std::uint8_t anonymous = 0;
    // New profiles require TLS; a profile read from a text without the "TLS" line (written before
    // there was one, or imported) uses it when the server offers it.
    std::uint8_t encryption = ENCRYPTION_EXPLICIT;
    std::int32_t user = 0;      // origin mark: 0 made in the program, else written by the importer
    std::uint8_t kind_copy = 0; // the node kind, kept in step by the profile manager
    bool temporary = false;     // never written back (sessions opened from a bookmark)

    // Fields of open sessions, never written to files.
    DirEntry* node = nullptr;
    Session* sessions = nullptr;
    Session* pending_slot = nullptr;
    std::int8_t hammer_ticks = 0;
    std::int8_t hammer_attempt = 0;
    std::optional<std::string> refresh_path;
    DirEntry* refresh_node = nullptr;
    Task* batch_task = nullptr;
    std::string log; // the session log: colour-tagged entries, each ended by CR LF
};

// The stored password form: three decimal digits per byte. For a byte c at position i, with
// k = 0x5A at position 0 and i + 0x2D after it, the number is (c XOR k) + i, written "%03i".
// Bytes 0x80-0xFF take the same formula over their unsigned value, which stays within three digits
// and distinct from every plain character; from position LONG_PASSWORD_POSITION on, where the
// formula would need a fourth digit, the number is c XOR (k & 0xFF) instead. Every byte string
// without NUL reads back unchanged.
inline constexpr std::size_t LONG_PASSWORD_POSITION = 467;
[[nodiscard]] std::string scramble_password(std::string_view password);
// The inverse. Groups are read leniently (a short last group, non-digits), and the result ends at
// the first NUL byte a damaged text may produce.
[[nodiscard]] std::string unscramble_password(std::string_view stored);

// A deep copy of the stored fields (the node's kind copy, `user`, the temporary flag and every
// session field start cleared, so a copy never shares the sessions of its original); an empty
// record for none.
[[nodiscard]] std::unique_ptr<SiteProfile> copy_profile(const SiteProfile* profile);

struct LoginValues {
    std::string user;
    std::string password;
};
// What is sent at login. Anonymous profiles fall back to "anonymous", then to the `email` setting and
// the built-in address; other profiles send their own values.
[[nodiscard]] LoginValues anonymous_login(const SiteProfile& profile, std::string_view email_setting);

// --- The text form ---

// The lines after NAME, in write order: present texts, the password when it is saved, the numbers.
void append_profile_lines(std::string& out, const SiteProfile& profile, std::uint8_t kind);
// A profile file: NAME (the profile's name, else the display name) when there is a display name,
// then append_profile_lines.
[[nodiscard]] std::string format_profile_file(const SiteProfile& profile, std::uint8_t kind,
                                              std::string_view display_name);

// Applies one key line other than NAME; TYP goes to kind. False when the line matches no key.
bool apply_profile_line(std::string_view line, SiteProfile& profile, std::uint8_t& kind);
// Applies every line of a profile file's text (NAME lines are ignored); without a "TLS" line the
// profile uses TLS if available.
void parse_profile_text(std::string_view text, SiteProfile& profile, std::uint8_t& kind);

// --- Profile files of tree nodes ---
//
// A profile-tree node owns its profile (DirEntry::profile, with DirEntry::session pointing to it),
// keeps its display name in DirEntry::name and the file or folder it was found under or written to
// in DirEntry::path, the same text as the profile's file_path.

// Gives node the profile to own and points its session link at it; returns the profile.
SiteProfile& attach_profile(DirEntry& node, std::unique_ptr<SiteProfile> profile);

[[nodiscard]] inline bool is_modified(const DirEntry& node)
{
    return node.flags[FLAG_MODIFIED] != 0;
}
inline void set_modified(DirEntry& node, bool on)
{
    node.flags[FLAG_MODIFIED] = on ? 1 : 0;
}

// Why a profile or folder could not be written, in the words of the string table.
struct ProfileError {
    int string_id = IDS_ERR_CREATE_FILE;
    std::string argument;      // the path or name the text names
    bool refused_name = false; // the name itself cannot become a file name
    [[nodiscard]] std::string message() const;
};

// The file of a profile node (with its ".ftp" or ".url") or the folder of a folder node: the profile
// folder, then the names of the node's ancestors and of the node, root first. An ancestor folder or
// the node keeps the directory or file name it was found under while its display name still matches
// it (so "x.ftp" folders and ".FTP" files are written where they were read). Nothing when a name
// would leave its folder (empty, ".", "..", or holding "/" or NUL).
[[nodiscard]] std::optional<std::filesystem::path> profile_file_path(const DirEntry& node,
                                                                     const std::filesystem::path& profiles);

enum class SaveOutcome {
    WRITTEN,     // the file was written and the modified mark cleared
    SKIPPED,     // not modified, no profile, or a temporary profile
    FOLDER_MADE, // a folder node: its folder exists now
    FAILED,      // see the error; the modified mark stays so a later save tries again
};
struct SaveResult {
    SaveOutcome outcome = SaveOutcome::SKIPPED;
    std::optional<ProfileError> error;
    [[nodiscard]] bool written() const { return outcome == SaveOutcome::WRITTEN; }
};
// Writes a modified node's profile to profile_file_path (replacing the file atomically, mode 0600), or
// makes the folder of a folder node (mode 0700).
SaveResult save_profile_file(DirEntry& node, const std::filesystem::path& profiles);
// Writes the node's profile to path (no checks of the modified mark); false when that failed.
[[nodiscard]] bool write_profile_file(const DirEntry& node, const std::filesystem::path& path);

// Reads the file named by the node's file path (DirEntry::path) into its profile, creating the profile
// when the node has none. The kind follows the file's extension first, then its TYP line. False when
// the file cannot be read (the kind from the extension stays).
bool load_profile_file(DirEntry& node);

} // namespace kestovan
