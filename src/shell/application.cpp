#include "shell/application.h"

#include "engine/proxy.h"
#include "platform/registry.h"
#include "profiles/profile_folder.h"
#include "profiles/profile_tree.h"
#include "profiles/ravelink_library.h"
#include "shell/profile_nodes.h"
#include "shell/session_log.h"
#include "ui/language.h"
#include "ui/language_locale.h"
#include "ui/prompts.h"
#include "ui/string_ids.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>
#include <unistd.h>

namespace kestovan {

namespace {

std::string base_name_without(std::string_view path, std::initializer_list<std::string_view> extensions)
{
    std::string name = std::filesystem::path(std::string(path)).filename().string();
    for (auto ext : extensions) {
        if (name.size() > ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0) {
            name.erase(name.size() - ext.size());
            break;
        }
    }
    return name;
}

// Only what is new joins the tree, at any depth: nodes that are there already (connected sessions
// hang on them) stay as they are.
void merge_new_nodes(EntryChain& have, EntryChain& fresh, DirEntry* parent)
{
    for (auto& node : fresh) {
        auto same =
            std::find_if(have.begin(), have.end(), [&](const auto& old) { return old->path == node->path; });
        if (same == have.end()) {
            if (parent)
                parent->add_child(std::move(node));
            else
                have.push_back(std::move(node));
        } else if ((*same)->kind == KIND_PROFILE_FOLDER && node->kind == KIND_PROFILE_FOLDER) {
            merge_new_nodes((*same)->children, node->children, same->get());
        }
    }
}

} // namespace

std::filesystem::path default_data_folder()
{
    if (const char* home = std::getenv("KESTOVAN_HOME"); home && *home)
        return home;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return std::filesystem::path(xdg) / "kestovan-ftp";
    const char* user_home = std::getenv("HOME");
    return std::filesystem::path(user_home && *user_home ? user_home : ".") / ".local" / "share" /
           "kestovan-ftp";
}

Application::Application(Prompts& prompts, Sounds& sounds) : prompts_(prompts)
{
    shell = std::make_unique<Shell>(window, engine, settings, prompts, sounds);
    connect_hooks();
}

Application::Application(Prompts& prompts, SoundOutput& output)
    : prompts_(prompts), own_sounds_(std::make_unique<EventSounds>(settings, output))
{
    shell = std::make_unique<Shell>(window, engine, settings, prompts, *own_sounds_);
    connect_hooks();
}

void Application::connect_hooks()
{
    ShellContext& ctx = shell->context();
    ctx.rename_rules = &config.rename_rules;
    queue =
        std::make_unique<TransferQueue>(ctx, shell->sessions(), shell->events(), shell->web(), config.queue);
    bookmarks = std::make_unique<Bookmarks>(ctx, shell->sessions(), shell->browser(), config.bookmarks);
    rates = std::make_unique<RateDisplay>(ctx, shell->events());
    wire_queue_commands();
    shell->sessions().apply_proxy = [this] { apply_proxy(); };
    config_hooks.before_write = [this](ConfigState&) {
        if (help_open)
            settings.set_flag(KEY_HELP, help_open());
        if (capture_window_state)
            capture_window_state();
        save_proxy_preferences(registry, system_proxy, proxy);
    };
    // A proxy taken over from the system at start-up is not written as the program's own; the
    // running program keeps using it.
    config_hooks.settings_to_write = [this](const Settings& in_use) {
        return settings_for_writing(in_use, registry, system_proxy);
    };
    config_hooks.after_write = [this] {
        if (current_language)
            store_language(registry, current_language());
    };
    config_hooks.after_read = [this] {
        start_language = stored_or_default_language(registry, system_locale_letters());
    };
}

Application::~Application()
{
    rates.reset();
    bookmarks.reset();
    queue.reset();
    shell.reset();
    engine.engine_shutdown();
}

void Application::wire_queue_commands()
{
    ShellContext& ctx = shell->context();
    queue->task_added = [this] {
        if (auto error = save_state())
            prompts_.message(load_string(IDS_CAPTION_ERROR), *error, PromptIcon::Error);
    };
    queue->ran_out = [this, &ctx](const QueueOutcome& outcome) {
        if (!quit_when_done_ || !quit)
            return;
        quit_when_done_ = false;
        const int status = outcome.failed == 0 ? 0 : 1;
        ctx.defer([this, status] { quit(status); });
    };
    shell->set_command(cmd::BATCH_START, [this] { start_batch_queue(); });
    shell->set_command(cmd::ADD_BOOKMARK,
                       [this, &ctx] { bookmarks->add_bookmark(ctx.view->selected_local_item()); });
}

void Application::start_batch_queue()
{
    if (start_batch)
        start_batch();
    // The window's Start, once the window is up.
    shell->context().defer([this] { queue->start_or_stop(); });
}

bool Application::prepare_folders(const std::filesystem::path& folder, std::string* error)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!ec)
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, ec);
    if (::chdir(folder.c_str()) != 0) {
        if (error)
            *error = "Unable to use the folder " + folder.string();
        return false;
    }
    data_folder = std::filesystem::absolute(folder);
    shell->context().working_folder = data_folder;
    std::filesystem::create_directory(TEMP_FOLDER, ec);
    if (shell->context().local_folder.empty()) {
        const char* home = std::getenv("HOME");
        shell->context().local_folder = home && *home ? home : data_folder.string();
    }
    return true;
}

std::vector<std::string> Application::load_state()
{
    std::vector<std::string> problems;
    read_config(config, CONFIG_FILE, config_hooks);
    bookmarks->rebuild_bookmarks_menu();
    ShellContext& ctx = shell->context();
    // A tree text left by an import is moved into the profile folder first.
    if (auto pending = read_pending_tree(data_folder)) {
        ConversionResult result = store_pending_tree(*pending, data_folder, data_folder / PROFILES_FOLDER);
        for (const ProfileError& problem : result.problems)
            problems.push_back(problem.message());
    }
    ctx.tree = load_profile_folder(data_folder / PROFILES_FOLDER);
    return problems;
}

std::optional<ImportMessage> Application::import_site_list(const std::string& chosen)
{
    RavelinkLibrary library(ravelink_paths);
    ImportCommandResult result = run_import_command(chosen, data_folder / PENDING_TREE_FILE, library);
    if (result.message)
        return result.message;
    if (!result.tree)
        return std::nullopt;
    ShellContext& ctx = shell->context();
    if (auto pending = read_pending_tree(data_folder)) {
        ConversionResult stored = store_pending_tree(*pending, data_folder, data_folder / PROFILES_FOLDER);
        for (const ProfileError& problem : stored.problems)
            ctx.log.append(nullptr, problem.message(), LOG_BLUE);
    }
    EntryChain fresh = load_profile_folder(data_folder / PROFILES_FOLDER);
    merge_new_nodes(ctx.tree, fresh, nullptr);
    ctx.view->title_changed();
    return std::nullopt;
}

void Application::refresh_profiles()
{
    refresh_profile_tree(shell->context(), load_profile_folder(data_folder / PROFILES_FOLDER));
}

bool Application::start_engine()
{
    const bool started = shell->start_engine(settings.integer(KEY_FTIMEOUT));
    proxy = load_proxy_preferences(settings, registry, system_proxy);
    apply_proxy();
    return started;
}

void Application::apply_proxy()
{
    set_proxy(engine, ftp_proxy_settings(proxy, settings));
    if (!shell->web().start())
        return;
    const ProxySettings web = web_proxy_settings(proxy, settings);
    shell->web().client().web_set_proxy(web.type, web.host, web.port, web.user_name, web.password);
}

PreferenceValues Application::preferences() const
{
    return preference_values(settings, proxy, config.rename_rules);
}

void Application::apply_preferences(const PreferenceValues& values)
{
    store_preferences(values, settings, proxy, config.rename_rules);
    engine.set_timeout(settings.integer(KEY_FTIMEOUT));
    apply_proxy();
    save_proxy_preferences(registry, system_proxy, proxy);
}

bool Application::run_early_mode(const CommandLine& line, int& exit_code)
{
    exit_code = 0;
    if (line.option == 'D')
        return true;
    if (line.option != 'P')
        return false;
    auto node = std::make_unique<DirEntry>();
    node->kind = KIND_SITE;
    node->path = line.argument;
    node->name = base_name_without(line.argument, {".ftp", ".url", ".FTP", ".URL"});
    if (line.argument.empty() || !load_profile_file(*node)) {
        prompts_.message(load_string(IDS_CAPTION_ERROR), load_string(IDS_ERR_LOAD_PROJECT_FILE),
                         PromptIcon::Error);
        return true;
    }
    if (edit_profile && edit_profile(*node)) {
        set_modified(*node, true);
        if (!write_profile_file(*node, line.argument))
            prompts_.message(load_string(IDS_CAPTION_ERROR),
                             format_string(IDS_ERR_CREATE_FILE, line.argument), PromptIcon::Error);
    }
    return true;
}

DirEntry* Application::find_profile(std::string_view name)
{
    return find_profile_by_name(shell->context().tree, name);
}

void Application::open_recent_profile(const std::string& entry)
{
    if (DirEntry* node = recent_profile_node(shell->context(), entry)) {
        shell->browser().select_node(node);
        shell->sessions().connect(node, true);
    }
}

void Application::run_late_options(const CommandLine& line)
{
    ShellContext& ctx = shell->context();
    if (line.option == 'R') {
        const std::string name = base_name_without(line.argument, {".ftp", ".url"});
        if (DirEntry* node = find_profile(name)) {
            shell->browser().select_node(node);
            shell->sessions().connect(node, true);
        }
    } else if (line.option == 'N') {
        if (open_profile_manager)
            open_profile_manager(ctx.selected);
    }
    if (line.unattended)
        ctx.unattended = true;
    quit_when_done_ = line.quit_when_done;
    if (line.batch)
        start_batch_queue();
    if (line.profile)
        if (DirEntry* node = find_profile(*line.profile)) {
            shell->browser().select_node(node);
            shell->sessions().connect(node, true);
        }
}

std::optional<std::string> Application::save_state()
{
    ConfigWriteResult result = write_config(config, CONFIG_FILE, config_hooks);
    if (!result)
        return result.error;
    return std::nullopt;
}

std::optional<std::string> Application::shutdown()
{
    auto error = save_state();
    // A task that was running stays waiting in the file; closing its connection starts no other.
    queue->halt();
    engine.destroy_all_connections();
    ShellContext& ctx = shell->context();
    ctx.current_session_node = ctx.selected = ctx.shown_folder = ctx.previous_folder = nullptr;
    ctx.sessions.clear();
    ctx.tree.clear();
    const std::vector<std::string> kept = shell->view_edit().editing().kept_files();
    remove_scratch_files(data_folder / TEMP_FOLDER, kept);
    return error;
}

} // namespace kestovan
