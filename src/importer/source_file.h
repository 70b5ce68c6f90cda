// The importer's file access: sources are read whole, and only when they are regular files (a pipe or
// device could block or never end); the target is appended to, created readable by the owner only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace kestovan {

// Site lists are small; anything larger is not one, and reading it whole could exhaust memory.
inline constexpr std::uint64_t SITE_LIST_LIMIT = 16u << 20;
// The registry files of a Wine prefix grow with every installed program.
inline constexpr std::uint64_t REGISTRY_FILE_LIMIT = 256u << 20;

enum class ReadStatus {
    Ok,
    OpenFailed, // missing, unreadable, or no regular file
    ReadFailed, // a read error, or larger than the limit
};

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct SourceFile {
    ReadStatus status = ReadStatus::OpenFailed;
    std::string bytes;
    FileIdentity identity;
};

[[nodiscard]] SourceFile read_source_file(const char* path, std::uint64_t limit);

// The identity of the regular file at path, without reading it; nothing for anything else.
[[nodiscard]] std::optional<FileIdentity> regular_file_identity(const char* path);

enum class AppendStatus {
    Ok,
    OpenFailed,  // cannot be opened or created, is no regular file, or is a symbolic link
    WriteFailed, // the file was cut back to its size before the call
};

// Appends text to the file at path, creating it with mode 0600 when missing; a line feed goes first
// when the file's last line has none. A symbolic link is not followed: the program never writes its
// state files through one.
[[nodiscard]] AppendStatus append_to_target(const char* path, std::string_view text);

} // namespace kestovan
