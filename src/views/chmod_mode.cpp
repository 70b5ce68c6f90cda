#include "views/chmod_mode.h"

namespace kestovan {

PermissionBoxes boxes_from_permissions(const std::optional<std::string>& permissions)
{
    PermissionBoxes boxes{};
    if (!permissions)
        return boxes;
    constexpr std::string_view letters = "rwx";
    for (std::size_t box = 0; box < boxes.size(); ++box) {
        const std::size_t at = box + 1; // the first character is the type letter
        boxes[box] = at < permissions->size() && (*permissions)[at] == letters[box % 3];
    }
    return boxes;
}

int mode_value(const PermissionBoxes& boxes)
{
    int mode = 0;
    for (std::size_t who = 0; who < 3; ++who) {
        const int digit =
            (boxes[who * 3] ? 4 : 0) + (boxes[who * 3 + 1] ? 2 : 0) + (boxes[who * 3 + 2] ? 1 : 0);
        mode = mode * 10 + digit;
    }
    return mode;
}

std::string chmod_command(int mode, std::string_view path)
{
    return "SITE chmod " + std::to_string(mode) + " " + std::string(path);
}

} // namespace kestovan
