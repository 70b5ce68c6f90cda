#include "profiles/state_text.h"
#include "queue/config_file.h"
#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace kestovan {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<Task> download_task()
{
    auto task = std::make_unique<Task>();
    task->name = "file.bin";
    task->profile = std::make_unique<SiteProfile>();
    task->profile->name = "Site";
    task->profile->server = "127.0.0.1";
    task->profile->port = "2121";
    task->profile->username = "user";
    task->profile->password = "abc";
    task->profile->remote_folder = "/pub";
    task->profile->passive = 1;
    task->source = "127.0.0.1/pub/file.bin";
    task->destination = "/home/me/file.bin";
    task->kind = KIND_FILE;
    task->status = TASK_DOWNLOAD;
    task->state = TASK_FAILED;
    task->mode = MODE_BINARY;
    task->size = 5'000'000'000; // beyond 32 bits
    return task;
}

std::unique_ptr<Task> upload_task_without_profile()
{
    auto task = std::make_unique<Task>();
    task->name = "up.txt";
    task->source = "/home/me/up.txt";
    task->status = TASK_UPLOAD;
    return task;
}

std::unique_ptr<Task> local_bookmark()
{
    auto task = std::make_unique<Task>();
    task->name = "/home/me";
    task->kind = KIND_LOCAL_FOLDER;
    task->mode = MODE_BINARY;
    return task;
}

class ConfigFileTest : public ::testing::Test {
protected:
    std::string settings_lines() const
    {
        std::string out;
        settings.write_settings(out);
        return out;
    }

    QTemporaryDir dir;
    fs::path file = fs::path(dir.path().toStdString()) / "config.ini";
    Settings settings;
    ConfigState state{settings};
};

TEST(ConfigVersion, Format)
{
    EXPECT_EQ(format_version({3, 1, 3}), "3.01.003");
    EXPECT_EQ(format_version({11, 12, 1234}), "11.12.1234");
    EXPECT_EQ(format_version(program_version()), "0.01.000");
    EXPECT_EQ(format_version(parse_version_triple("2.x")), "2.00.000");
}

TEST_F(ConfigFileTest, TwoTasksAndABookmarkInOrder)
{
    state.queue.push_back(download_task());
    state.queue.push_back(upload_task_without_profile());
    state.bookmarks.push_back(local_bookmark());
    const std::string text = format_config(state, {3, 1, 3});
    EXPECT_EQ(text,
              "version=3.01.003\nproduct=Kestovan FTP\n" + settings_lines() +
                  "1NAME=file.bin\n1SNAME=Site\n1SERVER=127.0.0.1\n1PORT=2121\n1USERNAME=user\n"
                  "1PASSWORD=059077078\n1STR=/pub\n1PASV=1\n1CASE=0\n1ANON=0\n1USER=0\n1TLS=2\n"
                  "1LOCAL=127.0.0.1/pub/file.bin\n1REMOTE=/home/me/file.bin\n"
                  "1TYP=0\n1STATUS=11\n1STATE=-1\n1MODE=1\n1SIZE=5000000000\n"
                  "1NAME=up.txt\n1LOCAL=/home/me/up.txt\n1TYP=0\n1STATUS=10\n1STATE=0\n1MODE=0\n1SIZE=0\n"
                  "2NAME=/home/me\n2TYP=14\n2STATUS=0\n2STATE=0\n2MODE=1\n2SIZE=0\n");
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST_F(ConfigFileTest, RecordsReadBackExactly)
{
    state.queue.push_back(download_task());
    state.queue.push_back(upload_task_without_profile());
    state.bookmarks.push_back(local_bookmark());
    state.queue[0]->profile->password = std::string("\x01 ~\x7F\x80\xFF", 6);
    state.queue[0]->profile->name_case = 3;
    state.queue[0]->profile->anonymous = 1;
    state.queue[0]->profile->user = -5;
    state.queue[0]->profile->encryption = ENCRYPTION_IMPLICIT;
    state.rename_rules = {RenameRule{"*.htm", "*.html", true, false}, RenameRule{"a*", "b*", false, false}};
    settings.set_text("email", "me@example.org");
    ASSERT_TRUE(write_config(state, file));

    Settings read_settings;
    ConfigState read(read_settings);
    ASSERT_TRUE(read_config(read, file));
    EXPECT_EQ(read_settings.text("email"), "me@example.org");
    ASSERT_EQ(read.queue.size(), 2u);
    ASSERT_EQ(read.bookmarks.size(), 1u);
    const Task& task = *read.queue[0];
    const Task& want = *state.queue[0];
    EXPECT_EQ(task.name, want.name);
    EXPECT_EQ(task.source, want.source);
    EXPECT_EQ(task.destination, want.destination);
    EXPECT_EQ(task.state, TASK_FAILED);
    EXPECT_EQ(task.status, TASK_DOWNLOAD);
    EXPECT_EQ(task.mode, MODE_BINARY);
    EXPECT_EQ(task.size, 5'000'000'000);
    ASSERT_TRUE(task.profile);
    EXPECT_EQ(task.profile->name, "Site");
    EXPECT_EQ(task.profile->server, "127.0.0.1");
    EXPECT_EQ(task.profile->port, "2121");
    EXPECT_EQ(task.profile->username, "user");
    EXPECT_EQ(task.profile->password, want.profile->password);
    EXPECT_EQ(task.profile->remote_folder, "/pub");
    EXPECT_EQ(task.profile->passive, 1);
    EXPECT_EQ(task.profile->name_case, 3);
    EXPECT_EQ(task.profile->anonymous, 1);
    EXPECT_EQ(task.profile->user, -5);
    EXPECT_EQ(task.profile->encryption, ENCRYPTION_IMPLICIT);
    // A record always comes back with a profile, empty when none was written; a record without a
    // "TLS" line (one written before there was one) uses TLS if available.
    ASSERT_TRUE(read.queue[1]->profile);
    EXPECT_EQ(read.queue[1]->profile->encryption, ENCRYPTION_EXPLICIT_IF_AVAILABLE);
    EXPECT_EQ(read.queue[1]->profile->server, std::nullopt);
    EXPECT_EQ(read.queue[1]->destination, std::nullopt);
    EXPECT_EQ(read.bookmarks[0]->kind, KIND_LOCAL_FOLDER);
    ASSERT_EQ(read.rename_rules.size(), 2u);
    EXPECT_EQ(read.rename_rules[1].remote_mask, "b*");
    EXPECT_FALSE(read.rename_rules[1].enabled);

    // Written again, the file is the same except for the profile lines of the records without one.
    Settings again_settings;
    ConfigState again(again_settings);
    ASSERT_TRUE(read_config(again, file));
    again.queue[1]->profile.reset();
    again.bookmarks[0]->profile.reset();
    EXPECT_EQ(format_config(again, program_version()), test::read_file(file.string()));
}

TEST_F(ConfigFileTest, ReadingRules)
{
    struct Case {
        const char* what;
        std::string text;
        std::size_t tasks, bookmarks;
        std::optional<std::string> first_server;
    };
    const std::string long_value(CONFIG_LINE_LIMIT + 10, 'x');
    const std::vector<Case> cases = {
        {"record keys before any NAME are ignored", "2SERVER=x\n2NAME=b\n", 0, 1, std::nullopt},
        {"a key applies to the latest record whatever its digit", "1NAME=t\n2SERVER=srv\n", 1, 0, "srv"},
        {"the name is everything after the first =", "1NAME=a=b\n1SERVER=s\n", 1, 0, "s"},
        {"keys are case-sensitive", "1NAME=t\n1server=s\n1NAMEX=q\n", 1, 0, std::nullopt},
        {"CR LF and trailing blanks", "1NAME=t\r\n1SERVER=s \t\r\n", 1, 0, "s"},
        {"the tail of a long line is dropped, not read as a line",
         "1NAME=t\n1LOCAL=" + long_value + "2NAME=evil\n", 1, 0, std::nullopt},
        {"binary junk", std::string("\0\xFF\n1\n2\n=\n\n1NAME\n", 16), 0, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        Settings s;
        ConfigState st(s);
        parse_config(c.text, st);
        EXPECT_EQ(st.queue.size(), c.tasks) << c.what;
        EXPECT_EQ(st.bookmarks.size(), c.bookmarks) << c.what;
        if (!st.queue.empty()) {
            EXPECT_EQ(st.queue[0]->profile->server, c.first_server) << c.what;
        }
    }
    Settings s;
    ConfigState st(s);
    parse_config("1NAME=t\n1LOCAL=" + long_value + "\n1STATE=-1\n1SIZE=12x\n1TYP=256\n", st);
    ASSERT_EQ(st.queue.size(), 1u);
    EXPECT_EQ(st.queue[0]->source->size(), CONFIG_LINE_LIMIT - 7);
    EXPECT_EQ(st.queue[0]->state, 255);
    EXPECT_EQ(st.queue[0]->size, 12);
    EXPECT_EQ(st.queue[0]->kind, 0);
    EXPECT_EQ(st.queue[0]->name, "t");
}

TEST_F(ConfigFileTest, SettingsAndRenameBlock)
{
    parse_config("HDELAY=2500\nrenamelist={\n\"*.a\",\"*.b\"\n\"x\",\"y\",\"NO\"\n}\n1NAME=after\n", state);
    EXPECT_EQ(settings.integer("hdelay"), 2500);
    ASSERT_EQ(state.rename_rules.size(), 2u);
    EXPECT_EQ(state.rename_rules[0].local_mask, "*.a");
    EXPECT_TRUE(state.rename_rules[0].enabled); // its missing enabled text reads as "???????"
    EXPECT_FALSE(state.rename_rules[1].enabled);
    EXPECT_EQ(state.queue.size(), 1u);

    // A placeholder row first means no block at all.
    state.rename_rules = {RenameRule{"", "", true, true}};
    EXPECT_EQ(format_config(state, {0, 1, 0}).find("renamelist"), std::string::npos);
}

TEST_F(ConfigFileTest, ReadingStartsWithEmptyTexts)
{
    settings.set_text("email", "old@example.org");
    settings.set_integer("hcount", 7);
    bool language_read = false;
    ConfigHooks hooks;
    hooks.after_read = [&] { language_read = true; };
    EXPECT_FALSE(read_config(state, file, hooks));
    EXPECT_EQ(settings.text("email"), "");
    EXPECT_EQ(settings.integer("hcount"), 7);
    EXPECT_TRUE(language_read);
    EXPECT_FALSE(read_config(state, file.parent_path())); // a folder is no config file
}

TEST_F(ConfigFileTest, WriteIsPrivateAndRunsTheHooks)
{
    ConfigHooks hooks;
    hooks.before_write = [](ConfigState& s) { s.settings.set_integer("help", 0); };
    bool stored_language = false;
    hooks.after_write = [&] { stored_language = true; };
    // The file gets other settings than those in use: the running program keeps its own.
    settings.set_text("fhost", "proxy.example.org");
    hooks.settings_to_write = [](const Settings& in_use) {
        Settings written = in_use;
        written.set_text("fhost", "");
        return written;
    };
    ASSERT_TRUE(write_config(state, file, hooks));
    EXPECT_TRUE(stored_language);
    const std::string text = test::read_file(file.string());
    EXPECT_NE(text.find("\nhelp=0\n"), std::string::npos) << "before_write ran first";
    EXPECT_EQ(text.find("fhost="), std::string::npos);
    EXPECT_EQ(settings.text("fhost"), "proxy.example.org");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(ConfigFileTest, AnInterruptedWriteKeepsTheOldFile)
{
    state.queue.push_back(download_task());
    ASSERT_TRUE(write_config(state, file));
    const std::string before = test::read_file(file.string());

    state.queue.clear();
    ConfigHooks hooks;
    bool stored_language = false;
    hooks.after_write = [&] { stored_language = true; };
    hooks.file.after_temp_written = [](const fs::path&) { return false; }; // the process dies here
    const ConfigWriteResult result = write_config(state, file, hooks);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.error, "ERROR W114: Unable to open file 'config.ini'");
    EXPECT_FALSE(stored_language);
    EXPECT_EQ(test::read_file(file.string()), before);

    Settings s;
    ConfigState read(s);
    ASSERT_TRUE(read_config(read, file));
    EXPECT_EQ(read.queue.size(), 1u);
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1);
}

TEST_F(ConfigFileTest, AnUnwritableFileReportsW114)
{
    const ConfigWriteResult result = write_config(state, file.parent_path() / "missing" / "config.ini");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "ERROR W114: Unable to open file 'config.ini'");
}

} // namespace
} // namespace kestovan
