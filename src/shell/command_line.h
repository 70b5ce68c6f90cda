// The program's command line, scanned as one text the way it always was: the first option letter
// (-P, -D, -R, -N, -z) chooses a mode, the first plain word is its argument; a second pass after the
// window exists looks at -b, -p<name>, -y and -x.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestovan {

struct CommandLine {
    char option = 0;      // the first option letter seen (none with -z)
    std::string argument; // the first plain argument, quotes removed
    std::optional<long long> host_window;
    std::optional<long long> host_cookie;
    // The second pass.
    bool batch = false;                 // -b
    std::optional<std::string> profile; // -p<name>
    bool unattended = false;            // -y
    bool quit_when_done = false;        // -x: end the program when the queue runs out
};

[[nodiscard]] CommandLine parse_command_line(std::string_view text);
// The arguments of main() as the one text the scan reads: arguments holding blanks are quoted.
[[nodiscard]] std::string command_line_text(const std::vector<std::string>& arguments);

} // namespace kestovan
