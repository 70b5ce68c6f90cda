// The three form pages of the profile manager as plain values: what each control shows, how a
// profile fills them, how an edit is stored back, and the enabling of the Ftp Server page. Widgets
// show these values and forward edits; nothing here knows about windows.
#pragma once

#include "profiles/site_profile.h"

#include <array>
#include <string>
#include <string_view>

namespace kestovan {

// The form's controls, by their control numbers.
enum FormControl : int {
    CTL_PROFILE_NAME = 1939,
    CTL_HOST = 1691,
    CTL_PORT = 1940,
    CTL_USER = 1689,
    CTL_ANONYMOUS_USER = 1692,
    CTL_PASSWORD = 1941,
    CTL_ANONYMOUS_PASSWORD = 1690,
    CTL_ACCOUNT = 1693,
    CTL_LOCAL_FOLDER = 1694,
    CTL_REMOTE_FOLDER = 1695,
    CTL_COMMENT = 1696,
    CTL_ANONYMOUS = 1907,
    CTL_SAVE_PASSWORD = 1942,
    CTL_PASSIVE = 1888,
    CTL_LOWER_FILES = 1884,
    CTL_LOWER_FOLDERS = 1885,
    CTL_URL_TITLE = 1935,
    CTL_URL = 1936,
    CTL_URL_COMMENT = 1938,
    CTL_FOLDER_TITLE = 1956,
    CTL_FOLDER_COMMENT = 1957,
    CTL_ENCRYPTION = 1958, // ours: the encryption choice
};

// The lines of the encryption choice, in the order the page shows them.
struct EncryptionChoice {
    std::uint8_t encryption = ENCRYPTION_EXPLICIT;
    int string_id = 0;
};
inline constexpr std::array<EncryptionChoice, 4> ENCRYPTION_CHOICES{{
    {ENCRYPTION_EXPLICIT, IDS_ENCRYPTION_EXPLICIT},
    {ENCRYPTION_IMPLICIT, IDS_ENCRYPTION_IMPLICIT},
    {ENCRYPTION_EXPLICIT_IF_AVAILABLE, IDS_ENCRYPTION_IF_AVAILABLE},
    {ENCRYPTION_PLAIN, IDS_ENCRYPTION_PLAIN},
}};

enum class FormPage {
    NONE,
    FTP_SERVER, // kind 3
    URL,        // kind 4
    FOLDER,     // kind 6
};
[[nodiscard]] FormPage page_of_kind(std::uint8_t kind);

struct FtpForm {
    std::string name;
    std::string host;
    std::string port;
    std::string user; // the normal pair, shown while anonymous is clear
    std::string password;
    std::string anonymous_user; // the anonymous pair, shown while anonymous is set
    std::string anonymous_password;
    std::string account;
    std::string local_folder;
    std::string remote_folder;
    std::string comment;
    bool anonymous = false;
    bool save_password = false;
    bool passive = false;
    bool lower_files = false;
    bool lower_folders = false;
    std::uint8_t encryption = ENCRYPTION_EXPLICIT;

    // The Connect button: a host and a user name, or an anonymous login.
    [[nodiscard]] bool can_connect() const { return (!host.empty() && !user.empty()) || anonymous; }
    // Every other control of the page waits for a host.
    [[nodiscard]] bool boxes_enabled() const { return !host.empty(); }
};

// The URL page (name, the URL, comment) and the Folder page (title, comment).
struct LinkForm {
    std::string name;
    std::string url;
    std::string comment;
};
struct FolderForm {
    std::string title;
    std::string comment;
};

// The page filled from a node: the display name in the name box; for an anonymous profile the
// anonymous pair, with "anonymous" and the e-mail address standing in for empty values.
[[nodiscard]] FtpForm fill_ftp_form(const DirEntry& node, const SiteProfile& profile, std::string_view email);
[[nodiscard]] LinkForm fill_link_form(const DirEntry& node, const SiteProfile& profile);
[[nodiscard]] FolderForm fill_folder_form(const DirEntry& node, const SiteProfile& profile);

// Ticking Anonymous Login shows the anonymous pair filled with "anonymous" and the e-mail address;
// clearing it shows the normal pair as it was.
void set_anonymous(FtpForm& form, bool on, std::string_view email);

// Puts one edited text or check into the form. A normal user name typed as "anonymous" (in any case)
// ticks Anonymous Login. False when control is no control of that page.
bool edit_ftp_form(FtpForm& form, FormControl control, std::string_view text, std::string_view email);
bool edit_ftp_check(FtpForm& form, FormControl control, bool on, std::string_view email);
// Choosing an encryption; the port follows between 21 and 990 while it holds the other form's
// default (or nothing).
void edit_ftp_encryption(FtpForm& form, std::uint8_t encryption);
bool edit_link_form(LinkForm& form, FormControl control, std::string_view text);
bool edit_folder_form(FolderForm& form, FormControl control, std::string_view text);

// Storing a page into the node and its profile; the name goes to the display name and the profile
// name (the file follows when the entry is saved). The node is marked modified.
void store_ftp_form(const FtpForm& form, DirEntry& node, SiteProfile& profile);
void store_link_form(const LinkForm& form, DirEntry& node, SiteProfile& profile);
void store_folder_form(const FolderForm& form, DirEntry& node, SiteProfile& profile);

// Copies the stored fields of a profile over another one (its file path included), leaving the
// session fields of the target alone: a connected session takes the form without losing its state.
void copy_stored_fields(const SiteProfile& from, SiteProfile& to);

// The status line of an entry: its server joined with its remote folder.
[[nodiscard]] std::string entry_status_text(const SiteProfile& profile);

} // namespace kestovan
