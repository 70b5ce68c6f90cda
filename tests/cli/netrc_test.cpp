// Passwords from ~/.netrc: which entry a URL takes, and the refusal of a file others may read.
#include "cli/netrc.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kestovan {
namespace {

constexpr const char* NETRC = "machine files.test login anna password \"an na\"\n"
                              "macdef init\nmachine files.test login mallory password macro\n\n"
                              "machine files.test login bob password bobs\n"
                              "default login guest password fallback\n"
                              "machine other.test\n  login carl\n  password carls\n";

TEST(Netrc, TheEntryForHostAndUser)
{
    struct Row {
        const char* host;
        const char* user;
        std::optional<NetrcEntry> entry;
    };
    for (const Row& row : {
             Row{"files.test", "", NetrcEntry{"anna", "an na"}}, // the first entry, a quoted password
             Row{"files.test", "bob", NetrcEntry{"bob", "bobs"}},
             Row{"files.test", "mallory", std::nullopt},         // a macro body is no entry
             Row{"other.test", "", NetrcEntry{"carl", "carls"}}, // over several lines
             Row{"unknown.test", "", NetrcEntry{"guest", "fallback"}},
         }) {
        const auto entry = find_netrc_entry(NETRC, row.host, row.user);
        ASSERT_EQ(entry.has_value(), row.entry.has_value()) << row.host << " " << row.user;
        if (!entry)
            continue;
        EXPECT_EQ(entry->login, row.entry->login) << row.host << " " << row.user;
        EXPECT_EQ(entry->password, row.entry->password) << row.host << " " << row.user;
    }
    EXPECT_FALSE(find_netrc_entry("machine a.test login x password y\n", "b.test", ""));
    EXPECT_FALSE(find_netrc_entry("machine a.test login x password y\n", "a.test", "z"));
}

FtpUrl url_of(const char* host, std::string user = {}, std::optional<std::string> password = {})
{
    FtpUrl url;
    url.host = host;
    url.user = std::move(user);
    url.password = std::move(password);
    return url;
}

TEST(Netrc, OnlyAPrivateFileFillsAURLWithoutPassword)
{
    QTemporaryDir dir;
    const std::filesystem::path file = dir.filePath(".netrc").toStdString();
    std::ofstream(file) << "machine 127.0.0.1 login anna password secret\n";
    namespace fs = std::filesystem;

    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
    FtpUrl url = url_of("127.0.0.1");
    EXPECT_EQ(apply_netrc(url, file), NetrcResult::USED);
    EXPECT_EQ(url.user, "anna");
    EXPECT_EQ(url.password, "secret");

    FtpUrl given = url_of("127.0.0.1", "anna", "typed");
    EXPECT_EQ(apply_netrc(given, file), NetrcResult::NO_ENTRY) << "a password in the URL wins";
    EXPECT_EQ(given.password, "typed");

    for (fs::perms open : {fs::perms::others_read, fs::perms::group_read, fs::perms::group_write}) {
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | open,
                        fs::perm_options::replace);
        FtpUrl refused = url_of("127.0.0.1");
        EXPECT_EQ(apply_netrc(refused, file), NetrcResult::UNSAFE);
        EXPECT_FALSE(refused.password);
        EXPECT_EQ(refused.user, "");
    }
    FtpUrl missing = url_of("127.0.0.1");
    EXPECT_EQ(apply_netrc(missing, file.parent_path() / "absent"), NetrcResult::NO_ENTRY);
}

} // namespace
} // namespace kestovan
