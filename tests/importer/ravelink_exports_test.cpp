// The six exported functions as a caller sees them: return codes, the target file, and detection
// through a Wine prefix's registry files.
#include "importer/import_codes.h"
#include "importer/ravelink.h"
#include "importer/source_file.h"
#include "importer/wine_registry.h"
#include "profiles/profile_tree.h"
#include "site_list_builders.h"
#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

namespace kestovan {
namespace {

using test::CuteFile;
using test::FtpvFile;

// The three imports with the same argument order (source, target).
struct Importer {
    const char* name;
    std::function<int(const char*, const char*)> run;
    std::string valid_source;
    int target_failure; // the code for a target that cannot be opened
};

std::vector<Importer> importers()
{
    CuteFile::Site site;
    site.id = 1;
    site.name = "s";
    site.host = "h";
    return {
        {"FTP Voyager", [](const char* s, const char* t) { return importFTPV(t, s); },
         FtpvFile().folder("Top").folder("F").site("s", "h", "/").bytes(), IMPORT_OPEN_FAILED},
        {"CuteFTP", importCuteFTP, CuteFile().site(site).bytes(), IMPORT_OPEN_FAILED},
        {"WS_FTP", importWSFTP, "[s]\nHOST=h\n", IMPORT_READ_FAILED},
    };
}

class RavelinkExports : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return (folder_ / name).string(); }
    std::string source(const Importer& importer) const
    {
        const std::string file = path(std::string("source-") + importer.name);
        test::write_file(file, importer.valid_source);
        return file;
    }

    QTemporaryDir dir_;
    std::filesystem::path folder_ = dir_.path().toStdString();
};

TEST_F(RavelinkExports, MissingArguments)
{
    for (const Importer& importer : importers()) {
        const std::string good = source(importer);
        for (const auto& [s, t] : std::vector<std::pair<const char*, const char*>>{
                 {nullptr, "t"}, {good.c_str(), nullptr}, {"", "t"}, {good.c_str(), ""}, {nullptr, nullptr}})
            EXPECT_EQ(importer.run(s, t), IMPORT_MISSING_ARGUMENT) << importer.name;
    }
}

TEST_F(RavelinkExports, FilesThatCannotBeOpened)
{
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    for (const Importer& importer : importers()) {
        const std::string target = path("ftp.sav");
        const int source_failure =
            std::string(importer.name) == "WS_FTP" ? IMPORT_UNRECOGNISED : IMPORT_OPEN_FAILED;
        EXPECT_EQ(importer.run(path("missing").c_str(), target.c_str()), source_failure) << importer.name;
        EXPECT_EQ(importer.run(folder_.c_str(), target.c_str()), source_failure)
            << importer.name << ": a folder";
        EXPECT_EQ(importer.run(path("fifo").c_str(), target.c_str()), source_failure)
            << importer.name << ": a pipe without writer must not block";
        EXPECT_FALSE(std::filesystem::exists(target))
            << importer.name << ": nothing written, nothing created";

        const std::string good = source(importer);
        EXPECT_EQ(importer.run(good.c_str(), path("no/such/folder/ftp.sav").c_str()), importer.target_failure)
            << importer.name;
        EXPECT_EQ(importer.run(good.c_str(), folder_.c_str()), importer.target_failure) << importer.name;
        EXPECT_EQ(importer.run(good.c_str(), path("fifo").c_str()), importer.target_failure) << importer.name;
    }
}

TEST_F(RavelinkExports, OversizedSourceIsAReadError)
{
    test::write_file(path("huge"), "");
    std::filesystem::resize_file(path("huge"), SITE_LIST_LIMIT + 1);
    for (const Importer& importer : importers())
        EXPECT_EQ(importer.run(path("huge").c_str(), path("ftp.sav").c_str()), IMPORT_READ_FAILED)
            << importer.name;
}

TEST_F(RavelinkExports, NothingRecognisableWritesNothing)
{
    test::write_file(path("empty"), "");
    test::write_file(path("junk"), std::string(5000, '\x80'));
    for (const Importer& importer : importers()) {
        for (const char* name : {"empty", "junk"}) {
            EXPECT_EQ(importer.run(path(name).c_str(), path("ftp.sav").c_str()), IMPORT_UNRECOGNISED)
                << importer.name << " " << name;
        }
        EXPECT_FALSE(std::filesystem::exists(path("ftp.sav"))) << importer.name;
    }
}

TEST_F(RavelinkExports, AppendingTwiceKeepsWhatWasThere)
{
    for (const Importer& importer : importers()) {
        const std::string target = path(std::string("tree-") + importer.name);
        test::write_file(target, "NAME=seed\nSERVER=seed.example.test"); // no line feed at the end
        const std::string good = source(importer);
        ASSERT_EQ(importer.run(good.c_str(), target.c_str()), IMPORT_OK) << importer.name;
        const std::string once = test::read_file(target);
        ASSERT_EQ(importer.run(good.c_str(), target.c_str()), IMPORT_OK) << importer.name;
        const std::string twice = test::read_file(target);
        EXPECT_EQ(twice, once + once.substr(once.find('\n', once.find("SERVER=")) + 1)) << importer.name;

        const EntryChain tree = read_profile_tree(target);
        ASSERT_EQ(tree.size(), 3u) << importer.name;
        EXPECT_EQ(tree[0]->session->server, "seed.example.test") << importer.name;
        EXPECT_EQ(tree[1]->name, tree[2]->name) << importer.name;
    }
}

TEST_F(RavelinkExports, TargetIsPrivateAndNoLinkIsFollowed)
{
    const Importer ws = importers()[2];
    const std::string good = source(ws);
    ASSERT_EQ(importWSFTP(good.c_str(), path("new.sav").c_str()), IMPORT_OK);
    struct stat info {};
    ASSERT_EQ(::stat(path("new.sav").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    test::write_file(path("elsewhere"), "untouched");
    std::filesystem::create_symlink(path("elsewhere"), path("link.sav"));
    EXPECT_EQ(importWSFTP(good.c_str(), path("link.sav").c_str()), IMPORT_READ_FAILED);
    EXPECT_EQ(importFTPV(path("link.sav").c_str(), source(importers()[0]).c_str()), IMPORT_OPEN_FAILED);
    EXPECT_EQ(test::read_file(path("elsewhere")), "untouched");
}

// Lowers the soft file-size limit for the life of the object; SIGXFSZ is ignored meanwhile, so a write
// past the limit fails with EFBIG instead of ending the process.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lowered{bytes, old_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;
    ~ScopedFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, old_handler_);
    }

private:
    rlimit old_{};
    void (*old_handler_)(int) = nullptr;
};

TEST_F(RavelinkExports, AFailedWriteTakesBackWhatItAppended)
{
    const std::string seed = "NAME=seed\nSERVER=seed.example.test\n";
    for (const Importer& importer : importers()) {
        const std::string target = path(std::string("full-") + importer.name);
        test::write_file(target, seed);
        const std::string good = source(importer);
        int code = 0;
        {
            // The append fails a few bytes in, half-way through an entry.
            const ScopedFileSizeLimit limit(seed.size() + 20);
            code = importer.run(good.c_str(), target.c_str());
        }
        EXPECT_EQ(code, importer.target_failure) << importer.name;
        EXPECT_EQ(test::read_file(target), seed) << importer.name << ": the seed alone is left";
    }
}

class Detection : public RavelinkExports {
protected:
    void write_registry(const std::string& file, const std::string& text) const
    {
        test::write_file(path("prefix/" + file),
                         "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n" + text);
    }

    void SetUp() override { std::filesystem::create_directories(folder_ / "prefix"); }
};

TEST_F(Detection, NothingInstalledInAnEmptyOrMissingPrefix)
{
    {
        const test::ScopedEnv prefix("WINEPREFIX", path("prefix"));
        EXPECT_EQ(isFTPVInstalled(), 0);
        EXPECT_EQ(isCuteInstalled(), 0);
        EXPECT_EQ(isWSFTPInstalled(), 0);
    }
    const test::ScopedEnv prefix("WINEPREFIX", std::nullopt);
    const test::ScopedEnv home("HOME", path("home"));
    EXPECT_EQ(wine_prefix(), folder_ / "home" / ".wine");
    EXPECT_EQ(isFTPVInstalled(), 0);
}

TEST_F(Detection, KeysAndValuesOfTheRegistryFiles)
{
    const test::ScopedEnv prefix("WINEPREFIX", path("prefix"));
    write_registry(
        "system.reg",
        "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\FTPVoyager.exe] 1700000000\n"
        "#time=1d9a\n"
        "@=\"C:\\\\Program Files\\\\FTP Voyager\\\\FTPVoyager.exe\"\n"
        "\"Path\"=\"C:\\\\Program Files\\\\FTP Voyager\"\n\n"
        "[Software\\\\Wow6432Node\\\\Ipswitch\\\\WS_FTP] 1700000000\n"
        "@=str(2):\"C:\\\\WS_FTP\"\n");
    write_registry("user.reg", "[Software\\\\GlobalSCAPE\\\\CuteFTP 4.0] 1700000000\r\n@=\"4.0\"\r\n");
    EXPECT_EQ(isFTPVInstalled(), 1);
    EXPECT_EQ(isCuteInstalled(), 1);
    EXPECT_EQ(isWSFTPInstalled(), 1) << "the 32-bit view of a 64-bit prefix, names without regard to case";

    write_registry("user.reg", "[Software\\\\GlobalSCAPE\\\\CuteFTP 4.0] 1700000000\n\"Version\"=\"4.0\"\n");
    EXPECT_EQ(isCuteInstalled(), 0) << "the key without a default value";
    write_registry("system.reg",
                   "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\FTPVoyager.exe]\n"
                   "@=\"x\"\n[Software\\\\ipswitch\\\\ws_ftp\\\\sub]\n@=\"x\"\n");
    EXPECT_EQ(isFTPVInstalled(), 0) << "the key without the Path value";
    EXPECT_EQ(isWSFTPInstalled(), 0) << "only a sub-key";
    write_registry("user.reg", "[Software\\\\GlobalSCAPE\\\\CuteFTP 4.0] 1\n[Other]\n@=\"x\"\n");
    EXPECT_EQ(isCuteInstalled(), 0) << "a default value of the next key";
}

TEST(WineRegistryText, EscapedNames)
{
    struct Case {
        const char* what;
        std::string text;
        std::string key;
        std::string value;
        bool found;
    };
    const std::vector<Case> cases = {
        {"escaped quote in a value name", "[K]\n\"a\\\"b\"=\"x\"\n", "K", "a\"b", true},
        {"escaped bracket in a key name", "[K\\]x]\n@=\"x\"\n", "K]x", "", true},
        {"a value name is not found by its prefix", "[K]\n\"Pathname\"=\"x\"\n", "K", "Path", false},
        {"hex escape outside ASCII never matches", "[K\\x00e9]\n@=\"x\"\n", "K\xC3\xA9", "", false},
        {"a key line without its closing bracket", "[K\n@=\"x\"\n", "K", "", false},
        {"dword values count", "[K]\n\"n\"=dword:00000001\n", "K", "N", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(registry_text_has_value(c.text, c.key, c.value), c.found) << c.what;
}

} // namespace
} // namespace kestovan
