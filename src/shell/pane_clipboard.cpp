#include "shell/pane_clipboard.h"

#include "common/paths.h"
#include "ui/language.h"
#include "ui/prompts.h"
#include "ui/string_ids.h"
#include "views/local_file_ops.h"

#include <filesystem>

namespace kestovan {

std::unique_ptr<DirEntry> copy_remote_row(const DirEntry& row)
{
    auto copy = std::make_unique<DirEntry>();
    copy->kind = row.kind;
    copy->session = row.session;
    copy->flags = row.flags;
    copy->name = row.name;
    copy->path = row.path;
    copy->date = row.date;
    copy->size = row.size;
    copy->permissions = row.permissions;
    copy->owner = row.owner;
    copy->group = row.group;
    copy->links = row.links;
    copy->link_target = row.link_target;
    return copy;
}

void PaneClipboards::clear()
{
    local_.clear();
    remote_.clear();
    session_node_ = nullptr;
}

void PaneClipboards::copy_local(const std::vector<LocalEntry>& rows)
{
    clear();
    for (const LocalEntry& row : rows) {
        if (row.kind == LOCAL_FILE || row.kind == LOCAL_FOLDER)
            local_.push_back(row.copy());
    }
}

void PaneClipboards::copy_remote(DirEntry* session_node, const std::vector<DirEntry*>& rows)
{
    clear();
    session_node_ = session_node;
    for (DirEntry* row : rows) {
        if (row && row->kind != KIND_PARENT)
            remote_.push_back({copy_remote_row(*row), row});
    }
}

DirEntry* PaneClipboards::remote_first() const
{
    return remote_.empty() ? nullptr : remote_.front().copy.get();
}

LocalPasteResult paste_local(const PaneClipboards& clips, const std::string& folder, Prompts& prompts,
                             const TransferPort& transfers, const NodeAlive& alive)
{
    LocalPasteResult result;
    if (!clips.local().empty()) {
        bool replace_all = false;
        for (const LocalEntry& entry : clips.local()) {
            if (entry.kind != LOCAL_FILE)
                continue;
            const std::string target = join_local(folder, entry.name);
            // Pasting a file into its own folder would replace it with itself.
            if (target == entry.path)
                continue;
            std::error_code ec;
            if (!replace_all && std::filesystem::exists(target, ec)) {
                const PromptAnswer answer =
                    prompts.question(load_string(IDS_CAPTION_FILE_EXISTS),
                                     format_string(IDS_ASK_REPLACE_FILE, target, entry.path),
                                     PromptButtons::YesNoYesToAllCancel);
                if (answer == PromptAnswer::Cancel) {
                    result.cancelled = true;
                    break;
                }
                if (answer == PromptAnswer::No)
                    continue;
                replace_all = answer == PromptAnswer::YesToAll;
            }
            if (copy_file(entry.path, target))
                ++result.copied;
            else
                result.failed.push_back(target);
        }
        return result;
    }
    DirEntry* session = clips.session_node();
    if (clips.remote().empty() || !session || !alive(session))
        return result;
    std::vector<DirEntry*> entries;
    for (const RemoteClip& clip : clips.remote()) {
        if (alive(clip.original))
            entries.push_back(clip.original);
    }
    if (!entries.empty() && transfers.download) {
        transfers.download(session, entries, folder);
        result.downloaded = true;
    }
    return result;
}

bool paste_remote(const PaneClipboards& clips, DirEntry* shown_folder, const TransferPort& transfers,
                  const std::function<void(const std::vector<RemoteClip>&)>& paste_profiles)
{
    if (!clips.local().empty()) {
        if (!shown_folder || !transfers.upload)
            return false;
        std::vector<std::string> paths;
        for (const LocalEntry& entry : clips.local())
            paths.push_back(entry.path);
        transfers.upload(shown_folder, paths);
        return true;
    }
    const DirEntry* first = clips.remote_first();
    if (first && (first->kind == KIND_SITE || first->kind == KIND_URL_PROFILE) && paste_profiles) {
        paste_profiles(clips.remote());
        return true;
    }
    return false;
}

} // namespace kestovan
