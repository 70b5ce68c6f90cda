#include "support/cli_process.h"

#include <QProcess>

namespace kestovan::test {

namespace {

const QString CLI = QString(KESTOVAN_BINARY_DIR) + "/src/cli/kestovan-ftp-cli";

QString shell_quoted(const QString& word)
{
    QString quoted = word;
    quoted.replace("'", "'\\''");
    return "'" + quoted + "'";
}

CliRun wait_for(QProcess& process, int timeout_ms)
{
    CliRun run;
    if (!process.waitForFinished(timeout_ms)) {
        process.kill();
        process.waitForFinished();
        run.err = "timed out";
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

} // namespace

CliRun run_cli(const QStringList& args, int timeout_ms, const QString& working_dir, const QStringList& launcher)
{
    QProcess process;
    if (!working_dir.isEmpty())
        process.setWorkingDirectory(working_dir);
    if (launcher.isEmpty())
        process.start(CLI, args);
    else
        process.start(launcher.front(), launcher.mid(1) << CLI << args);
    return wait_for(process, timeout_ms);
}

CliRun run_cli_in(const QStringList& args, const QProcessEnvironment& env, bool terminal)
{
    QProcess process;
    process.setProcessEnvironment(env);
    if (!terminal) {
        process.start(CLI, args);
        return wait_for(process, 60000);
    }
    QString command = shell_quoted(CLI);
    for (const QString& arg : args)
        command += " " + shell_quoted(arg);
    // -e: script's status is the client's.
    process.start("script", {"-q", "-e", "-c", command, "/dev/null"});
    return wait_for(process, 60000);
}

} // namespace kestovan::test
