// kestovan-ftp: start-up wiring only. The program's parts are put together in Program; the order of
// start-up and shutdown lives in Application.
#include "platform/sound_output.h"
#include "shell/command_line.h"
#include "shell/widgets/program.h"

#include <QApplication>

#include <cstring>
#include <iostream>

using namespace kestovan;

namespace {

constexpr const char* USAGE =
    "Usage: kestovan-ftp [options] [file]\n"
    "\n"
    "  -P file    edit the site profile in file, then exit\n"
    "  -R file    connect the profile that file names\n"
    "  -N         open the Profile Manager at start\n"
    "  -pNAME     connect the profile named NAME\n"
    "  -b         open the Batch Transfer window and start the saved queue\n"
    "  -y         unattended: no questions whether to connect, for passwords or whole folders\n"
    "  -x         quit when the queue runs out; the exit status is 0 when every task ended done,\n"
    "             1 when any failed (kestovan-ftp -b -y -x runs the saved queue from a script)\n"
    "  --version  print the version\n"
    "  --help     print this text\n";

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--has-main-window") == 0)
        return 0;
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "Kestovan FTP " << KESTOVAN_VERSION << "\n";
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        std::cout << USAGE;
        return 0;
    }
    QApplication qt(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestovan FTP"));
    const CommandLine line =
        parse_command_line(command_line_text(std::vector<std::string>(argv + 1, argv + argc)));

    CanberraSoundOutput sound_output;
    int exit_code = 0;
    {
        Program program(sound_output);
        if (!program.start(line, default_data_folder(), exit_code))
            return exit_code;
        exit_code = QApplication::exec();
        // -x: the queue ran out; the status says whether every task ended done.
        if (const auto status = program.quit_status())
            exit_code = *status;
        // The window has closed and config.ini is written; the exit sound is heard to its end.
        program.finish();
    }
    return exit_code;
}
