// config.ini: the version and product lines, the settings, the batch queue (records with prefix 1),
// the bookmarks (prefix 2) and the rename block. Read once at start-up; rewritten whole, atomically
// and readable by the owner only (it holds passwords), at exit and whenever a task is queued.
#pragma once

#include "profiles/private_files.h"
#include "queue/task.h"
#include "settings/settings.h"
#include "views/rename_rules.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace kestovan {

inline constexpr std::string_view CONFIG_FILE = "config.ini";
inline constexpr std::string_view PRODUCT_NAME = "Kestovan FTP";
inline constexpr std::string_view CONFIG_VERSION_KEY = "version";
inline constexpr std::string_view CONFIG_PRODUCT_KEY = "product";

inline constexpr char TASK_PREFIX = '1';
inline constexpr char BOOKMARK_PREFIX = '2';

// Record keys, written after the prefix digit in this order.
inline constexpr std::string_view TASK_KEY_NAME = "NAME";
inline constexpr std::string_view TASK_KEY_SNAME = "SNAME";
inline constexpr std::string_view TASK_KEY_SERVER = "SERVER";
inline constexpr std::string_view TASK_KEY_PORT = "PORT";
inline constexpr std::string_view TASK_KEY_USERNAME = "USERNAME";
inline constexpr std::string_view TASK_KEY_ACCT = "ACCT";
inline constexpr std::string_view TASK_KEY_PASSWORD = "PASSWORD";
inline constexpr std::string_view TASK_KEY_STR = "STR";
inline constexpr std::string_view TASK_KEY_PASV = "PASV";
inline constexpr std::string_view TASK_KEY_CASE = "CASE";
inline constexpr std::string_view TASK_KEY_ANON = "ANON";
inline constexpr std::string_view TASK_KEY_USER = "USER";
inline constexpr std::string_view TASK_KEY_LOCAL = "LOCAL";
inline constexpr std::string_view TASK_KEY_REMOTE = "REMOTE";
inline constexpr std::string_view TASK_KEY_TYP = "TYP";
inline constexpr std::string_view TASK_KEY_STATUS = "STATUS";
inline constexpr std::string_view TASK_KEY_STATE = "STATE";
inline constexpr std::string_view TASK_KEY_MODE = "MODE";
inline constexpr std::string_view TASK_KEY_SIZE = "SIZE";
inline constexpr std::string_view TASK_KEY_TLS = "TLS";

// A version as "Major.Middle.Minor": the middle number with two digits, the minor with three
// (3, 1, 3 gives "3.01.003").
struct VersionTriple {
    int major = 0;
    int middle = 0;
    int minor = 0;
};
[[nodiscard]] std::string format_version(const VersionTriple& version);
// "0.1.0" (missing or malformed parts read as 0).
[[nodiscard]] VersionTriple parse_version_triple(std::string_view dotted);
// The program's own version, from the build.
[[nodiscard]] VersionTriple program_version();

// Everything config.ini holds. The settings belong to the program; the queue, the bookmarks and the
// rename rules live here.
struct ConfigState {
    explicit ConfigState(Settings& settings_) : settings(settings_) {}

    Settings& settings;
    TaskList queue;
    TaskList bookmarks;
    RenameRules rename_rules;
};

struct ConfigHooks {
    // Before the text is made: the help flag, clearing a proxy that is only the system's, storing the
    // proxy and firewall settings in the registry.
    std::function<void(ConfigState&)> before_write;
    // The settings as the file gets them, when they differ from those in use (a proxy that is only
    // the system's is left out).
    std::function<Settings(const Settings&)> settings_to_write;
    // After a successful write: the chosen language code to the registry.
    std::function<void()> after_write;
    // After reading (whether or not the file was there): the language code from the registry.
    std::function<void()> after_read;
    AtomicWriteHooks file;
};

struct ConfigWriteResult {
    bool ok = true;
    std::string error; // "ERROR W114: Unable to open file 'config.ini'" in the current language
    explicit operator bool() const { return ok; }
};

// The whole text of config.ini for state; every line ends with LF alone.
[[nodiscard]] std::string format_config(const ConfigState& state, const VersionTriple& version);
// The same with other settings in place of the state's.
[[nodiscard]] std::string format_config(const ConfigState& state, const Settings& settings,
                                        const VersionTriple& version);

// Replaces the file at path with format_config of state. When it cannot be written the old file stays
// as it was and the result carries the error text for the caller to show (caption "Error").
[[nodiscard]] ConfigWriteResult write_config(ConfigState& state,
                                             const std::filesystem::path& path = CONFIG_FILE,
                                             const ConfigHooks& hooks = {});

// Applies the lines of a config.ini text: settings, then records (appended to the queue and the
// bookmarks; every record gets a profile), then a rename block, which replaces the rules.
void parse_config(std::string_view text, ConfigState& state);

// Empties the text settings and reads the file at path; true when it was there and read. A missing
// file is not an error: the settings keep their defaults.
bool read_config(ConfigState& state, const std::filesystem::path& path = CONFIG_FILE,
                 const ConfigHooks& hooks = {});

} // namespace kestovan
