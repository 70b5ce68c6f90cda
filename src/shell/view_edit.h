// View, Open (Execute), Edit and Directory Info on either side, and Append File: remote files are
// fetched into the scratch folder and handed to the text editor or the desktop's opener; an edited
// file goes back to the server through the editing job; a folder's raw listing is written to a
// ".dir" file and shown in the editor. A session that is not connected asks first and runs the
// command after login (pending operations 319, 413, 1548, 1881, 1882).
#pragma once

#include "shell/desktop_tools.h"
#include "shell/editing_job.h"

#include <string>

namespace kestovan {

class SessionControl;
class RemoteBrowser;
class WebBrowsing;

class ViewEdit {
public:
    ViewEdit(ShellContext& ctx, SessionControl& sessions, RemoteBrowser& browser, WebBrowsing& web);

    [[nodiscard]] DesktopTools& tools() { return tools_; }
    [[nodiscard]] EditingJob& editing() { return editing_; }

    // Local files: Open with the desktop's opener; View opens an image with the opener and any
    // other file in the text editor.
    void open_local(const std::string& path);
    void view_local(const std::string& path);

    // Remote rows by kind (folders and sites are shown or listed, links opened in the browser, files
    // fetched and opened); View of a folder is its Directory Info.
    void open_remote(DirEntry* row);
    void view_remote(DirEntry* row);
    // A site, URL profile or profile folder opens its properties; other rows are edited.
    void edit_remote(DirEntry* row);
    // The raw listing of a folder node into "temp/<name>.dir", shown in the text editor.
    void directory_info(DirEntry* folder);
    // Appends a local file to a remote file of the shown folder, chosen in the "Append File" dialog.
    void append_file(const std::string& local_path);

    // Ends a watched edit (the window's Done).
    void finish_editing() { editing_.finish(); }
    // The scratch folder as an absolute path.
    [[nodiscard]] std::string scratch_folder() const;

private:
    void fetch(DirEntry* row, PendingOperation code);
    void run_fetch(Session& session, DirEntry& row, PendingOperation code);
    void fetched(PendingOperation code, const std::string& scratch, bool ok);
    void run_directory_info(Session& session, DirEntry* folder, const std::string& path);
    void error(int string_id, const std::string& argument = {});

    ShellContext& ctx_;
    SessionControl& sessions_;
    RemoteBrowser& browser_;
    WebBrowsing& web_;
    DesktopTools tools_;
    EditingJob editing_;
};

} // namespace kestovan
