// kestovan-ftp: start-up wiring only. The order of start-up and shutdown lives in Application.
#include "profiles/profile_folder.h"
#include "profiles/profile_manager_sessions.h"
#include "profiles/widgets/profile_manager_window.h"
#include "shell/application.h"
#include "shell/command_line.h"
#include "shell/widgets/command_dialog.h"
#include "shell/widgets/main_window.h"
#include "shell/widgets/x11_docking.h"
#include "ui/language.h"
#include "ui/widgets/language_switcher.h"

#include <QApplication>
#include <QTimer>

#include <cstring>
#include <iostream>
#include <memory>

using namespace kestovan;

namespace {

constexpr const char* USAGE =
    "Usage: kestovan-ftp [options] [file]\n"
    "\n"
    "  -P file    edit the site profile in file, then exit\n"
    "  -R file    connect the profile that file names\n"
    "  -N         open the Profile Manager at start\n"
    "  -pNAME     connect the profile named NAME\n"
    "  -b         open the Batch Transfer window and start the saved queue\n"
    "  -y         unattended: no questions whether to connect, for passwords or whole folders\n"
    "  -x         quit when the queue runs out; the exit status is 0 when every task ended done,\n"
    "             1 when any failed (kestovan-ftp -b -y -x runs the saved queue from a script)\n"
    "  --version  print the version\n"
    "  --help     print this text\n";

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--has-main-window") == 0)
        return 0;
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "Kestovan FTP " << KESTOVAN_VERSION << "\n";
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        std::cout << USAGE;
        return 0;
    }
    QApplication qt(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestovan FTP"));
    const CommandLine line =
        parse_command_line(command_line_text(std::vector<std::string>(argv + 1, argv + argc)));

    Language language;
    set_current_language(&language);
    ShellPrompts prompts(nullptr);
    Sounds sounds;
    Application app(prompts, sounds);
    std::string error;
    if (!app.prepare_folders(default_data_folder(), &error)) {
        prompts.message("Error", error, PromptIcon::Error);
        return 1;
    }
    ProfileManagerHost profile_manager(prompts, app.settings, app.data_folder / PROFILES_FOLDER);
    app.edit_profile = [&](DirEntry& node) { return profile_manager.edit(node); };
    int exit_code = 0;
    if (app.run_early_mode(line, exit_code))
        return exit_code;
    const auto problems = app.load_state();
    app.start_engine();

    MainWindow window(app, prompts);
    prompts.set_parent(&window);
    ShellProfileSessions profile_sessions(*app.shell);
    profile_manager.set_sessions(&profile_sessions);
    app.open_profile_manager = [&](DirEntry* node) {
        ProfileManagerWindow& manager = profile_manager.open(&window, node, MANAGER_MARK_SELECTED_PROFILE);
        QObject::connect(&manager, &QObject::destroyed, &window, [&window] { window.refresh_profiles(); });
        return true;
    };
    for (const std::string& problem : problems)
        app.shell->context().log.append(nullptr, problem, LOG_BLUE);
    window.apply_view_flags();
    window.show();
    app.window.post_message(WM_COMMAND, 1104);
    // Option -z: announce ourselves to the host program that wants to embed the window.
    std::unique_ptr<X11Docking> docking;
    if (line.host_window) {
        docking = std::make_unique<X11Docking>(window, static_cast<std::uint32_t>(*line.host_window),
                                               line.host_cookie.value_or(0));
        docking->register_with_host();
    }
    int exit_status = -1;
    app.quit = [&](int status) {
        exit_status = status;
        window.close();
        QApplication::quit();
    };
    app.run_late_options(line);
    if (app.start_language)
        switch_language(window, language, app.start_language, default_language_folders());
    const int result = QApplication::exec();
    return exit_status >= 0 ? exit_status : result;
}
