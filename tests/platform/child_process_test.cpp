// The text editor chosen from $KESTOVAN_EDITOR and the installed editors, and a child process whose
// end is noticed without waiting for it.
#include "platform/child_process.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <set>

namespace kestovan {
namespace {

TEST(TextEditor, TheVariableWinsThenAWaitingKnownEditorThenTheOpener)
{
    struct Case {
        std::string variable;
        std::set<std::string_view> installed;
        ProgramCommand expected;
    };
    const Case cases[] = {
        {"\"/opt/my editor\" --flag", {"gedit"}, {"/opt/my editor", {"--flag"}}},
        {"", {"kate", "gedit"}, {"gedit", {"--wait"}}}, // the list's order, not the installed order
        {"", {"leafpad"}, {"leafpad", {}}},
        {"", {}, {"xdg-open", {}}},
    };
    for (const Case& c : cases) {
        const ProgramCommand got = text_editor_command(
            c.variable, [&](std::string_view name) { return c.installed.contains(name); });
        EXPECT_EQ(got, c.expected) << c.variable;
    }
}

TEST(ChildProcessTest, ItsEndIsNoticedAndAMissingProgramDoesNotStart)
{
    EXPECT_EQ(ChildProcess::start({"/nonexistent/editor", {}}, "/tmp/x"), nullptr);
    auto child = ChildProcess::start({"/bin/sh", {"-c", "exit 0"}}, "ignored");
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(test::wait_until([&] { return child->has_ended(); }, 5000));
}

} // namespace
} // namespace kestovan
