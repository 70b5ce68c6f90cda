#include "profiles/profile_manager_form.h"

#include <algorithm>
#include <cctype>

namespace kestovan {

namespace {

bool equals_ignoring_case(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view email_or_default(std::string_view email)
{
    return email.empty() ? DEFAULT_ANONYMOUS_PASSWORD : email;
}

// An empty box leaves an absent field absent, so that storing a form does not add empty keys to a
// file that never had them.
void store_text(std::optional<std::string>& field, const std::string& text)
{
    if (text.empty() && !field)
        return;
    field = text;
}

void store_name(const std::string& name, DirEntry& node, SiteProfile& profile)
{
    node.name = name;
    profile.name = name;
}

} // namespace

FormPage page_of_kind(std::uint8_t kind)
{
    switch (kind) {
    case KIND_SITE: return FormPage::FTP_SERVER;
    case KIND_URL_PROFILE: return FormPage::URL;
    case KIND_PROFILE_FOLDER: return FormPage::FOLDER;
    default: return FormPage::NONE;
    }
}

FtpForm fill_ftp_form(const DirEntry& node, const SiteProfile& profile, std::string_view email)
{
    FtpForm form;
    form.name = node.name;
    form.host = profile.server.value_or("");
    form.port = profile.port.value_or("");
    form.account = profile.account.value_or("");
    form.local_folder = profile.local_folder.value_or("");
    form.remote_folder = profile.remote_folder.value_or("");
    form.comment = profile.comment.value_or("");
    form.anonymous = profile.anonymous != 0;
    if (form.anonymous) {
        const LoginValues login = anonymous_login(profile, email);
        form.anonymous_user = login.user;
        form.anonymous_password = login.password;
    } else {
        form.user = profile.username.value_or("");
        form.password = profile.password.value_or("");
    }
    form.save_password = profile.save_password != 0;
    form.passive = profile.passive != 0;
    form.lower_files = (profile.name_case & CASE_LOWER_FILES) != 0;
    form.lower_folders = (profile.name_case & CASE_LOWER_FOLDERS) != 0;
    form.encryption = profile.encryption;
    return form;
}

LinkForm fill_link_form(const DirEntry& node, const SiteProfile& profile)
{
    return {node.name, profile.server.value_or(""), profile.comment.value_or("")};
}

FolderForm fill_folder_form(const DirEntry& node, const SiteProfile& profile)
{
    return {node.name, profile.comment.value_or("")};
}

void set_anonymous(FtpForm& form, bool on, std::string_view email)
{
    form.anonymous = on;
    if (on) {
        form.anonymous_user = std::string(ANONYMOUS_USER);
        form.anonymous_password = std::string(email_or_default(email));
    }
}

bool edit_ftp_form(FtpForm& form, FormControl control, std::string_view text, std::string_view email)
{
    std::string value(text);
    switch (control) {
    case CTL_PROFILE_NAME: form.name = value; break;
    case CTL_HOST: form.host = value; break;
    case CTL_PORT: form.port = value; break;
    case CTL_USER:
        form.user = value;
        if (equals_ignoring_case(value, ANONYMOUS_USER) && !form.anonymous)
            set_anonymous(form, true, email);
        break;
    case CTL_ANONYMOUS_USER: form.anonymous_user = value; break;
    case CTL_PASSWORD: form.password = value; break;
    case CTL_ANONYMOUS_PASSWORD: form.anonymous_password = value; break;
    case CTL_ACCOUNT: form.account = value; break;
    case CTL_LOCAL_FOLDER: form.local_folder = value; break;
    case CTL_REMOTE_FOLDER: form.remote_folder = value; break;
    case CTL_COMMENT: form.comment = value; break;
    default: return false;
    }
    return true;
}

bool edit_ftp_check(FtpForm& form, FormControl control, bool on, std::string_view email)
{
    switch (control) {
    case CTL_ANONYMOUS: set_anonymous(form, on, email); break;
    case CTL_SAVE_PASSWORD: form.save_password = on; break;
    case CTL_PASSIVE: form.passive = on; break;
    case CTL_LOWER_FILES: form.lower_files = on; break;
    case CTL_LOWER_FOLDERS: form.lower_folders = on; break;
    default: return false;
    }
    return true;
}

void edit_ftp_encryption(FtpForm& form, std::uint8_t encryption)
{
    const bool was_implicit = form.encryption == ENCRYPTION_IMPLICIT;
    const bool implicit = encryption == ENCRYPTION_IMPLICIT;
    if (implicit && !was_implicit && (form.port.empty() || form.port == DEFAULT_PORT))
        form.port = std::string(DEFAULT_IMPLICIT_TLS_PORT);
    else if (was_implicit && !implicit && form.port == DEFAULT_IMPLICIT_TLS_PORT)
        form.port = std::string(DEFAULT_PORT);
    form.encryption = encryption;
}

bool edit_link_form(LinkForm& form, FormControl control, std::string_view text)
{
    switch (control) {
    case CTL_URL_TITLE: form.name = std::string(text); break;
    case CTL_URL: form.url = std::string(text); break;
    case CTL_URL_COMMENT: form.comment = std::string(text); break;
    default: return false;
    }
    return true;
}

bool edit_folder_form(FolderForm& form, FormControl control, std::string_view text)
{
    switch (control) {
    case CTL_FOLDER_TITLE: form.title = std::string(text); break;
    case CTL_FOLDER_COMMENT: form.comment = std::string(text); break;
    default: return false;
    }
    return true;
}

void store_ftp_form(const FtpForm& form, DirEntry& node, SiteProfile& profile)
{
    set_modified(node, true);
    profile.anonymous = form.anonymous ? 1 : 0;
    store_name(form.name, node, profile);
    store_text(profile.server, form.host);
    store_text(profile.comment, form.comment);
    store_text(profile.port, form.port);
    store_text(profile.local_folder, form.local_folder);
    store_text(profile.remote_folder, form.remote_folder);
    store_text(profile.account, form.account);
    store_text(profile.password, form.anonymous ? form.anonymous_password : form.password);
    store_text(profile.username, form.anonymous ? form.anonymous_user : form.user);
    node.kind = KIND_SITE;
    profile.kind_copy = KIND_SITE;
    profile.passive = form.passive ? 1 : 0;
    profile.name_case = 0;
    if (form.lower_files)
        profile.name_case |= CASE_LOWER_FILES;
    if (form.lower_folders)
        profile.name_case |= CASE_LOWER_FOLDERS;
    profile.save_password = form.save_password ? 1 : 0;
    profile.encryption = form.encryption;
}

void store_link_form(const LinkForm& form, DirEntry& node, SiteProfile& profile)
{
    set_modified(node, true);
    store_name(form.name, node, profile);
    store_text(profile.server, form.url);
    store_text(profile.comment, form.comment);
    node.kind = KIND_URL_PROFILE;
    profile.kind_copy = KIND_URL_PROFILE;
}

void store_folder_form(const FolderForm& form, DirEntry& node, SiteProfile& profile)
{
    set_modified(node, true);
    store_name(form.title, node, profile);
    store_text(profile.comment, form.comment);
}

void copy_stored_fields(const SiteProfile& from, SiteProfile& to)
{
    to.name = from.name;
    to.server = from.server;
    to.port = from.port;
    to.file_path = from.file_path;
    to.password = from.password;
    to.username = from.username;
    to.account = from.account;
    to.local_folder = from.local_folder;
    to.remote_folder = from.remote_folder;
    to.comment = from.comment;
    to.passive = from.passive;
    to.name_case = from.name_case;
    to.save_password = from.save_password;
    to.anonymous = from.anonymous;
    to.encryption = from.encryption;
    to.user = from.user;
    to.kind_copy = from.kind_copy;
}

std::string entry_status_text(const SiteProfile& profile)
{
    std::string text = profile.server.value_or("");
    const std::string remote = profile.remote_folder.value_or("");
    if (remote.empty())
        return text;
    if (!text.empty() && text.back() != '/' && remote.front() != '/')
        text.push_back('/');
    return text + remote;
}

} // namespace kestovan
