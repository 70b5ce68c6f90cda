// A session: one control connection of a site profile, with the operation it carries until its
// login completes. Sessions of a profile form a list whose head (the profile's first session) drives
// the remote pane.
#pragma once

#include "engine/ftp_connection.h"
#include "views/local_entry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestovan {

struct DirEntry;
struct SiteProfile;

enum SessionState : std::int32_t {
    SESSION_IDLE = 0,
    SESSION_CONNECTING = 1,
    SESSION_CONNECTED = 2,
};

// Pending operations; the numbers double as command identifiers.
enum PendingOperation : std::int32_t {
    OP_NONE = 0,
    OP_LIST = 5,
    OP_DOWNLOAD = 7,
    OP_UPLOAD = 8,
    OP_DELETE = 9,
    OP_MAKE_FOLDER = 10,
    OP_OPEN = 319,
    OP_OPEN_FILE = 413,
    OP_VIEW = 1548,
    OP_RENAME = 1876,
    OP_RAW_COMMAND = 1879,
    OP_CHMOD = 1880,
    OP_EDIT = 1881,
    OP_DIRECTORY_INFO = 1882,
};

struct Session {
    Session* next = nullptr;     // the next (older) session of the same profile
    Session* previous = nullptr; // the previous (newer) one
    FtpConnection* connection = nullptr;
    std::uint32_t connection_serial = 0; // the connection is ours only while its serial matches
    PendingOperation operation = OP_NONE;
    std::string operation_text;
    std::vector<DirEntry*> operation_entries; // OP_DOWNLOAD, OP_DELETE; OP_OPEN, OP_VIEW, OP_EDIT: one
    LocalChain operation_items;               // OP_UPLOAD: a copy of the local items
    std::string operation_argument;           // texts: folder name, new name, command line
    DirEntry* operation_node = nullptr;       // the tree node the operation acts on
    SessionState state = SESSION_IDLE;
    std::uint64_t task_row = 0; // the Tasks-pane row of the running transfer (TaskRows::find)
    SiteProfile* profile = nullptr;
};

} // namespace kestovan
