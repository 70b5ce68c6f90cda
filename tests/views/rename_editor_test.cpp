// The "Set Rename Masks:" list: the placeholder row at the end turns into a rule when it gets a mask
// or when New is pressed, can never be deleted, and is never applied; the rules keep their order.
#include "views/rename_editor.h"

#include <gtest/gtest.h>

namespace kestovan {
namespace {

std::vector<std::string> shown(const RenameListEditor& editor)
{
    std::vector<std::string> rows;
    for (const RenameRule& rule : editor.rows())
        rows.push_back(rule.placeholder
                           ? "[placeholder]"
                           : rule.local_mask + ">" + rule.remote_mask + (rule.enabled ? "+" : "-"));
    return rows;
}

TEST(RenameListEditor, ThePlaceholderBecomesARuleAndAnotherFollows)
{
    RenameRule placeholder;
    placeholder.placeholder = true;
    RenameListEditor editor({{"*.htm", "*.html", true, false}, placeholder});
    EXPECT_EQ(shown(editor), (std::vector<std::string>{"*.htm>*.html+", "[placeholder]"}));

    // Typing into the placeholder (selected) makes it a rule; an empty edit does not.
    editor.select(1);
    editor.edit({"", "", true});
    EXPECT_EQ(shown(editor).back(), "[placeholder]");
    editor.edit({"*.txt", "", true});
    editor.edit({"*.txt", "*.TXT", true});
    EXPECT_EQ(shown(editor), (std::vector<std::string>{"*.htm>*.html+", "*.txt>*.TXT+", "[placeholder]"}));

    // New turns the placeholder into a disabled *.html rule, selects it and shows it in the fields.
    editor.new_rule();
    EXPECT_EQ(shown(editor),
              (std::vector<std::string>{"*.htm>*.html+", "*.txt>*.TXT+", "*.html>*.html-", "[placeholder]"}));
    EXPECT_EQ(editor.selected(), 2u);
    EXPECT_EQ(editor.fields().local_mask, "*.html");
    EXPECT_FALSE(editor.fields().enabled);
    editor.edit({"*.shtml", "*.html", true});
    EXPECT_EQ(shown(editor)[2], "*.shtml>*.html+");

    // Without a selection the fields go into the first row.
    editor.select(std::nullopt);
    editor.edit({"*.HTM", "*.html", false});
    EXPECT_EQ(shown(editor)[0], "*.HTM>*.html-");
}

TEST(RenameListEditor, DeleteSparesThePlaceholderAndApplyingKeepsOrder)
{
    RenameListEditor editor(
        {{"a*", "b*", true, false}, {"c*", "d*", false, false}, {"e*", "f*", true, false}});
    EXPECT_FALSE(editor.delete_selected()); // nothing selected
    editor.select(3);
    EXPECT_FALSE(editor.delete_selected()); // the placeholder
    editor.select(1);
    EXPECT_TRUE(editor.delete_selected());
    EXPECT_EQ(shown(editor), (std::vector<std::string>{"a*>b*+", "e*>f*+", "[placeholder]"}));
    EXPECT_FALSE(editor.selected());
    EXPECT_EQ(editor.fields().local_mask, "");

    const RenameRules applied = editor.applied();
    ASSERT_EQ(applied.size(), 2u);
    EXPECT_EQ(applied[0].local_mask, "a*");
    EXPECT_EQ(applied[1].local_mask, "e*");
    EXPECT_FALSE(applied[0].placeholder || applied[1].placeholder);
}

} // namespace
} // namespace kestovan
