// Opening a web page or a local HTML file in the user's browser. The browser is the `browser`
// setting, else the first program of $BROWSER that starts, else the desktop's default through
// xdg-open. Programs are started through a Launcher, so tests can see what would have been started
// without starting anything.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

class Settings;

class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts program detached with arguments; true when it was started.
    [[nodiscard]] virtual bool start(const std::string& program,
                                     const std::vector<std::string>& arguments) = 0;
};

// Starts real processes (QProcess::startDetached).
class ProcessLauncher final : public Launcher {
public:
    [[nodiscard]] bool start(const std::string& program, const std::vector<std::string>& arguments) override;
};

// One way of starting a browser: the program and its arguments, one of which is "%s" where the
// target goes (added last when the command had none).
struct BrowserCommand {
    std::string program;
    std::vector<std::string> arguments;
    bool operator==(const BrowserCommand&) const = default;
};

inline constexpr std::string_view DESKTOP_OPENER = "xdg-open";

// The commands open_web_page tries, in order. browser_setting names a program (a path, or a command
// with arguments when no such file exists); browser_env is $BROWSER, a ":"-separated list of commands
// where "%s" stands for the target. The desktop opener comes last unless the setting names a browser:
// a browser the user chose that does not start is reported, not replaced. With new_window, browsers
// known to take "--new-window" get it.
[[nodiscard]] std::vector<BrowserCommand> browser_commands(std::string_view browser_setting,
                                                           std::string_view browser_env, bool new_window);

// The target as handed to the browser: text with ":" (a URL) and absolute paths as they are, other
// text joined to working_folder.
[[nodiscard]] std::string web_page_target(std::string_view target, std::string_view working_folder);

// Opens target with the `browser` and `newwin` settings, $BROWSER and the current folder. Returns
// false when no browser could be started; the caller then shows the "Browser Error" warning.
[[nodiscard]] bool open_web_page(std::string_view target, const Settings& settings, Launcher& launcher);

// The Help > FAQ address from the stored value: "%LANG%" stands for the language's code, and for
// English "/%LANG%" is left out (so "https://host/%LANG%/faq.htm" becomes "https://host/faq.htm").
[[nodiscard]] std::string faq_address(std::string_view stored, const std::optional<std::string>& language);

// Browsers to offer in the Browser box of the Settings page: the programs of $BROWSER and the known
// browsers installed on the PATH, without repeats.
[[nodiscard]] std::vector<std::string> browser_suggestions(std::string_view browser_env);

} // namespace kestovan
