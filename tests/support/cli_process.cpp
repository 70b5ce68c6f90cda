#include "support/cli_process.h"

#include <QProcess>

namespace kestovan::test {

CliRun run_cli(const QStringList& args, int timeout_ms, const QString& working_dir,
               const QStringList& launcher)
{
    QProcess process;
    if (!working_dir.isEmpty())
        process.setWorkingDirectory(working_dir);
    const QString client = QString(KESTOVAN_BINARY_DIR) + "/src/cli/kestovan-ftp-cli";
    if (launcher.isEmpty())
        process.start(client, args);
    else
        process.start(launcher.front(), launcher.mid(1) << client << args);
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

} // namespace kestovan::test
