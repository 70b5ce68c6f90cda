// The program's command line: the mode letter, its argument, docking, and the second pass.
#include "shell/command_line.h"

#include <gtest/gtest.h>

namespace kestovan {
namespace {

TEST(CommandLineScan, TheFirstOptionLetterChoosesTheModeAndTheFirstWordIsItsArgument)
{
    auto r = parse_command_line("-R \"My Sites/home.ftp\" -N");
    EXPECT_EQ(r.option, 'R');
    EXPECT_EQ(r.argument, "My Sites/home.ftp");

    auto p = parse_command_line("-P /home/anna/.local/share/kestovan-ftp/Profiles/x.ftp");
    EXPECT_EQ(p.option, 'P');
    EXPECT_EQ(p.argument, "/home/anna/.local/share/kestovan-ftp/Profiles/x.ftp");

    auto glued = parse_command_line("-Pvalue plain");
    EXPECT_EQ(glued.option, 'P');
    EXPECT_EQ(glued.argument, "plain") << "text glued to the letter is the option's own value";

    auto none = parse_command_line("");
    EXPECT_EQ(none.option, 0);
    EXPECT_EQ(none.argument, "");
}

TEST(CommandLineScan, DockingEndsTheScanAndClearsTheMode)
{
    auto z = parse_command_line("-N -z1234:56 -R x");
    EXPECT_EQ(z.option, 0);
    EXPECT_EQ(z.host_window, 1234);
    EXPECT_EQ(z.host_cookie, 56);
    EXPECT_EQ(z.argument, "");
}

TEST(CommandLineScan, TheSecondPassReadsBatchProfileUnattendedAndQuit)
{
    auto line = parse_command_line("-b -p\"Home Server\" -y -x");
    EXPECT_TRUE(line.batch);
    EXPECT_TRUE(line.unattended);
    EXPECT_TRUE(line.quit_when_done);
    EXPECT_FALSE(parse_command_line("-b -y").quit_when_done);
    EXPECT_EQ(line.profile, "Home Server");
    EXPECT_EQ(line.option, 'b') << "the first letter is also the mode letter, which b is not one of";

    auto spaced = parse_command_line("-p Home");
    EXPECT_FALSE(spaced.profile) << "-p must not be followed by a blank";
    auto hyphen = parse_command_line("-R my-yacht.ftp");
    EXPECT_FALSE(hyphen.unattended) << "a hyphen inside a word is no option";
}

TEST(CommandLineScan, ArgumentsWithBlanksSurviveTheJoin)
{
    auto text = command_line_text({"-R", "/a b/c.ftp", "-pMy Site"});
    EXPECT_EQ(text, "-R \"/a b/c.ftp\" -p\"My Site\"");
    auto line = parse_command_line(text);
    EXPECT_EQ(line.argument, "/a b/c.ftp");
    EXPECT_EQ(line.profile, "My Site");
}

} // namespace
} // namespace kestovan
