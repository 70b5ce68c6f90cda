// The task record: a batch task of the transfer queue, a row of the Tasks pane, or a bookmark. Which
// fields a record uses depends on what it is (see the comments); the queue and the bookmark list are
// TaskLists in order.
#pragma once

#include "profiles/site_profile.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

struct Session;

// Task::status of a batch task.
inline constexpr std::uint8_t TASK_UPLOAD = 10;
inline constexpr std::uint8_t TASK_DOWNLOAD = 11;

// Task::state: a batch task waits, a Tasks-pane row runs, until it is done or failed.
inline constexpr std::uint8_t TASK_WAITING = 0;
inline constexpr std::uint8_t TASK_RUNNING = 0;
inline constexpr std::uint8_t TASK_DONE = 1;
inline constexpr std::uint8_t TASK_FAILED = 255;

// Task::mode, the transfer type.
inline constexpr std::uint8_t MODE_ASCII = 0;  // TYPE A
inline constexpr std::uint8_t MODE_BINARY = 1; // TYPE I

// Bookmark kinds beyond the node kinds.
inline constexpr std::uint8_t KIND_LOCAL_FOLDER = 14;
inline constexpr std::uint8_t KIND_LOCAL_FILE = 15;

// Bookmarks take the menu command identifiers from here on, by position.
inline constexpr std::int32_t BOOKMARK_FIRST_ID = 10000;

struct Task {
    // Batch tasks and bookmarks own a copy of their site's profile (made with copy_profile, without
    // sessions); a Tasks-pane row points to its session's profile instead.
    std::unique_ptr<SiteProfile> profile;
    SiteProfile* session_profile = nullptr; // Tasks-pane rows; not owned
    Session* session = nullptr;             // Tasks-pane rows
    std::optional<std::string> source;      // LOCAL: download: the server path; upload: the local path
    std::optional<std::string> destination; // REMOTE: download: the local path; upload: the server path
    std::optional<std::string> server;
    std::uint32_t flags = 0;     // batch tasks; cleared when the queue restarts
    std::int32_t identifier = 0; // bookmarks: BOOKMARK_FIRST_ID + position
    // Tasks-pane rows: the row's own number (sessions and fetches name their row by it, so a deleted
    // row is never written to) and the engine command it shows.
    std::uint64_t row_id = 0;
    std::uint64_t command_serial = 0;
    std::int64_t size = 0;           // SIZE: the file size in bytes
    std::optional<std::string> name; // NAME: file name, bookmark name, or a local bookmark's path
    std::optional<std::string> date;
    std::optional<std::string> bytes_text;   // Tasks-pane rows
    std::optional<std::string> percent_text; // Tasks-pane rows, with "%"
    float rate = 0;                          // Tasks-pane rows: bytes per second; -1: none shown
    std::int64_t shown_at_ms = 0;            // Tasks-pane rows: when progress was last reported
    std::uint8_t status = 0;                 // STATUS: TASK_UPLOAD or TASK_DOWNLOAD
    std::uint8_t state = 0;                  // STATE: TASK_WAITING / TASK_RUNNING, TASK_DONE, TASK_FAILED
    std::uint8_t mode = 0;                   // MODE: MODE_BINARY or MODE_ASCII
    std::uint8_t kind = 0; // TYP: the entry's kind; for bookmarks also KIND_LOCAL_FOLDER / _FILE

    // The profile a Tasks-pane row or a task stands for: its own copy, else its session's.
    [[nodiscard]] SiteProfile* site() const { return profile ? profile.get() : session_profile; }
};

using TaskList = std::vector<std::unique_ptr<Task>>;

// A server path text: the server name, "/" and the remote path, with "\" turned into "/", runs of
// "/" collapsed and a leading drive letter with its colon removed from the remote path.
[[nodiscard]] std::string server_path(std::string_view server, std::string_view remote_path);

} // namespace kestovan
