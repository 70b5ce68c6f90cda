// Files that hold passwords (profiles, tree texts, config.ini) and the folders made for them: written
// atomically, readable by the owner only.
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace kestovan {

// Steps a caller (a test, mostly) may break into: after_temp_written runs once the new content is on
// disk in the temporary file, before it replaces the old file; returning false abandons the write as
// if the process had died there, except that the temporary file is removed.
struct AtomicWriteHooks {
    std::function<bool(const std::filesystem::path& temp)> after_temp_written;
};

// Replaces path with bytes: writes a temporary file (mode 0600) in the same folder, flushes it to the
// disk, renames it over path and flushes the folder. False when any step fails; the previous file is
// then untouched and the temporary file removed. A symbolic link at path is replaced, not followed.
// Temporary files of path older than ten minutes (left by a write that was killed) are removed after
// a successful write.
[[nodiscard]] bool write_file_atomically(const std::filesystem::path& path, std::string_view bytes,
                                         const AtomicWriteHooks& hooks = {});

// Creates every missing folder of path with mode 0700 (existing ones are left as they are). True when
// path is a folder afterwards.
[[nodiscard]] bool make_private_folders(const std::filesystem::path& path);

// Creates path with bytes (mode 0600) only when nothing exists there yet; false when something did or
// the write failed (then nothing is left behind).
[[nodiscard]] bool create_private_file(const std::filesystem::path& path, std::string_view bytes);

} // namespace kestovan
