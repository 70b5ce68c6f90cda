// The CHMOD boxes from a permissions text, the mode they make and the command that carries it.
#include "views/chmod_mode.h"

#include <gtest/gtest.h>

namespace kestovan {
namespace {

TEST(ChmodMode, PresetsFromThePermissionsTextAndTheModeTheyMake)
{
    struct Case {
        std::optional<std::string> permissions;
        int mode;
    };
    const Case cases[] = {
        {"-rwxr-x---", 750}, {"-rwsr-xr-x", 655}, // "s" is not "x": owner execute stays clear
        {"drwxrwxrwt", 776}, {"-rw", 600},        // a short text leaves the rest clear
        {"-RWXRWXRWX", 0},                        // only the lower-case letters count
        {"----r--r--", 44},                       // 044 read back as a number
        {std::nullopt, 0},                        // DOS-style listings have no permissions
    };
    for (const Case& c : cases)
        EXPECT_EQ(mode_value(boxes_from_permissions(c.permissions)), c.mode)
            << c.permissions.value_or("none");
}

TEST(ChmodMode, TheCommandCarriesTheModeAsANumberAndThePathAsItIs)
{
    EXPECT_EQ(chmod_command(0, "/pub/a b.txt"), "SITE chmod 0 /pub/a b.txt");
    EXPECT_EQ(chmod_command(755, "/x"), "SITE chmod 755 /x");
}

} // namespace
} // namespace kestovan
