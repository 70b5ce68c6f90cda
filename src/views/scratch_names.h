// Names in the scratch folder ("temp/" under the working folder), where View, Edit, Open and
// Directory Info put the files they hand to other programs. A name taken from a server becomes a
// scratch file only when it is a plain name (the rules of downloads), so no server can make the
// program write outside the scratch folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

inline constexpr std::string_view SCRATCH_FOLDER = "temp";

// The scratch path for a remote name; nothing when the name is not a plain local name ("..",
// "a/b", empty, ...).
[[nodiscard]] std::optional<std::string> scratch_path(std::string_view scratch_folder, std::string_view name);

// The text after the last "/" of a remote path.
[[nodiscard]] std::string last_path_segment(std::string_view remote_path);

// The file Directory Info writes for a listed path: its last segment and ".dir" ("/pub/incoming"
// gives "incoming.dir"; the root gives ".dir").
[[nodiscard]] std::string directory_info_name(std::string_view remote_path);

// Local View hands these to the desktop's opener (an image viewer) instead of the text editor:
// paths holding ".gif", ".jpg", ".jpeg" or ".bmp", with case, anywhere in the path.
[[nodiscard]] bool is_image_path(std::string_view path);

// The clean-up at exit: the scratch folder goes with everything in it, except the files named in
// keep (edits that did not reach the server), which stay where they are.
void remove_scratch_files(const std::filesystem::path& folder, const std::vector<std::string>& keep);

} // namespace kestovan
