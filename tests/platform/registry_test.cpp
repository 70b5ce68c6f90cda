#include "platform/registry.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

const std::string kProgram = "Software\\KESTOVAN\\Kestovan FTP";
const std::string kCommon = "Software\\KESTOVAN\\Common";

TEST(Registry, ValuesRoundTripPerHiveAndKeyAcrossInstances)
{
    QTemporaryDir dir;
    {
        Registry reg(dir.path().toStdString());
        EXPECT_TRUE(reg.write_string(Hive::LocalMachine, kCommon, "lang", "fr"));
        EXPECT_TRUE(reg.write_dword(Hive::CurrentUser, kCommon, "ProxyEnable", 1));
        EXPECT_TRUE(reg.write_string(Hive::CurrentUser, kProgram, "Last Dir", "/home/a b/c=d;e"));
        EXPECT_TRUE(reg.write_string(Hive::CurrentUser, kProgram, "a/b\\c", "slashes"));
    }
    Registry reg(dir.path().toStdString());
    EXPECT_EQ(reg.read_string(Hive::LocalMachine, kCommon, "lang"), "fr");
    EXPECT_FALSE(reg.read_string(Hive::CurrentUser, kCommon, "lang")) << "hives are separate";
    EXPECT_EQ(reg.read_dword(Hive::CurrentUser, kCommon, "ProxyEnable"), 1u);
    EXPECT_EQ(reg.read_string(Hive::CurrentUser, kProgram, "Last Dir"), "/home/a b/c=d;e");
    EXPECT_EQ(reg.read_string(Hive::CurrentUser, kProgram, "a/b\\c"), "slashes");
    EXPECT_FALSE(reg.read_string(Hive::CurrentUser, kProgram, "a")) << "a value name is never a key path";
    EXPECT_FALSE(reg.read_dword(Hive::CurrentUser, kProgram, "Last Dir")) << "text is no number";

    EXPECT_TRUE(reg.delete_value(Hive::LocalMachine, kCommon, "lang"));
    EXPECT_FALSE(reg.read_string(Hive::LocalMachine, kCommon, "lang"));
}

TEST(Registry, TheEnvironmentMovesTheDefaultFolder)
{
    // The test main points KESTOVAN_REGISTRY_DIR at a private folder.
    EXPECT_NE(Registry::default_folder().string().find("registry"), std::string::npos);
}

} // namespace
} // namespace kestovan
