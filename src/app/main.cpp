// kestovan-ftp: start-up wiring only. The program's parts are put together in Program; the order of
// start-up and shutdown lives in Application.
#include "platform/sound_output.h"
#include "shell/command_line.h"
#include "shell/widgets/program.h"

#include <QApplication>

#include <cstring>
#include <iostream>

using namespace kestovan;

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--has-main-window") == 0)
        return 0;
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "Kestovan FTP " << KESTOVAN_VERSION << "\n";
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
        // The window has closed and config.ini is written; the exit sound is heard to its end.
        program.finish();
    }
    return exit_code;
}
