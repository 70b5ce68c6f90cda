#include "profiles/wine_site_lists.h"

#include <algorithm>
#include <cstdlib>

namespace kestovan {

namespace {

struct SearchRoot {
    std::string_view folder; // under drive_c
    int depth;               // levels of sub-folders entered below it
};

// Programs keep their site lists in their installation folder or in the user's application data.
constexpr SearchRoot SEARCH_ROOTS[] = {
    {"Program Files", 3},
    {"Program Files (x86)", 3},
    {"windows", 0},
    {"users", 5},
};

bool is_site_list_name(std::string_view name)
{
    const auto equals_ignoring_case = [](std::string_view a, std::string_view b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            const auto lower = [](char c) {
                return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
            };
            return lower(x) == lower(y);
        });
    };
    return equals_ignoring_case(name, FTPV_SITE_LIST) || equals_ignoring_case(name, CUTE_SITE_LIST) ||
           equals_ignoring_case(name, WSFTP_SITE_LIST);
}

void search(const std::filesystem::path& root, int depth, std::size_t& budget,
            std::vector<std::filesystem::path>& found)
{
    std::error_code error;
    std::filesystem::recursive_directory_iterator it(
        root, std::filesystem::directory_options::skip_permission_denied, error);
    for (; !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (budget == 0)
            return;
        --budget;
        std::error_code type_error;
        if (it->is_symlink(type_error)) {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_directory(type_error)) {
            if (it.depth() >= depth)
                it.disable_recursion_pending();
        } else if (it->is_regular_file(type_error) && is_site_list_name(it->path().filename().string())) {
            found.push_back(it->path());
        }
    }
}

} // namespace

std::optional<std::filesystem::path> wine_prefix_folder()
{
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix)
        return std::filesystem::path(prefix);
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".wine";
    return std::nullopt;
}

std::vector<std::filesystem::path> find_wine_site_lists(const std::filesystem::path& prefix)
{
    std::vector<std::filesystem::path> found;
    std::size_t budget = WINE_SEARCH_BUDGET;
    for (const SearchRoot& root : SEARCH_ROOTS)
        search(prefix / "drive_c" / root.folder, root.depth, budget, found);
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace kestovan
