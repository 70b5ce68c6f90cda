#include "importer/wsftp_files.h"

#include "importer/wine_registry.h"

#include <algorithm>

namespace kestovan {

namespace {

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equals_ignoring_case(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return lower(x) == lower(y); });
}

bool has_drive_letter(std::string_view name)
{
    return name.size() >= 2 && name[1] == ':' && lower(name[0]) >= 'a' && lower(name[0]) <= 'z';
}

// The entry of folder whose name equals name without regard to case.
std::optional<std::filesystem::path> find_ignoring_case(const std::filesystem::path& folder,
                                                        const std::string& name)
{
    std::error_code error;
    std::filesystem::directory_iterator it(folder.empty() ? "." : folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (equals_ignoring_case(it->path().filename().string(), name))
            return folder / it->path().filename();
    }
    return std::nullopt;
}

// path with each component that does not exist as written replaced by one of its folder that differs
// only in case; path itself when some component is not found either way.
std::filesystem::path resolve_ignoring_case(const std::filesystem::path& path)
{
    std::filesystem::path resolved = path.root_path();
    for (const auto& component : path.relative_path()) {
        std::filesystem::path next = resolved / component;
        std::error_code error;
        if (component == "." || component == ".." || std::filesystem::exists(next, error)) {
            resolved = std::move(next);
        } else if (auto found = find_ignoring_case(resolved, component.string())) {
            resolved = std::move(*found);
        } else {
            return path;
        }
    }
    return resolved;
}

} // namespace

std::vector<std::filesystem::path>
ws_named_file_candidates(std::string_view name, const std::filesystem::path& naming_file,
                         const std::optional<std::filesystem::path>& prefix)
{
    std::string slashed(name);
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    std::vector<std::filesystem::path> candidates;
    if (slashed.empty())
        return candidates;
    const std::filesystem::path folder = naming_file.parent_path();
    if (has_drive_letter(slashed)) {
        if (prefix) {
            std::string rest = slashed.substr(2);
            rest.erase(0, rest.find_first_not_of('/'));
            candidates.push_back(*prefix / "dosdevices" / std::string{lower(slashed[0]), ':'} / rest);
        }
    } else if (slashed.front() == '/') {
        candidates.emplace_back(slashed);
    } else {
        candidates.push_back(folder / slashed);
    }
    const std::string last = slashed.substr(slashed.rfind('/') + 1);
    if (last != slashed && !last.empty() && last != "." && last != "..")
        candidates.push_back(folder / last);
    return candidates;
}

std::optional<WsFile>
DiskWsFileOpener::open_named(std::string_view name, const WsFile& from,
                             const std::function<bool(const FileIdentity&)>& already_read)
{
    for (const auto& candidate : ws_named_file_candidates(name, from.path, wine_prefix())) {
        const std::filesystem::path path = resolve_ignoring_case(candidate);
        const auto identity = regular_file_identity(path.c_str());
        if (!identity)
            continue;
        if (already_read(*identity))
            return std::nullopt;
        SourceFile source = read_source_file(path.c_str(), SITE_LIST_LIMIT);
        if (source.status != ReadStatus::Ok)
            return std::nullopt;
        return WsFile{path, std::move(source.bytes), source.identity};
    }
    return std::nullopt;
}

} // namespace kestovan
