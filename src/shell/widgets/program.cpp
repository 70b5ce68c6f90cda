#include "shell/widgets/program.h"

#include "profiles/profile_folder.h"
#include "profiles/profile_manager_sessions.h"
#include "profiles/widgets/profile_manager_window.h"
#include "shell/widgets/main_window.h"
#include "shell/widgets/x11_docking.h"
#include "ui/string_ids.h"
#include "views/widgets/pane_glue.h"

#include <QApplication>

namespace kestovan {

Program::Program(SoundOutput& sound_output) : app_(prompts_, sound_output)
{
    set_current_language(&language_);
    qApp->installEventFilter(&dialog_memory_);
    app_.current_language = [this] { return language_.current_code(); };
}

Program::~Program()
{
    qApp->removeEventFilter(&dialog_memory_);
    docking_.reset();
    if (window_) {
        prompts_.set_parent(nullptr);
        window_.reset();
    }
    profile_manager_.reset();
    set_current_language(nullptr);
}

bool Program::start(const CommandLine& line, const std::filesystem::path& data_folder, int& exit_code)
{
    exit_code = 0;
    std::string error;
    if (!app_.prepare_folders(data_folder, &error)) {
        prompts_.message(load_string(IDS_CAPTION_ERROR), error, PromptIcon::Error);
        exit_code = 1;
        return false;
    }
    profile_manager_ =
        std::make_unique<ProfileManagerHost>(prompts_, app_.settings, app_.data_folder / PROFILES_FOLDER);
    app_.edit_profile = [this](DirEntry& node) { return profile_manager_->edit(node); };
    if (app_.run_early_mode(line, exit_code))
        return false;
    const auto problems = app_.load_state();
    app_.start_engine();

    window_ = std::make_unique<MainWindow>(app_, prompts_);
    MainWindow& window = *window_;
    prompts_.set_parent(&window);
    profile_sessions_ = std::make_unique<ShellProfileSessions>(*app_.shell);
    profile_manager_->set_sessions(profile_sessions_.get());
    app_.open_profile_manager = [this, &window](DirEntry* node) {
        ProfileManagerWindow& manager = profile_manager_->open(&window, node, MANAGER_MARK_SELECTED_PROFILE);
        QObject::connect(&manager, &QObject::destroyed, &window, [&window] { window.refresh_profiles(); });
        return true;
    };
    app_.capture_window_state = [&window] { window.capture_placement(); };
    for (const std::string& problem : problems)
        app_.shell->context().log.append(nullptr, problem, LOG_BLUE);
    window.apply_view_flags();
    window.apply_placement();
    window.show();
    if (EventSounds* sounds = app_.event_sounds())
        sounds->play(SOUND_PROGRAM_START);
    app_.window.post_message(WM_COMMAND, cmd::DEFERRED_STARTUP);
    // Option -z: announce ourselves to the host program that wants to embed the window.
    if (line.host_window) {
        docking_ = std::make_unique<X11Docking>(window, static_cast<std::uint32_t>(*line.host_window),
                                                line.host_cookie.value_or(0));
        docking_->register_with_host();
    }
    app_.quit = [this](int status) {
        quit_status_ = status;
        if (window_)
            window_->close();
        QApplication::quit();
    };
    app_.run_late_options(line);
    if (app_.start_language)
        window.switch_language(app_.start_language);
    return true;
}

void Program::finish()
{
    if (EventSounds* sounds = app_.event_sounds())
        sounds->play(SOUND_PROGRAM_EXIT, true);
}

std::vector<std::string> Program::unconnected_hooks() const
{
    std::vector<std::string> missing;
    auto check = [&missing](const char* name, bool connected) {
        if (!connected)
            missing.emplace_back(name);
    };
    Shell& shell = *app_.shell;
    check("SessionControl::apply_proxy", static_cast<bool>(shell.sessions().apply_proxy));
    check("SessionControl::request_node_listing", static_cast<bool>(shell.sessions().request_node_listing));
    check("SessionControl::fetch_url_profile", static_cast<bool>(shell.sessions().fetch_url_profile));
    check("SessionControl::open_web_link", static_cast<bool>(shell.sessions().open_web_link));
    check("RemoteBrowser::download_entries", static_cast<bool>(shell.browser().download_entries));
    check("RemoteBrowser::download_web_link", static_cast<bool>(shell.browser().download_web_link));
    check("RemoteBrowser::run_downloads", static_cast<bool>(shell.browser().run_downloads));
    check("SessionControl::start_task_transfer", static_cast<bool>(shell.sessions().start_task_transfer));
    check("EngineEventHandler::rate_sample", static_cast<bool>(shell.events().rate_sample));
    check("EngineEventHandler::batch_connection_closed",
          static_cast<bool>(shell.events().batch_connection_closed));
    check("Application::start_batch", static_cast<bool>(app_.start_batch));
    check("TransferQueue::task_added", app_.queue && app_.queue->task_added);
    check("TransferQueue::ran_out", app_.queue && app_.queue->ran_out);
    check("Bookmarks::show_local", app_.bookmarks && app_.bookmarks->show_local);
    check("Transfers::remove_profile_node", static_cast<bool>(shell.transfers().remove_profile_node));
    check("StatusBar::changed", static_cast<bool>(shell.context().status.changed));
    check("Application::open_profile_manager", static_cast<bool>(app_.open_profile_manager));
    check("Application::edit_profile", static_cast<bool>(app_.edit_profile));
    check("Application::capture_window_state", static_cast<bool>(app_.capture_window_state));
    check("Application::current_language", static_cast<bool>(app_.current_language));
    check("ConfigHooks::before_write", static_cast<bool>(app_.config_hooks.before_write));
    check("ConfigHooks::after_write", static_cast<bool>(app_.config_hooks.after_write));
    check("ConfigHooks::after_read", static_cast<bool>(app_.config_hooks.after_read));
    PaneGlue* panes = window_ ? window_->pane_glue() : nullptr;
    check("PaneCommands::paste_profiles", panes && panes->commands().paste_profiles);
    check("PaneCommands::delete_profile", panes && panes->commands().delete_profile);
    return missing;
}

} // namespace kestovan
