// Starting and stopping a test's server program in a process group of its own, so that stopping it
// by PID also ends whatever it forked.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace kestovan::test {

// Starts argv[0] (a path) with stdin from /dev/null and stdout and stderr into the two files; where
// names the folder for error messages. Throws std::runtime_error when it cannot.
[[nodiscard]] pid_t spawn_process_group(const std::vector<std::string>& argv, const std::string& stdout_path,
                                        const std::string& stderr_path, const std::string& where);

// True (and pid set to -1) when the process has ended or none was running.
bool reap_if_exited(pid_t& pid);

// SIGTERM to the group, SIGKILL after grace; pid is -1 afterwards.
void stop_process_group(pid_t& pid, std::chrono::milliseconds grace);

// For failure messages: "--- <who> <title> ---" ("--- <title> ---" when who is empty) and the last
// 8 KiB of each (title, path) file that has text; a "wrote nothing" line when none has.
[[nodiscard]] std::string output_tails(const std::string& who,
                                       const std::vector<std::pair<std::string, std::string>>& files);

} // namespace kestovan::test
