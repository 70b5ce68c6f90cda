// Runs kestovan-ftp-cli against scripted servers that misbehave, one table row at a time, and checks
// what every such run must do whatever the fault: end well within its bound with the expected exit
// status and a message naming the fault, write nothing outside its own folder, and never leave a file
// that the run reported as complete but that differs from what the server had.
#pragma once

#include "support/cli_process.h"
#include "support/scripted_ftp_server.h"

#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestovan::test {

struct HostileCase {
    std::string name{};
    // The script after the greeting and login (after the greeting only when login is false).
    std::function<void(ScriptedFtpServer&)> script{};
    // The client's arguments after the global options; "{url}" becomes ftp://u:p@127.0.0.1:port,
    // "{port}" the scripted server's port and "{dir}" the folder the run may write to.
    QStringList args{};
    int status = 1;
    std::string message{}; // a piece of stdout or stderr; alternatives split at "|"
    bool login = true;
    // The whole content of {dir}/f after a run that exits 0 (a run reported as complete).
    std::optional<std::string> complete_file{};
    // Before the run: local files the run needs, in {dir}.
    std::function<void(const std::string& dir)> prepare{};
    // Further checks on the run; {dir} as a plain path.
    std::function<void(const CliRun&, const std::string& dir)> check{};
    // The client must play the whole script, QUIT included when it is scripted.
    bool script_must_finish = false;
};

struct HostileOptions {
    int timeout_ms = 300; // --timeout: the client gives up after three silent periods
    int bound_ms = 8000;  // every case ends within this
    QStringList extra_args{};
    QStringList launcher{}; // see run_cli; "{dir}" replaced as in the arguments
};

// Runs each row in a fresh scripted server and folder; every failure message starts with the row's name.
void run_hostile_cases(const std::vector<HostileCase>& cases, const HostileOptions& options = {});

// The login every row starts with unless it says otherwise: "220", USER u, PASS p.
void script_login(ScriptedFtpServer& server);

} // namespace kestovan::test
