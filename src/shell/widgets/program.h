// The desktop program put together, as main() runs it and as tests start it: the language, the
// prompts, the application logic with its sounds, the profile manager, the dialogs' remembered
// places, the main window with its placement and language, docking (-z) and the command line. Every
// hook the shell's parts leave to the program is connected here; unconnected_hooks() names any that
// is not.
#pragma once

#include "platform/sound_output.h"
#include "shell/application.h"
#include "shell/command_line.h"
#include "shell/widgets/command_dialog.h"
#include "ui/language.h"
#include "ui/widgets/dialog_memory.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestovan {

class MainWindow;
class ProfileManagerHost;
class ShellProfileSessions;
class X11Docking;

class Program {
public:
    explicit Program(SoundOutput& sound_output);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Start-up in order. False, with exit_code, when the program ends without its window (-P, -D, or a
    // data folder that cannot be used); otherwise the window is shown in the stored or the locale's
    // language and "ProgramStart" has played.
    bool start(const CommandLine& line, const std::filesystem::path& data_folder, int& exit_code);
    // After the event loop: "ProgramExit", waited for (bounded).
    void finish();

    [[nodiscard]] Application& app() { return app_; }
    // The exit status asked for when the program quit by itself (-x), if it did.
    [[nodiscard]] std::optional<int> quit_status() const { return quit_status_; }
    [[nodiscard]] MainWindow* window() { return window_.get(); }
    [[nodiscard]] Language& language() { return language_; }

    // The hooks of the shell's parts and the application that nothing was given to (named as in the
    // code). The batch queue's own hooks are its business and not listed.
    [[nodiscard]] std::vector<std::string> unconnected_hooks() const;

private:
    Language language_;
    ShellPrompts prompts_{nullptr};
    Application app_;
    DialogMemory dialog_memory_;
    std::unique_ptr<ProfileManagerHost> profile_manager_;
    std::unique_ptr<ShellProfileSessions> profile_sessions_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<X11Docking> docking_;
    std::optional<int> quit_status_;
};

} // namespace kestovan
