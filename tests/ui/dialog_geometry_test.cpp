// Dialog places in the registry: all four numbers or none, nothing negative, kept reachable, and
// column lists read in order up to the first gap.
#include "ui/dialog_geometry.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

TEST(DialogGeometry, StoredPlacesReadBackOnlyWhenCompleteAndNotNegative)
{
    QTemporaryDir folder;
    Registry registry(folder.path().toStdString());
    EXPECT_FALSE(load_dialog_geometry(registry, 4320));
    ASSERT_TRUE(save_dialog_geometry(registry, 4320, {10, 20, 600, 400}));
    EXPECT_EQ(load_dialog_geometry(registry, 4320), (DialogGeometry{10, 20, 600, 400}));
    EXPECT_EQ(
        registry.read_string(Hive::CurrentUser, "Software\\KESTOVAN\\Kestovan FTP\\DLGS\\4320", "width"),
        "600");
    EXPECT_FALSE(load_dialog_geometry(registry, 4293)); // another dialog

    save_dialog_geometry(registry, 4293, {-8, 20, 300, 200}); // left of the screen
    EXPECT_FALSE(load_dialog_geometry(registry, 4293));
    registry.delete_value(Hive::CurrentUser, dialog_geometry_key(4320), "height");
    EXPECT_FALSE(load_dialog_geometry(registry, 4320));

    EXPECT_EQ(keep_reachable({1900, 1070, 300, 200}, 1920, 1080), (DialogGeometry{1820, 980, 300, 200}));
    EXPECT_EQ(keep_reachable({1819, 979, 300, 200}, 1920, 1080), (DialogGeometry{1819, 979, 300, 200}));
}

TEST(DialogGeometry, ColumnListsReadUpToTheFirstGapAndShrinkWhenRewritten)
{
    QTemporaryDir folder;
    Registry registry(folder.path().toStdString());
    ASSERT_TRUE(save_column_widths(registry, 4327, 1838, {120, 250, 60}));
    ASSERT_TRUE(save_column_order(registry, 4327, 1838, {1, 0, 2}));
    EXPECT_EQ(load_column_widths(registry, 4327, 1838), (std::vector<int>{120, 250, 60}));
    EXPECT_EQ(load_column_order(registry, 4327, 1838), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(registry.read_string(Hive::CurrentUser,
                                   "Software\\KESTOVAN\\Kestovan FTP\\DLGS\\4327\\1838\\order", "0"),
              "1");

    save_column_widths(registry, 4327, 1838, {90, 80});
    EXPECT_EQ(load_column_widths(registry, 4327, 1838), (std::vector<int>{90, 80}));
    registry.write_string(Hive::CurrentUser, list_columns_key(4327, 1838), "1", "wide");
    EXPECT_EQ(load_column_widths(registry, 4327, 1838), (std::vector<int>{90}));
}

} // namespace
} // namespace kestovan
