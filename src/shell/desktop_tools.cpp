#include "shell/desktop_tools.h"

namespace kestovan {

DesktopTools::DesktopTools() = default;

bool DesktopTools::start_detached(const ProgramCommand& command, const std::string& path)
{
    std::vector<std::string> arguments = command.arguments;
    arguments.push_back(path);
    return launcher_->start(command.program, arguments);
}

bool DesktopTools::open_file(const std::string& path)
{
    return start_detached(opener, path);
}

bool DesktopTools::view_file(const std::string& path)
{
    return start_detached(editor(), path);
}

std::unique_ptr<ChildProcess> DesktopTools::edit_file(const std::string& path)
{
    return ChildProcess::start(editor(), path);
}

} // namespace kestovan
