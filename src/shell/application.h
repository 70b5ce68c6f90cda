// The program's objects and its start-up and shutdown in order, without windows: the data folder
// (the working folder of the process), "temp", config.ini, the conversion of a pending ftp.sav into
// the profile folder, the profile tree, the proxy, the engine with the `ftimeout` setting, the command
// line; and at the end config.ini written, connections closed, "temp" removed.
//
// The proxy and firewall settings reach every new session's engine connection and the web client;
// config.ini is written with the registry's proxy values stored alongside and the chosen language
// kept in the registry.
#pragma once

#include "engine/engine.h"
#include "platform/registry.h"
#include "platform/sound_output.h"
#include "platform/window.h"
#include "profiles/ravelink_library.h"
#include "profiles/site_list_import.h"
#include "queue/config_file.h"
#include "queue/transfer_queue.h"
#include "settings/preferences.h"
#include "settings/proxy_settings.h"
#include "settings/settings.h"
#include "shell/bookmarks.h"
#include "shell/command_line.h"
#include "shell/rate_display.h"
#include "shell/shell.h"
#include "views/scratch_names.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestovan {

// $KESTOVAN_HOME, else $XDG_DATA_HOME/kestovan-ftp, else ~/.local/share/kestovan-ftp.
[[nodiscard]] std::filesystem::path default_data_folder();

// The scratch folder of View, Edit and Directory Info (views/scratch_names.h).
inline constexpr std::string_view TEMP_FOLDER = SCRATCH_FOLDER;

class Application {
public:
    Application(Prompts& prompts, Sounds& sounds);
    // The program's own sounds: the files the settings assign, played through output.
    Application(Prompts& prompts, SoundOutput& output);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Makes the data folder (0700) and changes into it; makes "temp". False (with a reason) when the
    // folder cannot be used.
    bool prepare_folders(const std::filesystem::path& data_folder, std::string* error);
    // config.ini, the ftp.sav conversion and the profile folder into the tree. Problems of the
    // conversion are returned as texts for the log or a message.
    std::vector<std::string> load_state();
    // The engine with the shell's event handler and the `ftimeout` setting, then the proxy and
    // firewall settings (from the registry, config.ini and the system's proxy) handed to the engine
    // and the web client.
    bool start_engine();
    // The current proxy settings to the engine (before each new session) and the web client.
    void apply_proxy();
    // The Preferences dialog was confirmed: the values stored, the time-out and the proxy handed to
    // the engine and the web client, the proxy stored in the registry.
    void apply_preferences(const PreferenceValues& values);
    [[nodiscard]] PreferenceValues preferences() const;
    // Before the main window: -P and -D modes; true when the program should exit now.
    bool run_early_mode(const CommandLine& line, int& exit_code);
    // After the main window exists: -R, -N, then -y, -x, -b and -p.
    void run_late_options(const CommandLine& line);
    // Command 1108 and option -b: the batch window opens and the queue starts (or stops).
    void start_batch_queue();
    // Writes config.ini (with config_hooks); the error text (for the "Error" box) when it cannot.
    std::optional<std::string> save_state();
    // At the window's close: config.ini written, every connection closed, the tree freed, "temp"
    // removed except the files that hold edits the server does not have. Returns the write error, if any.
    std::optional<std::string> shutdown();

    // File -> Import after the file dialog: the library appends the chosen site list to the pending
    // tree file, which is then stored into the profile folder as at start-up; the new profiles are
    // appended to the tree (connected sessions keep their nodes). The box to show on failure, if any.
    [[nodiscard]] std::optional<ImportMessage> import_site_list(const std::string& chosen);

    // The profile folder read again into the tree after the profile manager changed it (nodes with
    // sessions keep theirs).
    void refresh_profiles();

    // The node of a profile by display name, searched through profile folders.
    [[nodiscard]] DirEntry* find_profile(std::string_view name);
    // A recent-profile entry ("display name:profile file path"): the node whose profile came from
    // that file, else the file loaded into a new node at the top of the tree; it is selected and
    // connected. A file that is gone gives a message and changes nothing.
    void open_recent_profile(const std::string& entry);

    Window window;
    Engine engine;
    Settings settings;
    ConfigState config{settings};
    std::unique_ptr<Shell> shell;
    std::unique_ptr<TransferQueue> queue;
    std::unique_ptr<Bookmarks> bookmarks;
    std::unique_ptr<RateDisplay> rates;
    std::filesystem::path data_folder;
    // Where File -> Import looks for the importer library, in order.
    std::vector<std::filesystem::path> ravelink_paths = default_ravelink_paths();
    Registry registry;
    SystemProxy system_proxy = system_proxy_from_environment();
    ProxyPreferences proxy;
    // The language to switch to once the window exists: the one stored when config.ini was last
    // written, else the locale's (read with config.ini); nullopt is English.
    std::optional<std::string> start_language;
    // The language in force, stored with config.ini.
    std::function<std::optional<std::string>()> current_language;
    // Run around every write of config.ini: the proxy stored in the registry, `fhost`/`fport` left out
    // when they are the system's, the window's state (placements, help flag) taken first and the
    // language stored after; read: the stored language.
    ConfigHooks config_hooks;
    // The window layer's state that config.ini keeps (window placements, the help flag).
    std::function<void()> capture_window_state;
    [[nodiscard]] EventSounds* event_sounds() { return own_sounds_.get(); }

    // Filled by the window layer: open the profile manager (for -N and command 1875), its form for
    // one profile (-P), and the batch window.
    std::function<bool(DirEntry*)> open_profile_manager;
    std::function<bool(DirEntry&)> edit_profile;
    // Opens the batch window (-b and command 1108, before the queue starts; 460).
    std::function<void()> start_batch;
    // Whether the help viewer is open (the `help` setting at every write).
    std::function<bool()> help_open;
    // Option -x: the program ends with this status when the queue has run out.
    std::function<void(int status)> quit;

private:
    void connect_hooks();
    void wire_queue_commands();
    Prompts& prompts_;
    bool quit_when_done_ = false;
    std::unique_ptr<EventSounds> own_sounds_;
};

} // namespace kestovan
