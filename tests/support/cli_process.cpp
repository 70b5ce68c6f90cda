#include "support/cli_process.h"

#include <QProcess>

namespace kestovan::test {

CliRun run_cli(const QStringList& args, int timeout_ms)
{
    QProcess process;
    process.start(QString(KESTOVAN_BINARY_DIR) + "/src/cli/kestovan-ftp-cli", args);
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
