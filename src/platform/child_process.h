// Programs the desktop offers: the text editor (where Windows had notepad.exe), the desktop's file
// opener (the shell's "Open" verb), and a child process whose end the program notices without
// blocking (the editing job waits for its editor by polling, as it polled the process handle).
//
// The text editor is $KESTOVAN_EDITOR as given (split into words, the file added last), else the
// first installed editor of KNOWN_EDITORS started with its option that makes the started process
// last until the user closes the file (without it most editors hand the file to an instance that is
// already running and exit at once), else the desktop's opener. An editor that exits at once all
// the same is handled by the editing job (shell/editing_job.h).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace kestovan {

struct ProgramCommand {
    std::string program;
    std::vector<std::string> arguments; // the file to open follows these
    bool operator==(const ProgramCommand&) const = default;
};

inline constexpr std::string_view EDITOR_VARIABLE = "KESTOVAN_EDITOR";
inline constexpr std::string_view FILE_OPENER = "xdg-open";

struct KnownEditor {
    std::string_view program;
    std::string_view wait_option; // empty: the started process already lasts until the file is closed
};
inline constexpr KnownEditor KNOWN_EDITORS[] = {
    {"gnome-text-editor", "--standalone"}, {"gedit", "--wait"},         {"kate", "--block"},
    {"mousepad", "--disable-server"},      {"geany", "--new-instance"}, {"leafpad", ""},
};

// editor_variable: the value of $KESTOVAN_EDITOR (empty when unset; split into words as a command
// line, double quotes keeping blanks); installed: whether a program name is found on the PATH.
[[nodiscard]] ProgramCommand text_editor_command(std::string_view editor_variable,
                                                 const std::function<bool(std::string_view)>& installed);
// The same from the environment and the PATH.
[[nodiscard]] ProgramCommand text_editor_command();
[[nodiscard]] ProgramCommand file_opener_command();

class ChildProcess {
public:
    // Starts command with file as its last argument; nothing when the program cannot be started.
    [[nodiscard]] static std::unique_ptr<ChildProcess> start(const ProgramCommand& command,
                                                             const std::string& file);
    ~ChildProcess(); // leaves a running program running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // True once the program has ended; never blocks.
    [[nodiscard]] bool has_ended();
    [[nodiscard]] pid_t pid() const { return pid_; }

private:
    explicit ChildProcess(pid_t pid) : pid_(pid) {}
    pid_t pid_;
    bool ended_ = false;
};

} // namespace kestovan
