#include "settings/browser.h"

#include "common/paths.h"
#include "settings/settings.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

namespace kestovan {
namespace {

constexpr std::string_view TARGET_MARK = "%s";

// Browsers that open a new window for "--new-window URL" rather than a tab.
constexpr std::array<std::string_view, 11> NEW_WINDOW_BROWSERS = {
    "firefox",        "firefox-esr",          "chromium",      "chromium-browser",
    "google-chrome",  "google-chrome-stable", "brave-browser", "vivaldi",
    "vivaldi-stable", "microsoft-edge",       "epiphany",
};

// Programs looked for on the PATH when suggesting browsers.
constexpr std::array<std::string_view, 9> KNOWN_BROWSERS = {
    "firefox", "firefox-esr", "chromium",  "google-chrome", "brave-browser",
    "vivaldi", "epiphany",    "konqueror", "falkon",
};

std::vector<std::string> split_command(std::string_view command)
{
    std::vector<std::string> words;
    for (const QString& word : QProcess::splitCommand(QString::fromUtf8(command.data(), command.size())))
        words.push_back(word.toStdString());
    return words;
}

std::optional<BrowserCommand> command_from_words(std::vector<std::string> words)
{
    if (words.empty())
        return std::nullopt;
    BrowserCommand command{words.front(), {words.begin() + 1, words.end()}};
    return command;
}

void add_target_mark(BrowserCommand& command, bool new_window)
{
    const std::string base = std::filesystem::path(command.program).filename().string();
    const bool known =
        std::find(NEW_WINDOW_BROWSERS.begin(), NEW_WINDOW_BROWSERS.end(), base) != NEW_WINDOW_BROWSERS.end();
    const bool has_mark =
        std::any_of(command.arguments.begin(), command.arguments.end(),
                    [](const std::string& a) { return a.find(TARGET_MARK) != std::string::npos; });
    if (has_mark)
        return;
    if (new_window && known)
        command.arguments.emplace_back("--new-window");
    command.arguments.emplace_back(TARGET_MARK);
}

std::vector<std::string> with_target(const std::vector<std::string>& arguments, std::string_view target)
{
    std::vector<std::string> out;
    for (std::string argument : arguments) {
        for (std::size_t at = argument.find(TARGET_MARK); at != std::string::npos;
             at = argument.find(TARGET_MARK, at + target.size()))
            argument.replace(at, TARGET_MARK.size(), target);
        out.push_back(std::move(argument));
    }
    return out;
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

bool ProcessLauncher::start(const std::string& program, const std::vector<std::string>& arguments)
{
    QStringList list;
    for (const std::string& argument : arguments)
        list << QString::fromStdString(argument);
    return QProcess::startDetached(QString::fromStdString(program), list);
}

std::vector<BrowserCommand> browser_commands(std::string_view browser_setting, std::string_view browser_env,
                                             bool new_window)
{
    std::vector<BrowserCommand> commands;
    if (!browser_setting.empty()) {
        std::error_code error;
        // A path with blanks in it is still one program; anything else may carry arguments.
        std::optional<BrowserCommand> command =
            std::filesystem::is_regular_file(std::filesystem::path(browser_setting), error)
                ? BrowserCommand{std::string(browser_setting), {}}
                : command_from_words(split_command(browser_setting));
        if (command) {
            add_target_mark(*command, new_window);
            commands.push_back(std::move(*command));
            return commands;
        }
    }
    while (!browser_env.empty()) {
        const std::size_t colon = browser_env.find(':');
        std::optional<BrowserCommand> command =
            command_from_words(split_command(browser_env.substr(0, colon)));
        browser_env = colon == std::string_view::npos ? std::string_view() : browser_env.substr(colon + 1);
        if (command) {
            add_target_mark(*command, new_window);
            commands.push_back(std::move(*command));
        }
    }
    commands.push_back(BrowserCommand{std::string(DESKTOP_OPENER), {std::string(TARGET_MARK)}});
    return commands;
}

std::string web_page_target(std::string_view target, std::string_view working_folder)
{
    if (target.find(':') != std::string_view::npos || target.starts_with('/'))
        return std::string(target);
    return join_local(working_folder, target);
}

bool open_web_page(std::string_view target, const Settings& settings, Launcher& launcher)
{
    std::error_code error;
    const std::string folder = std::filesystem::current_path(error).string();
    const std::string full = web_page_target(target, folder);
    for (const BrowserCommand& command :
         browser_commands(settings.text(KEY_BROWSER), environment("BROWSER"), settings.flag(KEY_NEWWIN))) {
        if (launcher.start(command.program, with_target(command.arguments, full)))
            return true;
    }
    return false;
}

std::string faq_address(std::string_view stored, const std::optional<std::string>& language)
{
    constexpr std::string_view MARK = "%LANG%";
    std::string out(stored);
    if (!language) {
        for (auto at = out.find("/%LANG%"); at != std::string::npos; at = out.find("/%LANG%", at))
            out.erase(at, MARK.size() + 1);
    }
    const std::string code = language.value_or("");
    for (auto at = out.find(MARK); at != std::string::npos; at = out.find(MARK, at + code.size()))
        out.replace(at, MARK.size(), code);
    return out;
}

std::vector<std::string> browser_suggestions(std::string_view browser_env)
{
    std::vector<std::string> out;
    const auto add = [&out](std::string program) {
        if (!program.empty() && std::find(out.begin(), out.end(), program) == out.end())
            out.push_back(std::move(program));
    };
    for (const BrowserCommand& command : browser_commands({}, browser_env, false)) {
        if (command.program != DESKTOP_OPENER)
            add(command.program);
    }
    for (std::string_view name : KNOWN_BROWSERS) {
        const QString found = QStandardPaths::findExecutable(QString::fromUtf8(name.data(), name.size()));
        if (!found.isEmpty())
            add(found.toStdString());
    }
    return out;
}

} // namespace kestovan
