// The programs View, Open, Execute, Edit and Directory Info hand files to: the desktop's opener and
// the text editor (platform/child_process.h says which). Detached starts go through a Launcher;
// Edit starts the editor as a child it can watch. Tests replace the commands and the launcher.
#pragma once

#include "platform/child_process.h"
#include "settings/browser.h"

#include <functional>
#include <memory>
#include <string>

namespace kestovan {

class DesktopTools {
public:
    DesktopTools();

    // With the desktop's opener ("Open"); false when it could not be started.
    [[nodiscard]] bool open_file(const std::string& path);
    // In the text editor, not waited for.
    [[nodiscard]] bool view_file(const std::string& path);
    // In the text editor, as a child whose end can be noticed; nothing when it could not start.
    [[nodiscard]] std::unique_ptr<ChildProcess> edit_file(const std::string& path);

    // Asked at each start, so a changed $KESTOVAN_EDITOR or a newly installed editor counts.
    std::function<ProgramCommand()> editor = [] { return text_editor_command(); };
    ProgramCommand opener = file_opener_command();
    void set_launcher(Launcher& launcher) { launcher_ = &launcher; }

private:
    bool start_detached(const ProgramCommand& command, const std::string& path);
    ProcessLauncher own_launcher_;
    Launcher* launcher_ = &own_launcher_;
};

} // namespace kestovan
