// The program's side of importing: the library loaded by name, import_by_extension with the seed
// tree, the Import command's dialog and messages, the Wine prefix's site lists and the command-line
// client's import command.
#include "common/install_paths.h"
#include "profiles/profile_tree.h"
#include "profiles/site_list_import.h"
#include "profiles/wine_site_lists.h"
#include "site_list_builders.h"
#include "support/test_files.h"
#include "ui/language.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

const std::filesystem::path BUILT_LIBRARY =
    std::filesystem::path(KESTOVAN_BINARY_DIR) / "src/importer/libravelink.so";
using Paths = std::vector<std::filesystem::path>;
const std::string WS_LIST = "[Mirror]\nHOST=mirror.example.test\nDIR=/pub\n";

class SiteListImport : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    QTemporaryDir dir_;
    std::filesystem::path folder_ = dir_.path().toStdString();
    RavelinkLibrary library_{Paths{BUILT_LIBRARY}};
};

TEST_F(SiteListImport, TheBuiltLibraryLoadsWithAllSixFunctions)
{
    ASSERT_TRUE(library_.load()) << library_.error();
    EXPECT_EQ(library_.loaded_path(), BUILT_LIBRARY);
    const test::ScopedEnv prefix("WINEPREFIX", path("no-prefix"));
    EXPECT_FALSE(library_.ftpv_installed());
    EXPECT_FALSE(library_.cute_installed());
    EXPECT_FALSE(library_.ws_ftp_installed());
    EXPECT_EQ(library_.import_ws_ftp("", "x"), IMPORT_MISSING_ARGUMENT);
    EXPECT_EQ(library_.import_cute_ftp("", "x"), IMPORT_MISSING_ARGUMENT);
    EXPECT_EQ(library_.import_ftpv("x", ""), IMPORT_MISSING_ARGUMENT);
}

TEST_F(SiteListImport, LibrarySearch)
{
    const auto paths = default_ravelink_paths();
    ASSERT_EQ(paths.size(), 4u);
    EXPECT_EQ(paths[0].filename(), RAVELINK_FILE_NAME);
    EXPECT_EQ(paths[0].parent_path().filename(), "tests") << "beside the executable first";
    EXPECT_EQ(paths[1].parent_path().filename(), "importer");
    EXPECT_EQ(paths[2].parent_path(), installed_library_folder(paths[0].parent_path())) << "the install's";
    EXPECT_EQ(paths[3], RAVELINK_FILE_NAME) << "then by name through the loader's search";

    RavelinkLibrary missing(Paths{path("libravelink.so")});
    EXPECT_FALSE(missing.load());
    EXPECT_FALSE(missing.error().empty());
    EXPECT_EQ(missing.import_ws_ftp("a.ini", "b"), IMPORT_LIBRARY_MISSING);
    EXPECT_FALSE(missing.ws_ftp_installed());

    RavelinkLibrary wrong(Paths{"libc.so.6", BUILT_LIBRARY});
    EXPECT_TRUE(wrong.load()) << "a library without the functions is passed over";
    EXPECT_EQ(wrong.loaded_path(), BUILT_LIBRARY);
}

TEST(ImportKind, ByTheFileNamesExtension)
{
    const std::vector<std::pair<std::string, ImportKind>> cases = {
        {"/x/FTPVoyager.ftp", ImportKind::FtpVoyager},
        {"SM.DAT", ImportKind::CuteFtp},
        {"a/WS_FTP.Ini", ImportKind::WsFtp},
        {"archive.tar.dat", ImportKind::CuteFtp},
        {"noextension", ImportKind::None},
        {"/folder.ftp/file", ImportKind::None},
        {"sites.txt", ImportKind::None},
        {"trailing.", ImportKind::None},
        {"a.ftpx", ImportKind::None},
    };
    for (const auto& [chosen, kind] : cases)
        EXPECT_EQ(import_kind_of(chosen), kind) << chosen;
}

TEST_F(SiteListImport, EachKindCallsItsFunctionAndSeedsThePendingTree)
{
    test::write_file(path("default.sav"), "NAME=Seed\nSERVER=seed.example.test\n");
    test::write_file(path("WS_FTP.ini"), WS_LIST);
    test::write_file(path("FTPVoyager.ftp"),
                     test::FtpvFile().folder("Top").folder("V").site("v", "h", "/").bytes());
    test::CuteFile::Site site;
    site.id = 1;
    site.name = "c";
    test::write_file(path("sm.dat"), test::CuteFile().site(site).bytes());

    const std::filesystem::path tree_file = folder_ / "ftp.sav";
    ImportOutcome outcome = import_by_extension(path("WS_FTP.ini"), tree_file, library_);
    EXPECT_EQ(outcome.code, IMPORT_OK);
    EXPECT_EQ(outcome.kind, ImportKind::WsFtp);
    EXPECT_EQ(outcome.text_start, std::string("NAME=Seed\nSERVER=seed.example.test\n").size())
        << "the seed was copied before the import";
    EXPECT_EQ(import_by_extension(path("FTPVoyager.ftp"), tree_file, library_).code, IMPORT_OK);
    EXPECT_EQ(import_by_extension(path("sm.dat"), tree_file, library_).code, IMPORT_OK);
    EXPECT_EQ(test::shape(read_profile_tree(tree_file)),
              "Seed(3),WS_FTP Sites(6)[WS_FTP.ini(6)[Mirror(3)]],FTPVoyager Sites(6)[V(6)[v(3)]],"
              "CuteFTP sites(6)[c(3)]");

    test::write_file(path("default.sav"), "NAME=Changed seed\n");
    outcome = import_by_extension(path("notes.txt"), tree_file, library_);
    EXPECT_EQ(outcome.code, IMPORT_OK) << "an unknown extension imports nothing and counts as success";
    EXPECT_EQ(outcome.kind, ImportKind::None);
    EXPECT_EQ(read_profile_tree(tree_file).front()->name, "Seed")
        << "an existing tree file is never replaced";

    EXPECT_EQ(import_by_extension(path("WS_FTP.ini"), folder_ / "other.sav", library_).text_start, 0u);
    EXPECT_EQ(test::shape(read_profile_tree(folder_ / "other.sav")),
              "WS_FTP Sites(6)[WS_FTP.ini(6)[Mirror(3)]]")
        << "the seed belongs to ftp.sav only";
}

TEST_F(SiteListImport, ImportCommandOutcomes)
{
    test::write_file(path("WS_FTP.ini"), WS_LIST);
    test::write_file(path("junk.dat"), "not a site list");
    const std::filesystem::path tree_file = folder_ / "ftp.sav";

    ImportCommandResult ok = run_import_command(path("WS_FTP.ini"), tree_file, library_);
    ASSERT_TRUE(ok.tree);
    EXPECT_EQ(test::shape(*ok.tree), "WS_FTP Sites(6)[WS_FTP.ini(6)[Mirror(3)]]");
    EXPECT_FALSE(ok.message);
    EXPECT_EQ(ok.last_folder, folder_);

    const ImportCommandResult unknown = run_import_command(path("readme.txt"), tree_file, library_);
    ASSERT_TRUE(unknown.tree) << "the session tree is refreshed from the tree file all the same";
    EXPECT_EQ(unknown.tree->size(), 1u);

    const ImportCommandResult unrecognised = run_import_command(path("junk.dat"), tree_file, library_);
    ASSERT_TRUE(unrecognised.message);
    EXPECT_FALSE(unrecognised.tree);
    EXPECT_EQ(unrecognised.message->icon, PromptIcon::Warning);
    EXPECT_EQ(unrecognised.message->caption, "Unknown file format");
    EXPECT_EQ(unrecognised.message->text, path("junk.dat"));

    const ImportCommandResult failed = run_import_command(path("missing.ftp"), tree_file, library_);
    ASSERT_TRUE(failed.message);
    EXPECT_EQ(failed.message->icon, PromptIcon::Error);
    EXPECT_EQ(failed.message->caption, "Import Failed");

    RavelinkLibrary missing(Paths{path("nothing.so")});
    const ImportCommandResult no_library = run_import_command(path("WS_FTP.ini"), tree_file, missing);
    EXPECT_EQ(no_library.outcome.code, IMPORT_LIBRARY_MISSING);
    ASSERT_TRUE(no_library.message);
    EXPECT_EQ(no_library.message->caption, "Import Failed");
}

TEST(ImportDialog, FilterAndTitleFromTheStringTable)
{
    const ImportDialogSetup setup = import_dialog_setup("/last/used", std::nullopt);
    EXPECT_EQ(setup.title, "Import");
    EXPECT_EQ(setup.default_pattern, "*.*");
    EXPECT_EQ(setup.start_folder, "/last/used");
    ASSERT_EQ(setup.filters.size(), 4u);
    EXPECT_EQ(setup.filters[0].label, "FTP Voyager files (*.ftp)");
    EXPECT_EQ(setup.filters[0].pattern, "*.ftp");
    EXPECT_EQ(setup.filters[2].label, "WS_FTP Files (*.ini)");
    EXPECT_EQ(setup.filters[3].pattern, "*.*");
    EXPECT_TRUE(setup.offered.empty());

    EXPECT_EQ(qt_name_filters(setup.filters),
              (std::vector<std::string>{"FTP Voyager files (*.ftp)", "CuteFTP files (*.dat)",
                                        "WS_FTP Files (*.ini)", "All files (*)"}));
    EXPECT_EQ(qt_name_filters({{"Plain", "*.x"}}), std::vector<std::string>{"Plain (*.x)"});
    EXPECT_TRUE(parse_filter_text("").empty());
    EXPECT_EQ(parse_filter_text("A$*.a$B$").size(), 1u) << "a pair without its pattern's end is left out";
}

TEST(WineSiteLists, FoundInTheProgramAndUserFolders)
{
    QTemporaryDir dir;
    const std::filesystem::path prefix = dir.path().toStdString();
    const auto make = [&](const std::string& relative) {
        std::filesystem::create_directories((prefix / relative).parent_path());
        test::write_file((prefix / relative).string(), "x");
    };
    make("drive_c/Program Files/Vendor/FTP Voyager/FTPVoyager.FTP");
    make("drive_c/Program Files (x86)/Vendor/CuteFTP/sm.dat");
    make("drive_c/windows/ws_ftp.ini");
    make("drive_c/users/anna/Application Data/Ipswitch/WS_FTP/Sites/WS_FTP.ini");
    make("drive_c/Program Files/a/b/c/d/sm.dat"); // deeper than programs keep their files
    make("drive_c/windows/system32/WS_FTP.ini");  // only the Windows folder itself
    make("elsewhere/sm.dat");
    std::filesystem::create_directory_symlink(prefix / "elsewhere", prefix / "drive_c/users/anna/Documents");

    const auto found = find_wine_site_lists(prefix);
    std::vector<std::string> relative;
    for (const auto& file : found)
        relative.push_back(file.lexically_relative(prefix / "drive_c").string());
    EXPECT_EQ(relative, (std::vector<std::string>{
                            "Program Files/Vendor/FTP Voyager/FTPVoyager.FTP",
                            "Program Files (x86)/Vendor/CuteFTP/sm.dat",
                            "users/anna/Application Data/Ipswitch/WS_FTP/Sites/WS_FTP.ini",
                            "windows/ws_ftp.ini",
                        }));

    const ImportDialogSetup setup = import_dialog_setup({}, prefix);
    EXPECT_EQ(setup.offered, found);

    const test::ScopedEnv wine("WINEPREFIX", prefix.string());
    EXPECT_EQ(wine_prefix_folder(), prefix);
}

TEST_F(SiteListImport, CommandLineClient)
{
    test::write_file(path("WS_FTP.ini"), WS_LIST);
    const auto run = [&](const QStringList& args) {
        QProcess process;
        process.setWorkingDirectory(QString::fromStdString(folder_.string()));
        process.start(QString(KESTOVAN_BINARY_DIR) + "/src/cli/kestovan-ftp-cli", args);
        EXPECT_TRUE(process.waitForFinished(30000));
        return std::pair{process.exitCode(), process.readAllStandardOutput().toStdString() +
                                                 process.readAllStandardError().toStdString()};
    };
    auto [status, output] = run({"import", "WS_FTP.ini"});
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output,
              "imported into ftp.sav:\nWS_FTP Sites/\n  WS_FTP.ini/\n    Mirror (mirror.example.test)\n");
    EXPECT_EQ(test::shape(read_profile_tree(folder_ / "ftp.sav")),
              "WS_FTP Sites(6)[WS_FTP.ini(6)[Mirror(3)]]");

    std::tie(status, output) = run({"import", "WS_FTP.ini", "copy.sav"});
    EXPECT_EQ(status, 0) << output;
    EXPECT_TRUE(std::filesystem::exists(folder_ / "copy.sav"));

    test::write_file(path("bad.ftp"), "nothing here");
    std::tie(status, output) = run({"import", "bad.ftp"});
    EXPECT_EQ(status, 1);
    EXPECT_NE(output.find("unknown file format: bad.ftp"), std::string::npos) << output;

    std::tie(status, output) = run({"import", "notes.txt"});
    EXPECT_EQ(status, 0);
    EXPECT_NE(output.find("nothing imported"), std::string::npos) << output;

    std::tie(status, output) = run({"import"});
    EXPECT_EQ(status, 2) << output;
}

} // namespace
} // namespace kestovan
