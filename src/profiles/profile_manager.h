// The profile manager's model: the profile folder as a tree, the selected entry and its form page,
// the profile-name list, the commands (new entries, copy and paste, rename, delete, save, connect,
// close and cancel) and their enabling. The window (profiles/widgets) shows this state and forwards
// the user's gestures; everything here runs without a screen.
#pragma once

#include "profiles/profile_manager_form.h"
#include "profiles/profile_manager_sessions.h"
#include "profiles/site_profile.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestovan {

class Prompts;
class Settings;

// Bits of the mode the opener gives.
inline constexpr int MANAGER_START_WITH_NEW_PROFILE = 1;
inline constexpr int MANAGER_MARK_SELECTED_PROFILE = 2;

// What the window redraws when the model changes.
class ProfileManagerView {
public:
    virtual ~ProfileManagerView() = default;
    virtual void entry_inserted(DirEntry&) {}
    virtual void entry_removing(DirEntry&) {}
    virtual void entry_changed(DirEntry&) {} // its label
    virtual void selection_changed() {}      // the tree's current item, the page, the status line
    virtual void form_changed() {}           // the page's controls are to be filled again
    virtual void name_list_changed() {}
    virtual void start_label_edit(DirEntry&) {}
    virtual void closing() {}
};

// One line of the profile-name list; the separator line has no node.
struct NameLine {
    std::string text;
    DirEntry* node = nullptr;
    bool connected = false;
};

// The profile clipboard: one copied entry with a full copy of its profile. The program keeps it from
// one opening of the window to the next.
struct ProfileClipboard {
    std::unique_ptr<DirEntry> node;
};

struct ManagerEnables {
    bool connect = false; // Connect and Hammer (menus; the page's button also needs can_connect)
    bool remove = false;  // Delete
    bool copy = false;
    bool paste = false;
    bool rename = false;
    bool save = false;
};

class ProfileManager {
public:
    ProfileManager(Prompts& prompts, const Settings& settings, ProfileClipboard& clipboard,
                   std::filesystem::path profiles, ProfileSessions* sessions);
    ~ProfileManager();
    ProfileManager(const ProfileManager&) = delete;
    ProfileManager& operator=(const ProfileManager&) = delete;

    void set_view(ProfileManagerView* view) { view_ = view ? view : &null_view_; }

    // Scans the profile folder afresh and chooses the selection: a new FTP profile with mode bit 0,
    // else the entry of the nearest FTP profile at or above start (matched by file path), else the
    // first entry. edited is a profile opened from the command line: it is offered in the name list
    // and, when given, starts selected; it is saved to its own file and never deleted or renamed.
    void open(const DirEntry* start, int mode, DirEntry* edited = nullptr);

    [[nodiscard]] const EntryChain& tree() const { return tree_; }
    [[nodiscard]] DirEntry* selection() const { return selection_; }
    [[nodiscard]] bool is_edited_profile(const DirEntry* node) const { return node && node == edited_; }

    // Selecting an entry: the entry is saved when it is still marked modified, as is the one left;
    // its page is filled and the name list follows.
    void select(DirEntry* node);

    [[nodiscard]] FormPage page() const;
    [[nodiscard]] const FtpForm& ftp_form() const { return ftp_; }
    [[nodiscard]] const LinkForm& link_form() const { return link_; }
    [[nodiscard]] const FolderForm& folder_form() const { return folder_; }
    // The page caption: "Session Profile", "URL Profile", "Folder" or, for a folder just made,
    // "New Folder".
    [[nodiscard]] std::string page_caption() const;
    [[nodiscard]] std::string status_text() const;

    // An edit of a control: stored at once into the selected entry (marked modified).
    void edit_text(FormControl control, const std::string& text);
    void edit_check(FormControl control, bool on);
    void edit_encryption(std::uint8_t encryption);

    [[nodiscard]] const std::vector<NameLine>& name_lines() const { return name_lines_; }
    // The line of the selected entry, or the first line; -1 for an empty list.
    [[nodiscard]] int current_name_line() const;
    // Choosing a line selects its profile (the separator does nothing).
    void choose_name_line(int index);

    [[nodiscard]] ManagerEnables enables() const;

    // --- commands ---
    DirEntry* new_entry(std::uint8_t kind); // the new node, or null when it could not be made
    void copy();
    DirEntry* paste();
    // Starts the in-place edit of the selected entry's label (the view calls rename_entry when done).
    void start_rename();
    // The end of a label edit: equal text changes nothing; otherwise the file or folder moves, or
    // the rename message is shown and nothing changes. True when the entry carries text as its name.
    bool rename_entry(DirEntry& node, const std::string& text);
    // After confirmation; false when not confirmed or the files could not be removed.
    bool delete_selection();
    // Writes the selection when it is modified; false when a write failed (the message was shown).
    bool save();
    void connect();
    void hammer() { connect(); }
    void close();  // saves the selection unless cancelled
    void cancel(); // closes without that save
    [[nodiscard]] bool cancelled() const { return cancelled_; }
    [[nodiscard]] bool closed() const { return closed_; }

    [[nodiscard]] const DirEntry* clipboard() const { return clipboard_.node.get(); }

    [[nodiscard]] const std::filesystem::path& profiles_folder() const { return profiles_; }

private:
    void fill_form();
    void store_form();
    bool save_entry(DirEntry* node);
    bool apply_pending_name(DirEntry& node);
    bool move_entry(DirEntry& node, const std::string& text, bool report);
    void rebuild_name_list();
    void insert_node(std::unique_ptr<DirEntry> node, DirEntry* folder);
    DirEntry* folder_for_new_entry() const;
    std::string email() const;

    Prompts& prompts_;
    const Settings& settings_;
    std::filesystem::path profiles_;
    ProfileSessions* sessions_;
    ProfileManagerView null_view_;
    ProfileManagerView* view_ = &null_view_;

    EntryChain tree_;
    DirEntry* selection_ = nullptr;
    DirEntry* edited_ = nullptr;
    DirEntry* fresh_folder_ = nullptr; // a folder just made, until another entry is selected
    FtpForm ftp_;
    LinkForm link_;
    FolderForm folder_;
    std::vector<NameLine> name_lines_;
    bool cancelled_ = false;
    bool closed_ = false;
    ProfileClipboard& clipboard_;
};

} // namespace kestovan
