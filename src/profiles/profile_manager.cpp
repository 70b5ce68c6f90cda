#include "profiles/profile_manager.h"

#include "profiles/profile_folder.h"
#include "profiles/profile_manager_files.h"
#include "profiles/profile_names.h"
#include "settings/settings.h"
#include "ui/language.h"
#include "ui/prompts.h"
#include "ui/string_ids.h"

#include <algorithm>
#include <functional>

namespace kestovan {

namespace {

constexpr std::string_view NAME_LIST_SEPARATOR = "------------------------------";

// Every entry of level and below it, depth first in tree order.
template <typename Visit>
void walk(const EntryChain& level, const Visit& visit)
{
    for (const auto& node : level) {
        visit(*node);
        walk(node->children, visit);
    }
}

DirEntry* find_site(const EntryChain& level, const std::function<bool(const DirEntry&)>& match)
{
    DirEntry* found = nullptr;
    walk(level, [&](DirEntry& node) {
        if (!found && node.kind == KIND_SITE && match(node))
            found = &node;
    });
    return found;
}

std::string file_path_of(const DirEntry& node)
{
    if (node.session && node.session->file_path)
        return *node.session->file_path;
    return node.path.value_or("");
}

} // namespace

ProfileManager::ProfileManager(Prompts& prompts, const Settings& settings, ProfileClipboard& clipboard,
                               std::filesystem::path profiles, ProfileSessions* sessions)
    : prompts_(prompts), settings_(settings), profiles_(std::move(profiles)), sessions_(sessions),
      clipboard_(clipboard)
{}

ProfileManager::~ProfileManager() = default;

std::string ProfileManager::email() const
{
    return settings_.text(KEY_EMAIL);
}

void ProfileManager::open(const DirEntry* start, int mode, DirEntry* edited)
{
    tree_ = load_profile_folder(profiles_);
    selection_ = nullptr;
    fresh_folder_ = nullptr;
    edited_ = edited;
    cancelled_ = false;
    closed_ = false;
    rebuild_name_list();
    if ((mode & MANAGER_START_WITH_NEW_PROFILE) && new_entry(KIND_SITE))
        return;
    DirEntry* target = edited;
    if (!target) {
        while (start && start->kind != KIND_SITE)
            start = start->parent;
        if (start) {
            const std::string path = file_path_of(*start);
            target = find_site(tree_, [&](const DirEntry& node) { return file_path_of(node) == path; });
        }
    }
    if (!target && !tree_.empty())
        target = tree_.front().get();
    select(target);
}

// --- selection and form ---------------------------------------------------------------------------

void ProfileManager::select(DirEntry* node)
{
    if (node == selection_)
        return;
    // Edits are written when the user moves on, not only when the entry is met again.
    save_entry(selection_);
    selection_ = node;
    if (node != fresh_folder_)
        fresh_folder_ = nullptr;
    save_entry(node);
    fill_form();
    view_->selection_changed();
}

FormPage ProfileManager::page() const
{
    return selection_ ? page_of_kind(selection_->kind) : FormPage::NONE;
}

std::string ProfileManager::page_caption() const
{
    switch (page()) {
    case FormPage::FTP_SERVER: return load_string(IDS_PM_CAPTION_SESSION_PROFILE);
    case FormPage::URL: return load_string(IDS_PM_CAPTION_URL_PROFILE);
    case FormPage::FOLDER:
        return load_string(selection_ == fresh_folder_ ? IDS_PM_NEW_FOLDER : IDS_PAGE_FOLDER);
    case FormPage::NONE: return {};
    }
    return {};
}

std::string ProfileManager::status_text() const
{
    return selection_ && selection_->session ? entry_status_text(*selection_->session) : std::string();
}

void ProfileManager::fill_form()
{
    ftp_ = {};
    link_ = {};
    folder_ = {};
    if (!selection_ || !selection_->session)
        return;
    switch (page()) {
    case FormPage::FTP_SERVER: ftp_ = fill_ftp_form(*selection_, *selection_->session, email()); break;
    case FormPage::URL: link_ = fill_link_form(*selection_, *selection_->session); break;
    case FormPage::FOLDER: folder_ = fill_folder_form(*selection_, *selection_->session); break;
    case FormPage::NONE: break;
    }
}

void ProfileManager::store_form()
{
    DirEntry& node = *selection_;
    SiteProfile& profile = *node.session;
    switch (page()) {
    case FormPage::FTP_SERVER: store_ftp_form(ftp_, node, profile); break;
    case FormPage::URL: store_link_form(link_, node, profile); break;
    case FormPage::FOLDER: store_folder_form(folder_, node, profile); break;
    case FormPage::NONE: return;
    }
    view_->entry_changed(node);
    if (node.kind != KIND_SITE || !sessions_)
        return;
    // A connected session of this profile works with the new case and passive values at once.
    if (DirEntry* session_node = sessions_->find_session_node(file_path_of(node));
        session_node && session_node->session && sessions_->is_connected(*session_node)) {
        session_node->session->name_case = profile.name_case;
        session_node->session->passive = profile.passive;
        sessions_->apply_live_flags(*session_node, profile.name_case, profile.passive);
    }
}

void ProfileManager::edit_text(FormControl control, const std::string& text)
{
    if (!selection_ || !selection_->session)
        return;
    switch (page()) {
    case FormPage::FTP_SERVER: {
        if (control == CTL_PROFILE_NAME) {
            // A name typed exactly as another profile's line selects that profile.
            for (const NameLine& line : name_lines_)
                if (line.node && line.node != selection_ && line.text == text) {
                    select(line.node);
                    return;
                }
        }
        const bool anonymous = ftp_.anonymous;
        if (!edit_ftp_form(ftp_, control, text, email()))
            return;
        store_form();
        if (ftp_.anonymous != anonymous)
            view_->form_changed();
        break;
    }
    case FormPage::URL:
        if (!edit_link_form(link_, control, text))
            return;
        store_form();
        break;
    case FormPage::FOLDER:
        if (!edit_folder_form(folder_, control, text))
            return;
        store_form();
        break;
    case FormPage::NONE: return;
    }
    if (control == CTL_PROFILE_NAME) {
        rebuild_name_list();
        view_->name_list_changed();
    }
}

void ProfileManager::edit_check(FormControl control, bool on)
{
    if (page() != FormPage::FTP_SERVER || !selection_->session)
        return;
    const bool anonymous = ftp_.anonymous;
    if (!edit_ftp_check(ftp_, control, on, email()))
        return;
    store_form();
    if (ftp_.anonymous != anonymous)
        view_->form_changed();
}

void ProfileManager::edit_encryption(std::uint8_t encryption)
{
    if (page() != FormPage::FTP_SERVER || !selection_->session)
        return;
    const std::string port = ftp_.port;
    edit_ftp_encryption(ftp_, encryption);
    store_form();
    if (ftp_.port != port)
        view_->form_changed();
}

// --- the profile-name list ------------------------------------------------------------------------

void ProfileManager::rebuild_name_list()
{
    name_lines_.clear();
    auto line_of = [this](DirEntry& node) {
        NameLine line{node.name, &node, false};
        if (sessions_)
            if (DirEntry* session = sessions_->find_session_node(file_path_of(node)))
                line.connected = sessions_->is_connected(*session);
        return line;
    };
    const std::vector<std::string> recent = settings_.recent_profiles();
    for (const std::string& entry : recent) {
        const std::size_t colon = entry.rfind(':');
        DirEntry* node = nullptr;
        if (colon != std::string::npos) {
            const std::string path = entry.substr(colon + 1);
            node = find_site(tree_, [&](const DirEntry& n) { return file_path_of(n) == path; });
        } else {
            node = find_site(tree_, [&](const DirEntry& n) { return n.name == entry; });
        }
        if (node)
            name_lines_.push_back(line_of(*node));
    }
    if (edited_)
        name_lines_.push_back(line_of(*edited_));
    if (!recent.empty() && !recent.front().empty())
        name_lines_.push_back(NameLine{std::string(NAME_LIST_SEPARATOR), nullptr, false});
    for (bool imported : {false, true})
        walk(tree_, [&](DirEntry& node) {
            if (node.kind == KIND_SITE && node.session && (node.session->user != 0) == imported)
                name_lines_.push_back(line_of(node));
        });
}

int ProfileManager::current_name_line() const
{
    for (std::size_t i = 0; i < name_lines_.size(); ++i)
        if (name_lines_[i].node && name_lines_[i].node == selection_)
            return static_cast<int>(i);
    return name_lines_.empty() ? -1 : 0;
}

void ProfileManager::choose_name_line(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= name_lines_.size())
        return;
    if (DirEntry* node = name_lines_[static_cast<std::size_t>(index)].node)
        select(node);
}

// --- commands -------------------------------------------------------------------------------------

ManagerEnables ProfileManager::enables() const
{
    ManagerEnables e;
    const bool in_tree = selection_ && selection_ != edited_;
    e.connect = in_tree && sessions_ && selection_->kind != KIND_PROFILE_FOLDER;
    e.remove = in_tree;
    e.copy = selection_ != nullptr;
    e.paste = clipboard_.node != nullptr;
    e.rename = in_tree;
    e.save = selection_ != nullptr;
    return e;
}

DirEntry* ProfileManager::folder_for_new_entry() const
{
    if (!selection_ || selection_ == edited_)
        return nullptr;
    if (selection_->kind == KIND_PROFILE_FOLDER)
        return selection_;
    if (selection_->parent && selection_->parent->kind == KIND_PROFILE_FOLDER)
        return selection_->parent;
    return nullptr;
}

void ProfileManager::insert_node(std::unique_ptr<DirEntry> node, DirEntry* folder)
{
    DirEntry* added = node.get();
    if (folder) {
        folder->add_child(std::move(node));
    } else {
        node->parent = nullptr;
        tree_.push_back(std::move(node));
    }
    view_->entry_inserted(*added);
}

DirEntry* ProfileManager::new_entry(std::uint8_t kind)
{
    DirEntry* folder = folder_for_new_entry();
    NewEntryResult made = new_profile_entry(folder, kind, profiles_);
    if (!made.node) {
        if (made.error)
            prompts_.message(load_string(IDS_CAPTION_ERROR), made.error->message(), PromptIcon::Error);
        return nullptr;
    }
    DirEntry* node = made.node.get();
    if (kind == KIND_SITE) {
        node->session->port = std::string(DEFAULT_PORT);
        // Active mode fails behind the address-translating routers most users sit behind.
        node->session->passive = 1;
    }
    insert_node(std::move(made.node), folder);
    if (kind == KIND_PROFILE_FOLDER)
        fresh_folder_ = node;
    rebuild_name_list();
    select(node);
    view_->name_list_changed();
    return node;
}

void ProfileManager::copy()
{
    if (!selection_)
        return;
    auto node = std::make_unique<DirEntry>();
    node->name = selection_->name;
    node->path = selection_->path;
    node->kind = selection_->kind;
    attach_profile(*node, copy_profile(selection_->session));
    clipboard_.node = std::move(node);
    view_->selection_changed();
}

DirEntry* ProfileManager::paste()
{
    if (!clipboard_.node)
        return nullptr;
    const DirEntry& copied = *clipboard_.node;
    DirEntry* folder = folder_for_new_entry();
    NewEntryResult made = new_profile_entry(folder, copied.kind, profiles_);
    if (!made.node) {
        if (made.error)
            prompts_.message(load_string(IDS_CAPTION_ERROR), made.error->message(), PromptIcon::Error);
        return nullptr;
    }
    DirEntry* node = made.node.get();
    // The new entry takes the copied settings under its own name and file.
    if (copied.session && copied.kind != KIND_PROFILE_FOLDER) {
        SiteProfile& profile = *node->session;
        const auto name = profile.name;
        const auto file_path = profile.file_path;
        copy_stored_fields(*copied.session, profile);
        profile.name = name;
        profile.file_path = file_path;
        profile.kind_copy = copied.kind;
        set_modified(*node, true);
    }
    insert_node(std::move(made.node), folder);
    rebuild_name_list();
    select(node);
    view_->name_list_changed();
    return node;
}

void ProfileManager::start_rename()
{
    if (enables().rename)
        view_->start_label_edit(*selection_);
}

bool ProfileManager::move_entry(DirEntry& node, const std::string& text, bool report)
{
    const RenamePlan plan = plan_rename(node, text);
    if (!plan.usable || !move_without_replacing(plan.from, plan.to)) {
        if (report)
            prompts_.message(load_string(IDS_CAPTION_ERROR),
                             format_string(IDS_ERR_RENAME_PROFILE, plan.from.string(), plan.to.string()),
                             PromptIcon::Error);
        return false;
    }
    rebase_paths(node, plan.from.string(), plan.to.string());
    node.name = text;
    if (node.session)
        node.session->name = text;
    view_->entry_changed(node);
    rebuild_name_list();
    view_->name_list_changed();
    return true;
}

bool ProfileManager::rename_entry(DirEntry& node, const std::string& label)
{
    if (&node == edited_)
        return false;
    const std::string text = label.substr(0, MAX_RENAME_LENGTH);
    if (text == node.name)
        return true;
    if (!move_entry(node, text, true))
        return false;
    if (&node == selection_) {
        fill_form();
        view_->form_changed();
    }
    return true;
}

bool ProfileManager::apply_pending_name(DirEntry& node)
{
    if (!node.path || page_of_kind(node.kind) == FormPage::NONE)
        return true;
    const std::string on_disk = display_name_of(std::filesystem::path(*node.path).filename().string());
    if (node.name == on_disk)
        return true;
    // The name box renamed the entry; its file follows now, or the name goes back to the file's.
    if (move_entry(node, node.name, true))
        return true;
    node.name = on_disk;
    if (node.session)
        node.session->name = on_disk;
    view_->entry_changed(node);
    if (&node == selection_) {
        fill_form();
        view_->form_changed();
    }
    return false;
}

bool ProfileManager::save_entry(DirEntry* node)
{
    if (!node || !is_modified(*node))
        return true;
    if (node == edited_) {
        // A profile from the command line keeps its own file.
        if (node->path && write_profile_file(*node, *node->path)) {
            set_modified(*node, false);
            return true;
        }
        prompts_.message(load_string(IDS_CAPTION_ERROR),
                         format_string(IDS_ERR_CREATE_FILE, node->path.value_or("")), PromptIcon::Error);
        return false;
    }
    apply_pending_name(*node);
    const SaveResult result = save_profile_file(*node, profiles_);
    if (result.outcome == SaveOutcome::FAILED) {
        if (result.error)
            prompts_.message(load_string(IDS_CAPTION_ERROR), result.error->message(), PromptIcon::Error);
        return false;
    }
    return true;
}

bool ProfileManager::delete_selection()
{
    DirEntry* node = selection_;
    if (!enables().remove)
        return false;
    int question = 0;
    switch (node->kind) {
    case KIND_SITE: question = IDS_ASK_DELETE_FTP_PROFILE; break;
    case KIND_URL_PROFILE: question = IDS_ASK_DELETE_LINK; break;
    case KIND_PROFILE_FOLDER: question = IDS_ASK_DELETE_PROFILE_FOLDER; break;
    default: return false;
    }
    if (prompts_.question(load_string(IDS_CAPTION_CONFIRM_DELETE), format_string(question, node->name),
                          PromptButtons::YesNoCancel) != PromptAnswer::Yes)
        return false;
    if (!delete_entry_files(*node))
        return false;
    view_->entry_removing(*node);
    EntryChain& level = node->parent ? node->parent->children : tree_;
    auto it = std::find_if(level.begin(), level.end(), [&](const auto& n) { return n.get() == node; });
    DirEntry* next = nullptr;
    if (it + 1 != level.end())
        next = (it + 1)->get();
    else if (it != level.begin())
        next = (it - 1)->get();
    else
        next = node->parent;
    fresh_folder_ = nullptr;
    selection_ = nullptr;
    level.erase(it);
    rebuild_name_list();
    select(next);
    view_->name_list_changed();
    return true;
}

bool ProfileManager::save()
{
    return save_entry(selection_);
}

void ProfileManager::connect()
{
    if (!enables().connect)
        return;
    DirEntry& selected = *selection_;
    // Written first, so a renamed profile is looked for and opened under its final file.
    save_entry(&selected);
    const std::string path = file_path_of(selected);
    DirEntry* session = sessions_->find_session_node(path);
    if (session) {
        if (session->session && selected.session)
            copy_stored_fields(*selected.session, *session->session);
        if (sessions_->is_connected(*session)) {
            sessions_->select(*session);
            close();
            return;
        }
    } else {
        auto node = std::make_unique<DirEntry>();
        node->name = selected.name;
        node->path = selected.path;
        node->kind = selected.kind;
        attach_profile(*node, copy_profile(selected.session));
        session = &sessions_->add_session_node(std::move(node));
    }
    sessions_->select(*session);
    sessions_->connect(*session);
    close();
}

void ProfileManager::close()
{
    if (closed_)
        return;
    if (!cancelled_)
        save_entry(selection_);
    closed_ = true;
    view_->closing();
}

void ProfileManager::cancel()
{
    cancelled_ = true;
    close();
}

} // namespace kestovan
