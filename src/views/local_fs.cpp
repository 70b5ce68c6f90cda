#include "views/local_fs.h"

#include "common/paths.h"
#include "views/name_pattern.h"

#include <cstdio>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace kestovan {
namespace {

struct FileFacts {
    bool is_dir = false;
    std::int64_t size = 0;
    std::time_t modified = 0;
};

// What the file system says about path, symbolic links followed; a dangling link is described by the
// link itself, with size 0. nullopt when nothing is there.
std::optional<FileFacts> file_facts(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        const bool is_dir = S_ISDIR(info.st_mode);
        return FileFacts{is_dir, S_ISREG(info.st_mode) ? static_cast<std::int64_t>(info.st_size) : 0,
                         info.st_mtime};
    }
    if (::lstat(path.c_str(), &info) == 0)
        return FileFacts{false, 0, info.st_mtime};
    return std::nullopt;
}

std::string name_after_last_slash(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string parent_of(std::string_view folder)
{
    const std::size_t slash = folder.rfind('/');
    if (slash == std::string_view::npos)
        return ".";
    return slash == 0 ? "/" : std::string(folder.substr(0, slash));
}

LocalEntry make_row(std::string name, std::uint8_t kind, std::string path, const FileFacts& facts)
{
    LocalEntry row;
    row.name = std::move(name);
    row.kind = kind;
    row.path = std::move(path);
    row.date = format_local_date(facts.modified);
    row.size = kind == LOCAL_FILE ? std::to_string(facts.size) : "0";
    return row;
}

LocalEntry volume_list_row()
{
    LocalEntry row;
    row.name = "..";
    row.kind = LOCAL_VOLUME_LIST;
    row.size = "0";
    return row;
}

// The ".." row of folder: back to the volume list on the root in volume mode, to the parent folder
// elsewhere; the root outside volume mode has none, as a drive root had none.
std::optional<LocalEntry> parent_row(const std::string& folder, int flags)
{
    if (flags & SCAN_NO_FOLDERS)
        return std::nullopt;
    if (folder == "/")
        return (flags & SCAN_VOLUMES) ? std::optional(volume_list_row()) : std::nullopt;
    const std::string parent = parent_of(folder);
    const std::optional<FileFacts> facts = file_facts(parent);
    return make_row("..", LOCAL_PARENT, parent, facts.value_or(FileFacts{true, 0, 0}));
}

struct CloseDir {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, CloseDir>;

} // namespace

std::string format_local_date(std::time_t time)
{
    std::tm local{};
    if (!::localtime_r(&time, &local))
        return {};
    char text[64];
    std::snprintf(text, sizeof text, "%02i-%02i-%i %02i:%02i:%02i", local.tm_mon + 1, local.tm_mday,
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

std::string clean_folder_path(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return std::string(path);
}

std::optional<LocalChain> scan_folder(std::string_view path, std::string_view mask, int flags)
{
    if (path.empty() && (flags & SCAN_VOLUMES))
        return list_volumes();
    const std::string folder = clean_folder_path(path);
    DirHandle dir(::opendir(folder.c_str()));
    if (!dir)
        return std::nullopt;
    LocalChain rows;
    if (std::optional<LocalEntry> parent = parent_row(folder, flags))
        rows.push_back(std::move(*parent));
    while (const dirent* item = ::readdir(dir.get())) {
        const std::string name = item->d_name;
        if (name == "." || name == "..")
            continue;
        std::string full = join_local(folder, name);
        const std::optional<FileFacts> facts = file_facts(full);
        if (!facts)
            continue; // removed while the folder was read
        const bool hidden = name.front() == '.';
        if (facts->is_dir && ((flags & SCAN_HIDDEN_FOLDERS) || !hidden)) {
            if (!(flags & SCAN_NO_FOLDERS))
                rows.push_back(make_row(name, LOCAL_FOLDER, std::move(full), *facts));
            continue;
        }
        if (!match_mask_list(mask, name))
            continue;
        FileFacts as_file = *facts;
        if (facts->is_dir)
            as_file.size = 0;
        rows.push_back(make_row(name, LOCAL_FILE, std::move(full), as_file));
    }
    return rows;
}

std::optional<LocalEntry> entry_for_path(const std::string& path)
{
    const std::optional<FileFacts> facts = file_facts(path);
    if (!facts)
        return std::nullopt;
    return make_row(name_after_last_slash(path), facts->is_dir ? LOCAL_FOLDER : LOCAL_FILE, path, *facts);
}

void list_folder(LocalList& list, std::string_view path)
{
    list.rows.clear();
    const std::string folder = path.empty() ? std::string() : clean_folder_path(path);
    std::optional<LocalChain> rows = scan_folder(folder, list.mask, list.flags);
    if (!rows && !is_folder(folder)) {
        list.folder.clear();
        list.rows = (list.flags & SCAN_VOLUMES) ? list_volumes() : LocalChain();
        return;
    }
    list.folder = folder;
    if (rows)
        list.rows = std::move(*rows);
    const bool has_parent = !list.rows.empty() && (list.rows.front().kind == LOCAL_PARENT ||
                                                   list.rows.front().kind == LOCAL_VOLUME_LIST);
    if ((list.flags & SCAN_VOLUMES) && !folder.empty() && !has_parent)
        list.rows.insert(list.rows.begin(), volume_list_row());
}

std::optional<std::size_t> refresh_row(LocalChain& rows, const std::string& path)
{
    std::optional<LocalEntry> fresh = entry_for_path(path);
    if (!fresh)
        return std::nullopt;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].path == path) {
            rows[i].size = fresh->size;
            rows[i].date = fresh->date;
            return i;
        }
    }
    rows.push_back(std::move(*fresh));
    return rows.size() - 1;
}

} // namespace kestovan
