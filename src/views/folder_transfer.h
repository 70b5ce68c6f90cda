// The widget- and engine-free steps of folder transfers: which names may become local files, how a
// remote folder's path is found, what one level of a folder download or upload does, and the guards
// that keep a walk inside its local target folder and finite on the remote side.
//
// Names come from a server's listing and are not trusted: a name that could leave the chosen folder
// ("..", "/etc/x", "a\b", NUL) never becomes a local path, and a symbolic link met on the local side
// is not followed out of the folder the user chose. A walk that follows remote links as folders
// lists no remote path twice and stops at MAX_FOLDER_DEPTH levels, so a link loop ends.
#pragma once

#include "views/dir_entry.h"
#include "views/local_entry.h"
#include "views/rename_rules.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

// Levels of folders below the folder a walk starts from.
inline constexpr int MAX_FOLDER_DEPTH = 32;

// A remote name is refused as a local file name when it could leave the chosen folder: empty, ".",
// "..", or holding "/", "\" or NUL.
[[nodiscard]] bool is_safe_local_name(std::string_view name);

// True when writing path keeps inside root: the folder holding path resolves (symbolic links
// followed) to root or a folder below it, and when something already stands at path it does too.
// A dangling link at path counts as outside (writing would create its target). False when root
// does not exist.
[[nodiscard]] bool stays_inside(const std::string& root, const std::string& path);

enum class LocalFolderResult {
    CREATED,
    EXISTED,
    FAILED,  // could not be made, or something other than a folder stands there
    OUTSIDE, // it would lie outside root through a symbolic link
};
// Creates the folder path (its parent must exist) unless it is there, checking stays_inside first.
[[nodiscard]] LocalFolderResult make_local_folder(const std::string& root, const std::string& path);

// A remote path in one form for comparison: "/" separators, ".." resolved, no trailing "/", the
// root as "/". The empty path (a server root recorded from PWD "/") is "/".
[[nodiscard]] std::string normalize_remote_path(std::string_view path);

// The remote folder a tree node stands for: a site or folder its path; a symbolic link its target,
// resolved against the folder that holds the link when relative, or the link's own path when the
// listing showed no target.
[[nodiscard]] std::string remote_folder_path(const DirEntry& node);
// The path that names the entry itself on the server (a link: the link, not its target).
[[nodiscard]] std::string remote_entry_path(const DirEntry& entry);

// The remote paths one walk has listed, with the depth bound.
class FolderWalkGuard {
public:
    enum class Verdict {
        LIST,
        ALREADY_LISTED,
        TOO_DEEP,
    };
    // LIST (and the path is recorded) when the walk may list path at depth (0: the folder it
    // started from).
    [[nodiscard]] Verdict enter(std::string_view path, int depth);

private:
    std::set<std::string> listed_;
};

// One entry of a listed folder, as a folder download treats it.
struct DownloadStep {
    enum class Kind {
        FETCH,       // a file: RETR remote_path into local_path
        FOLDER,      // a folder or link: local sub-folder local_path, list remote_path in turn
        UNSAFE_NAME, // skipped: the (renamed) name cannot be a local name
    };
    Kind kind = Kind::FETCH;
    std::string name; // as listed
    std::string remote_path;
    std::string local_path;
};
[[nodiscard]] std::vector<DownloadStep> plan_folder_download(const EntryChain& entries,
                                                             std::string_view remote_folder,
                                                             std::string_view local_folder,
                                                             const RenameRules* rules);

// One row of a local folder, as a folder upload treats it.
struct UploadStep {
    enum class Kind {
        STORE,  // STOR local_path to remote_path
        FOLDER, // MKD remote_path, then upload local_path into it
    };
    Kind kind = Kind::STORE;
    std::string local_path;
    std::string remote_path;
};
// name_case: the profile's CASE_LOWER_FILES / CASE_LOWER_FOLDERS bits, applied to the new names.
[[nodiscard]] std::vector<UploadStep> plan_folder_upload(const LocalChain& rows,
                                                         std::string_view remote_folder,
                                                         std::uint8_t name_case, const RenameRules* rules);

// The remote size text of an entry as a number; 0 when absent or not a number.
[[nodiscard]] std::int64_t listed_size(const std::optional<std::string>& text);

} // namespace kestovan
