#include "views/folder_transfer.h"

#include "common/paths.h"
#include "profiles/site_profile.h"

#include <charconv>
#include <filesystem>

namespace kestovan {

namespace fs = std::filesystem;

namespace {

bool is_within(const fs::path& root, const fs::path& path)
{
    auto r = root.begin();
    auto p = path.begin();
    for (; r != root.end(); ++r, ++p) {
        // A trailing separator of root shows as an empty last element.
        if (r->empty() && std::next(r) == root.end())
            return true;
        if (p == path.end() || *r != *p)
            return false;
    }
    return true;
}

std::string lower_ascii(std::string text)
{
    for (char& ch : text)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    return text;
}

std::string last_segment(std::string_view path)
{
    const auto slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

} // namespace

bool is_safe_local_name(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

bool stays_inside(const std::string& root, const std::string& path)
{
    std::error_code ec;
    const fs::path real_root = fs::canonical(root, ec);
    if (ec)
        return false;
    const fs::path target(path);
    const fs::path folder = fs::canonical(target.parent_path(), ec);
    if (ec || !is_within(real_root, folder))
        return false;
    const fs::file_status status = fs::symlink_status(target, ec);
    if (ec || !fs::exists(status))
        return true;
    if (!fs::is_symlink(status))
        return true;
    const fs::path resolved = fs::canonical(target, ec);
    return !ec && is_within(real_root, resolved);
}

LocalFolderResult make_local_folder(const std::string& root, const std::string& path)
{
    if (!stays_inside(root, path))
        return LocalFolderResult::OUTSIDE;
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return LocalFolderResult::EXISTED;
    if (fs::create_directory(path, ec) && !ec)
        return LocalFolderResult::CREATED;
    return LocalFolderResult::FAILED;
}

std::string normalize_remote_path(std::string_view path)
{
    std::string out = join_remote("/", path);
    while (out.size() > 1 && out.back() == '/')
        out.pop_back();
    return out.empty() ? "/" : out;
}

std::string remote_folder_path(const DirEntry& node)
{
    if (node.kind != KIND_LINK)
        return normalize_remote_path(remote_path_of(node).value_or(""));
    const std::string holder = node.parent ? remote_folder_path(*node.parent) : std::string("/");
    if (node.link_target && !node.link_target->empty()) {
        const std::string& target = *node.link_target;
        return normalize_remote_path(target.front() == '/' ? target : join_remote(holder, target));
    }
    return normalize_remote_path(join_remote(holder, node.name));
}

std::string remote_entry_path(const DirEntry& entry)
{
    if (entry.kind == KIND_LINK || !entry.path)
        return join_remote(entry.parent ? remote_folder_path(*entry.parent) : std::string("/"), entry.name);
    return *entry.path;
}

FolderWalkGuard::Verdict FolderWalkGuard::enter(std::string_view path, int depth)
{
    if (depth > MAX_FOLDER_DEPTH)
        return Verdict::TOO_DEEP;
    if (!listed_.insert(normalize_remote_path(path)).second)
        return Verdict::ALREADY_LISTED;
    return Verdict::LIST;
}

std::vector<DownloadStep> plan_folder_download(const EntryChain& entries, std::string_view remote_folder,
                                               std::string_view local_folder, const RenameRules* rules)
{
    std::vector<DownloadStep> steps;
    for (const auto& entry : entries) {
        DownloadStep step;
        step.name = entry->name;
        switch (entry->kind) {
        case KIND_FILE: {
            step.kind = DownloadStep::Kind::FETCH;
            step.remote_path = join_remote(remote_folder, entry->name);
            const std::string local = rules ? rename_for_download(*rules, entry->name) : entry->name;
            if (!is_safe_local_name(entry->name) || !is_safe_local_name(local))
                step.kind = DownloadStep::Kind::UNSAFE_NAME;
            else
                step.local_path = join_local(local_folder, local);
            break;
        }
        case KIND_FOLDER:
        case KIND_LINK: {
            step.kind = DownloadStep::Kind::FOLDER;
            if (entry->kind == KIND_LINK && entry->link_target && !entry->link_target->empty()) {
                const std::string& target = *entry->link_target;
                step.remote_path = normalize_remote_path(
                    target.front() == '/' ? target : join_remote(remote_folder, target));
            } else {
                step.remote_path = join_remote(remote_folder, entry->name);
            }
            if (!is_safe_local_name(entry->name))
                step.kind = DownloadStep::Kind::UNSAFE_NAME;
            else
                step.local_path = join_local(local_folder, entry->name);
            break;
        }
        default: continue; // ".." and the profile tree's own kinds never come from a listing walk
        }
        if (step.kind == DownloadStep::Kind::UNSAFE_NAME)
            step.remote_path.clear();
        steps.push_back(std::move(step));
    }
    return steps;
}

std::vector<UploadStep> plan_folder_upload(const LocalChain& rows, std::string_view remote_folder,
                                           std::uint8_t name_case, const RenameRules* rules)
{
    std::vector<UploadStep> steps;
    for (const LocalEntry& row : rows) {
        const std::string name = row.name.empty() ? last_segment(row.path) : row.name;
        if (row.kind == LOCAL_FOLDER) {
            std::string remote_name = (name_case & CASE_LOWER_FOLDERS) ? lower_ascii(name) : name;
            steps.push_back({UploadStep::Kind::FOLDER, row.path, join_remote(remote_folder, remote_name)});
        } else if (row.kind == LOCAL_FILE) {
            std::string remote_name = rules ? rename_for_upload(*rules, name) : name;
            if (name_case & CASE_LOWER_FILES)
                remote_name = lower_ascii(std::move(remote_name));
            steps.push_back({UploadStep::Kind::STORE, row.path, join_remote(remote_folder, remote_name)});
        }
    }
    return steps;
}

std::int64_t listed_size(const std::optional<std::string>& text)
{
    if (!text)
        return 0;
    std::int64_t value = 0;
    const char* begin = text->data();
    const char* end = begin + text->size();
    auto [ptr, ec] = std::from_chars(begin, end, value);
    return ec == std::errc() && value >= 0 ? value : 0;
}

} // namespace kestovan
