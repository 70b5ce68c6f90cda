// File -> Import in the program: the chosen site list lands in the profile folder and the tree,
// and failures give the box the user sees.
#include "importer/site_list_builders.h"
#include "shell/application.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace kestovan {
namespace {

const std::filesystem::path BUILT_LIBRARY =
    std::filesystem::path(KESTOVAN_BINARY_DIR) / "src/importer/libravelink.so";

struct ImportingApp {
    ImportingApp()
    {
        std::string error;
        EXPECT_TRUE(app.prepare_folders(data.path().toStdString(), &error)) << error;
        app.load_state();
        app.ravelink_paths = {BUILT_LIBRARY};
    }
    std::string path(const std::string& name) const { return (app.data_folder / name).string(); }
    bool in_tree(const std::string& name) { return app.find_profile(name) != nullptr; }

    QTemporaryDir data;
    test::ScriptedPrompts prompts;
    Sounds sounds;
    Application app{prompts, sounds};
};

TEST(ApplicationImport, ASiteListBecomesProfilesInTheFolderAndTheTree)
{
    ImportingApp h;
    test::CuteFile::Site site;
    site.id = 1;
    site.name = "acme";
    site.host = "ftp.acme.test";
    test::write_file(h.path("sm.dat"), test::CuteFile().site(site).bytes());
    const std::size_t before = h.app.shell->context().tree.size();

    EXPECT_FALSE(h.app.import_site_list(h.path("sm.dat")).has_value());
    EXPECT_GT(h.app.shell->context().tree.size(), before);
    EXPECT_TRUE(h.in_tree("acme"));
    EXPECT_FALSE(std::filesystem::exists(h.path("ftp.sav"))) << "the pending tree was stored away";

    // A second import keeps the nodes already there and adds only the new ones.
    DirEntry* first = h.app.find_profile("acme");
    site.name = "beta";
    site.host = "ftp.beta.test";
    test::write_file(h.path("sm2.dat"), test::CuteFile().site(site).bytes());
    EXPECT_FALSE(h.app.import_site_list(h.path("sm2.dat")).has_value());
    EXPECT_EQ(h.app.find_profile("acme"), first);
    EXPECT_TRUE(h.in_tree("beta"));
}

TEST(ApplicationImport, FailuresNameTheFileWithTheirCaption)
{
    ImportingApp h;
    auto missing = h.app.import_site_list(h.path("gone.ftp"));
    ASSERT_TRUE(missing.has_value());
    EXPECT_EQ(missing->caption, "Import Failed");
    EXPECT_EQ(missing->icon, PromptIcon::Error);
    EXPECT_EQ(missing->text, h.path("gone.ftp"));

    test::write_file(h.path("junk.dat"), "not a site list at all");
    auto unknown = h.app.import_site_list(h.path("junk.dat"));
    ASSERT_TRUE(unknown.has_value());
    EXPECT_EQ(unknown->caption, "Unknown file format");
    EXPECT_EQ(unknown->icon, PromptIcon::Warning);
}

} // namespace
} // namespace kestovan
