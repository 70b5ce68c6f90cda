// The CHMOD and Append File dialogs: presets, the title after each click, what OK gives. With
// KESTOVAN_SHOTS_DIR set, screenshots of both are saved there.
#include "views/widgets/append_file_dialog.h"
#include "views/widgets/chmod_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace kestovan {
namespace {

void save_shot(QWidget& widget, const char* name)
{
    if (const char* folder = std::getenv("KESTOVAN_SHOTS_DIR"))
        widget.grab().save(QString::fromUtf8(folder) + "/" + QString::fromLatin1(name) + ".png");
}

TEST(ChmodDialogTest, PresetsAndTheTitleAfterEveryClick)
{
    struct Case {
        const char* permissions;
        const char* title;
        std::vector<const char*> checked;
    };
    const Case cases[] = {
        {"-rwxr-x---",
         "CHMOD 750 run.sh",
         {"owner_read", "owner_write", "owner_execute", "group_read", "group_execute"}},
        {"-rwsr-xr-x",
         "CHMOD 655 run.sh",
         {"owner_read", "owner_write", "group_read", "group_execute", "other_read", "other_execute"}},
    };
    for (const Case& c : cases) {
        ChmodDialog dialog("run.sh", boxes_from_permissions(std::string(c.permissions)));
        EXPECT_EQ(dialog.windowTitle().toStdString(), c.title);
        for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
            const bool expected = std::find(c.checked.begin(), c.checked.end(),
                                            box->objectName().toStdString()) != c.checked.end();
            EXPECT_EQ(box->isChecked(), expected) << c.permissions << " " << box->objectName().toStdString();
        }
    }

    ChmodDialog dialog("run.sh", boxes_from_permissions(std::string("-rwxr-x---")));
    dialog.show();
    save_shot(dialog, "chmod-dialog");
    const std::pair<const char*, const char*> clicks[] = {
        {"other_read", "CHMOD 754 run.sh"},
        {"owner_write", "CHMOD 554 run.sh"},
        {"other_read", "CHMOD 550 run.sh"},
    };
    for (auto [box, title] : clicks) {
        QTest::mouseClick(dialog.findChild<QCheckBox*>(box), Qt::LeftButton);
        EXPECT_EQ(dialog.windowTitle().toStdString(), title) << box;
    }
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        box->setChecked(false);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "CHMOD 0 run.sh");
    EXPECT_EQ(dialog.mode(), 0);
}

TEST(AppendFileDialogTest, StartsWithTheSelectedFileAndGivesWhatIsChosenOrTyped)
{
    AppendFileDialog dialog("Append 'more.txt' to:", {"a.log", "b.log"}, "b.log");
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Append File");
    EXPECT_EQ(dialog.combo().count(), 2);
    EXPECT_EQ(dialog.name().toStdString(), "b.log");
    dialog.show();
    save_shot(dialog, "append-file-dialog");
    dialog.combo().setEditText("new.log");
    EXPECT_EQ(dialog.name().toStdString(), "new.log");
}

} // namespace
} // namespace kestovan
