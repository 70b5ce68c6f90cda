#include "profiles/profile_tree.h"
#include "profiles/site_profile.h"
#include "profiles/state_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestovan {
namespace {

std::string all_bytes_from(int first)
{
    std::string text;
    for (int c = first; c <= 0xFF; ++c)
        text.push_back(static_cast<char>(c));
    return text;
}

TEST(PasswordForm, PlainCharactersKeepTheThreeDigitForm)
{
    EXPECT_EQ(scramble_password("abc"), "059077078");
    EXPECT_EQ(unscramble_password("059077078"), "abc");
    EXPECT_EQ(scramble_password(""), "");
    EXPECT_EQ(unscramble_password(""), "");
}

TEST(PasswordForm, EveryPasswordReadsBackUnchanged)
{
    std::string printable;
    for (char c = 0x20; c < 0x7F; ++c)
        printable.push_back(c);
    std::string long_mixed; // reaches past the position where the formula would need four digits
    for (int i = 0; i < 1500; ++i)
        long_mixed.push_back(static_cast<char>(1 + (i * 37) % 255));

    const std::vector<std::string> passwords = {
        printable,           all_bytes_from(1), all_bytes_from(0x80),
        "\xC3\xA9t\xC3\xA9", long_mixed,        std::string(600, '\xFF')};
    for (const std::string& password : passwords) {
        const std::string stored = scramble_password(password);
        ASSERT_EQ(stored.size(), 3 * password.size());
        EXPECT_EQ(stored.find_first_not_of("0123456789"), std::string::npos);
        EXPECT_EQ(unscramble_password(stored), password) << "length " << password.size();
    }
}

TEST(PasswordForm, DamagedTextNeverYieldsNulOrGarbageLength)
{
    EXPECT_EQ(unscramble_password("05907"), "a" + std::string(1, static_cast<char>((7 - 1) ^ 0x2E)));
    EXPECT_EQ(unscramble_password("090"), ""); // decodes to NUL: the password ends there
    EXPECT_LE(unscramble_password("zzzzzzzzz").size(), 3u);
}

SiteProfile full_profile(const std::string& text)
{
    SiteProfile p;
    p.server = text + "srv";
    p.port = text + "2121";
    p.username = text + "user";
    p.account = text + "acct";
    p.password = text + "pw";
    p.local_folder = text + "/home/me";
    p.remote_folder = text + "/pub";
    p.comment = text + "note";
    p.passive = 1;
    p.name_case = CASE_LOWER_FILES | CASE_LOWER_FOLDERS;
    p.save_password = 1;
    p.anonymous = 1;
    p.user = 7;
    p.encryption = ENCRYPTION_IMPLICIT;
    return p;
}

void expect_same_stored_fields(const SiteProfile& a, const SiteProfile& b)
{
    EXPECT_EQ(a.server, b.server);
    EXPECT_EQ(a.port, b.port);
    EXPECT_EQ(a.username, b.username);
    EXPECT_EQ(a.account, b.account);
    EXPECT_EQ(a.password, b.password);
    EXPECT_EQ(a.local_folder, b.local_folder);
    EXPECT_EQ(a.remote_folder, b.remote_folder);
    EXPECT_EQ(a.comment, b.comment);
    EXPECT_EQ(a.passive, b.passive);
    EXPECT_EQ(a.name_case, b.name_case);
    EXPECT_EQ(a.save_password, b.save_password);
    EXPECT_EQ(a.anonymous, b.anonymous);
    EXPECT_EQ(a.user, b.user);
    EXPECT_EQ(a.encryption, b.encryption);
}

SiteProfile read_back(const std::string& text, std::uint8_t& kind)
{
    SiteProfile p;
    parse_profile_text(text, p, kind);
    return p;
}

TEST(ProfileText, AbsentFieldsWriteOnlyTheNumberLines)
{
    EXPECT_EQ(format_profile_file(SiteProfile{}, KIND_SITE, "Site"),
              "NAME=Site\nPASV=0\nCASE=0\nTYP=3\nSAVE=0\nANON=0\nUSER=0\nTLS=2\n");
    EXPECT_EQ(format_profile_file(SiteProfile{}, KIND_URL_PROFILE, ""),
              "PASV=0\nCASE=0\nTYP=4\nSAVE=0\nANON=0\nUSER=0\n");
}

TEST(ProfileText, NewProfilesRequireTlsAndTextsWithoutTheLineUseItIfAvailable)
{
    EXPECT_EQ(SiteProfile{}.encryption, ENCRYPTION_EXPLICIT);
    const struct {
        const char* text;
        std::uint8_t encryption;
    } rows[] = {
        {"SERVER=s\n", ENCRYPTION_EXPLICIT_IF_AVAILABLE}, // written before the line existed, or imported
        {"SERVER=s\nTLS=0\n", ENCRYPTION_PLAIN},
        {"SERVER=s\nTLS=3\n", ENCRYPTION_IMPLICIT},
        {"SERVER=s\nTLS=9\n", ENCRYPTION_EXPLICIT}, // a later version's choice never falls back to plain
    };
    for (const auto& row : rows) {
        std::uint8_t kind = 0;
        EXPECT_EQ(read_back(row.text, kind).encryption, row.encryption) << row.text;
    }
    EXPECT_EQ(parse_profile_tree("NAME=a\nSERVER=s\n").front()->session->encryption,
              ENCRYPTION_EXPLICIT_IF_AVAILABLE);
}

TEST(ProfileText, AbsentEmptyAndSetFieldsReadBackExactly)
{
    for (const std::string& text : {std::string(), std::string(" lead")}) {
        const SiteProfile written = full_profile(text);
        std::uint8_t kind = 0;
        const SiteProfile read = read_back(format_profile_file(written, KIND_SITE, "n"), kind);
        expect_same_stored_fields(written, read);
        EXPECT_EQ(kind, KIND_SITE);
    }
    SiteProfile empty;
    for (auto* field : {&empty.server, &empty.port, &empty.username, &empty.account, &empty.password,
                        &empty.local_folder, &empty.remote_folder, &empty.comment})
        *field = "";
    empty.save_password = 1;
    const std::string text = format_profile_file(empty, KIND_SITE, "n");
    EXPECT_NE(text.find("\nSERVER=\n"), std::string::npos);
    EXPECT_NE(text.find("\nPASSWORD=\n"), std::string::npos);
    std::uint8_t kind = 0;
    expect_same_stored_fields(empty, read_back(text, kind));
    expect_same_stored_fields(SiteProfile{},
                              read_back(format_profile_file(SiteProfile{}, KIND_SITE, "n"), kind));
}

TEST(ProfileText, PasswordIsWrittenOnlyWhenSaved)
{
    SiteProfile p = full_profile("");
    p.save_password = 0;
    const std::string text = format_profile_file(p, KIND_SITE, "n");
    EXPECT_EQ(text.find("PASSWORD="), std::string::npos);
    std::uint8_t kind = 0;
    EXPECT_EQ(read_back(text, kind).password, std::nullopt);
}

TEST(ProfileText, LineRules)
{
    struct Case {
        const char* what;
        std::string text;
        std::optional<std::string> server;
        std::uint8_t passive;
    };
    const std::string long_value(PROFILE_LINE_LIMIT + 50, 'x');
    const std::vector<Case> cases = {
        {"CR LF reads like LF, trailing blanks go", "SERVER= host \r\nPASV=1\r\n", " host", 1},
        {"keys are case-sensitive", "server=low\nPasv=1\n", std::nullopt, 0},
        {"keys only at the line start", " SERVER=x\nXPASV=1\n", std::nullopt, 0},
        {"the last value wins", "SERVER=a\nSERVER=b\nPASV=1\nPASV=0\n", "b", 0},
        {"lenient numbers", "PASV=12abc\n", std::nullopt, 12},
        {"byte fields keep the low byte", "PASV=-1\n", std::nullopt, 255},
        {"not a number", "PASV=x1\n", std::nullopt, 0},
        {"a long line loses its tail, which is no line of its own", "COMMENT=" + long_value + "\nSERVER=ok\n",
         "ok", 0},
        {"the tail of a long line cannot inject a key", "COMMENT=" + long_value + "SERVER=evil\n",
         std::nullopt, 0},
        {"NUL ends the line", std::string("SERVER=a\0b\n", 11), "a", 0},
        {"no final line feed", "SERVER=end", "end", 0},
    };
    for (const Case& c : cases) {
        std::uint8_t kind = 0;
        const SiteProfile p = read_back(c.text, kind);
        EXPECT_EQ(p.server, c.server) << c.what;
        EXPECT_EQ(p.passive, c.passive) << c.what;
    }
    std::uint8_t kind = 0;
    const SiteProfile p = read_back("COMMENT=" + long_value + "\n", kind);
    EXPECT_EQ(p.comment->size(), PROFILE_LINE_LIMIT - 8);
}

TEST(ProfileText, ValuesCannotStartALineOfTheirOwn)
{
    SiteProfile p;
    p.comment = "one\nSERVER=evil";
    std::uint8_t kind = 0;
    const SiteProfile read = read_back(format_profile_file(p, KIND_SITE, "n"), kind);
    EXPECT_EQ(read.server, std::nullopt);
    EXPECT_EQ(read.comment, "oneSERVER=evil");
}

TEST(ProfileText, NumbersOutOfRange)
{
    std::uint8_t kind = 0;
    const SiteProfile p = read_back("USER=99999999999999999999\nCASE=300\nTYP=-99999999999999999999\n", kind);
    EXPECT_EQ(p.user, 2147483647);
    EXPECT_EQ(p.name_case, 300 & 0xFF);
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(lenient_number("-99999999999999999999"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(lenient_number(" \t+42x"), 42);
}

TEST(CopyProfile, CopiesStoredFieldsButNoSessionState)
{
    SiteProfile original = full_profile("c");
    original.name = "name";
    original.file_path = "Profiles/name.ftp";
    original.temporary = true;
    original.kind_copy = 3;
    DirEntry node;
    original.node = &node;
    original.refresh_path = "/x";
    original.hammer_attempt = 3;

    const auto copy = copy_profile(&original);
    EXPECT_EQ(copy->name, "name");
    EXPECT_EQ(copy->file_path, original.file_path);
    EXPECT_EQ(copy->server, original.server);
    EXPECT_EQ(copy->password, original.password);
    EXPECT_EQ(copy->comment, original.comment);
    EXPECT_EQ(copy->passive, 1);
    EXPECT_EQ(copy->anonymous, 1);
    EXPECT_EQ(copy->user, 0);
    EXPECT_FALSE(copy->temporary);
    EXPECT_EQ(copy->node, nullptr);
    EXPECT_EQ(copy->refresh_path, std::nullopt);
    EXPECT_EQ(copy->hammer_attempt, 0);

    const auto empty = copy_profile(nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->server, std::nullopt);
}

TEST(AnonymousLogin, FallsBackFromProfileToSettingToDefault)
{
    struct Case {
        std::uint8_t anonymous;
        std::optional<std::string> user, password;
        std::string email;
        std::string want_user, want_password;
    };
    const std::string fallback(DEFAULT_ANONYMOUS_PASSWORD);
    const std::vector<Case> cases = {
        {1, std::nullopt, std::nullopt, "", "anonymous", fallback},
        {1, "", "", "me@example.org", "anonymous", "me@example.org"},
        {1, "ftp", "secret", "me@example.org", "ftp", "secret"},
        {0, std::nullopt, std::nullopt, "me@example.org", "", ""},
        {0, "bob", "pw", "me@example.org", "bob", "pw"},
    };
    for (const Case& c : cases) {
        SiteProfile p;
        p.anonymous = c.anonymous;
        p.username = c.user;
        p.password = c.password;
        const LoginValues v = anonymous_login(p, c.email);
        EXPECT_EQ(v.user, c.want_user);
        EXPECT_EQ(v.password, c.want_password);
    }
    EXPECT_NE(fallback.find('@'), std::string::npos);
}

} // namespace
} // namespace kestovan
