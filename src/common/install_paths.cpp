#include "common/install_paths.h"

#include <system_error>

namespace kestovan {

std::optional<std::filesystem::path> executable_folder()
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !executable.has_parent_path())
        return std::nullopt;
    return executable.parent_path();
}

std::optional<std::filesystem::path> installed_data_folder(const std::filesystem::path& bin)
{
    const std::filesystem::path folder = bin.parent_path() / KESTOVAN_INSTALL_DATADIR;
    std::error_code error;
    if (!std::filesystem::is_regular_file(folder / "help.htm", error))
        return std::nullopt;
    return folder;
}

std::filesystem::path installed_library_folder(const std::filesystem::path& bin)
{
    return bin.parent_path() / KESTOVAN_INSTALL_LIBDIR;
}

} // namespace kestovan
