#include "platform/child_process.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <cerrno>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace kestovan {

ProgramCommand text_editor_command(std::string_view editor_variable,
                                   const std::function<bool(std::string_view)>& installed)
{
    const QStringList words = QProcess::splitCommand(
        QString::fromUtf8(editor_variable.data(), static_cast<int>(editor_variable.size())));
    if (!words.isEmpty()) {
        ProgramCommand command{words.front().toStdString(), {}};
        for (qsizetype i = 1; i < words.size(); ++i)
            command.arguments.push_back(words[i].toStdString());
        return command;
    }
    for (const KnownEditor& editor : KNOWN_EDITORS) {
        if (!installed(editor.program))
            continue;
        ProgramCommand command{std::string(editor.program), {}};
        if (!editor.wait_option.empty())
            command.arguments.emplace_back(editor.wait_option);
        return command;
    }
    return file_opener_command();
}

ProgramCommand text_editor_command()
{
    const char* variable = std::getenv(std::string(EDITOR_VARIABLE).c_str());
    return text_editor_command(variable ? variable : "", [](std::string_view program) {
        return !QStandardPaths::findExecutable(
                    QString::fromUtf8(program.data(), static_cast<int>(program.size())))
                    .isEmpty();
    });
}

ProgramCommand file_opener_command()
{
    return {std::string(FILE_OPENER), {}};
}

std::unique_ptr<ChildProcess> ChildProcess::start(const ProgramCommand& command, const std::string& file)
{
    std::vector<std::string> words{command.program};
    words.insert(words.end(), command.arguments.begin(), command.arguments.end());
    words.push_back(file);
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    // posix_spawnp reports a program that cannot be run as an error, not as a child that exits.
    if (::posix_spawnp(&pid, argv.front(), nullptr, nullptr, argv.data(), environ) != 0)
        return nullptr;
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid));
}

ChildProcess::~ChildProcess()
{
    if (!ended_)
        (void)has_ended();
}

bool ChildProcess::has_ended()
{
    if (ended_)
        return true;
    int status = 0;
    const pid_t result = ::waitpid(pid_, &status, WNOHANG);
    ended_ = result == pid_ || (result < 0 && errno == ECHILD);
    return ended_;
}

} // namespace kestovan
