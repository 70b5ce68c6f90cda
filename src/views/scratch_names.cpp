#include "views/scratch_names.h"

#include "common/paths.h"
#include "views/folder_transfer.h"

#include <algorithm>
#include <array>

namespace kestovan {

std::optional<std::string> scratch_path(std::string_view scratch_folder, std::string_view name)
{
    if (!is_safe_local_name(name))
        return std::nullopt;
    return join_local(scratch_folder, name);
}

std::string last_path_segment(std::string_view remote_path)
{
    const std::size_t slash = remote_path.rfind('/');
    return std::string(slash == std::string_view::npos ? remote_path : remote_path.substr(slash + 1));
}

std::string directory_info_name(std::string_view remote_path)
{
    while (!remote_path.empty() && (remote_path.back() == '\r' || remote_path.back() == '\n'))
        remote_path.remove_suffix(1);
    while (remote_path.size() > 1 && remote_path.back() == '/')
        remote_path.remove_suffix(1);
    return last_path_segment(remote_path) + ".dir";
}

bool is_image_path(std::string_view path)
{
    constexpr std::array<std::string_view, 4> image_marks = {".gif", ".jpg", ".jpeg", ".bmp"};
    for (std::string_view mark : image_marks)
        if (path.find(mark) != std::string_view::npos)
            return true;
    return false;
}

void remove_scratch_files(const std::filesystem::path& folder, const std::vector<std::string>& keep)
{
    std::error_code ec;
    if (keep.empty()) {
        std::filesystem::remove_all(folder, ec);
        return;
    }
    for (const auto& item : std::filesystem::directory_iterator(folder, ec)) {
        const bool kept = std::any_of(keep.begin(), keep.end(), [&](const std::string& path) {
            std::error_code same;
            return std::filesystem::equivalent(item.path(), path, same);
        });
        if (!kept)
            std::filesystem::remove_all(item.path(), ec);
    }
}

} // namespace kestovan
