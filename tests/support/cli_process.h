// Running the built kestovan-ftp-cli as a user would, for the client's end-to-end tests.
#pragma once

#include <QProcessEnvironment>
#include <QStringList>

#include <string>

namespace kestovan::test {

struct CliRun {
    int status = -1; // exit code; -1 when it crashed or timed out
    std::string out;
    std::string err;
};

// Runs the client with args and waits up to timeout_ms (a minute by default); a run that takes
// longer is killed and reported with status -1 and "timed out". working_dir: the folder it starts
// in (the test's own when empty).
// launcher: a program and its arguments that start the client (its path follows them), such as a
// private mount namespace.
CliRun run_cli(const QStringList& args, int timeout_ms = 60000, const QString& working_dir = {},
               const QStringList& launcher = {});

// As run_cli, in env; with terminal, stdout and stderr are one terminal (script(1)'s pseudo-terminal)
// and both arrive in out.
CliRun run_cli_in(const QStringList& args, const QProcessEnvironment& env, bool terminal = false);

} // namespace kestovan::test
