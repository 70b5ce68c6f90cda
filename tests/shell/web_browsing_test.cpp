// URL profiles and web links in the shell: a URL profile's page becomes web-link children with a
// Tasks row, a web link downloads into the local folder, unusable link names are refused, and the
// window and the command-line client send the same User-Agent.
#include "platform/registry.h"
#include "profiles/profile_tree.h"
#include "profiles/site_profile.h"
#include "settings/browser.h"
#include "settings/settings.h"
#include "shell/remote_browser.h"
#include "shell/shell_harness.h"
#include "shell/task_rows.h"
#include "shell/web_browsing.h"
#include "support/cli_process.h"
#include "support/http_servers.h"
#include "support/scripted_http_server.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kestovan {
namespace {

TEST(WebLinkFileName, TakesTheLastSegmentWithoutQueryOrFragment)
{
    EXPECT_EQ(web_link_file_name("http://h/a/b/file.zip?x=1#top"), "file.zip");
    EXPECT_EQ(web_link_file_name("https://h:8080/"), "index.html");
    EXPECT_EQ(web_link_file_name("http://h"), "index.html");
    EXPECT_EQ(web_link_file_name("http://h/dir/"), "index.html");
    // Encoded or not, a name that could leave the folder is refused.
    EXPECT_EQ(web_link_file_name("http://h/a/.."), "");
    EXPECT_EQ(web_link_file_name("http://h/a\\b"), "");
}

struct WebShell : test::ShellHarness {
    DirEntry& add_url_profile(const std::string& name, const std::string& url)
    {
        auto node = make_profile_node(name, KIND_URL_PROFILE);
        auto profile = std::make_unique<SiteProfile>();
        profile->name = name;
        profile->server = url;
        attach_profile(*node, std::move(profile));
        ctx().tree.push_back(std::move(node));
        return *ctx().tree.back();
    }
    static const Task* row_named(const TaskRows& rows, const std::string& name)
    {
        for (const auto& row : rows.rows())
            if (row->name == name)
                return row.get();
        return nullptr;
    }
};

TEST(WebBrowsingOnAServer, AUrlProfileListsItsLinksAndALinkDownloads)
{
    test::PythonHttpServer server;
    const std::string base = "http://127.0.0.1:" + std::to_string(server.port());
    server.make_file("index.html", "<html><body><a href=\"files/a.bin\">A</a> <a href=\"FILES/A.BIN\">dup</a>"
                                   "<a href=\"b.txt#top\">B</a></body></html>");
    std::string payload(700000, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>(i * 7 + 3);
    server.make_file("files/a.bin", payload);

    WebShell h;
    DirEntry& page = h.add_url_profile("Downloads page", base + "/index.html");
    h.shell->sessions().connect(&page, false);
    ASSERT_TRUE(h.wait([&] { return page.children.size() == 2; }, 10000));
    EXPECT_EQ(page.children[0]->name, "files/a.bin");
    EXPECT_EQ(page.children[1]->name, "b.txt");
    const Task* fetch_row = WebShell::row_named(h.ctx().tasks, base + "/index.html");
    ASSERT_NE(fetch_row, nullptr);
    EXPECT_EQ(fetch_row->state, TASK_DONE);
    EXPECT_FALSE(h.shell->web().fetching(page));

    h.shell->browser().open_row(page.children[0].get());
    const std::string local = h.ctx().local_folder + "/a.bin";
    ASSERT_TRUE(h.wait(
        [&] {
            const Task* row = WebShell::row_named(h.ctx().tasks, local);
            return row && row->state != TASK_RUNNING;
        },
        10000));
    EXPECT_EQ(WebShell::row_named(h.ctx().tasks, local)->state, TASK_DONE);
    std::ifstream in(local, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), payload);

    // A link to a missing file fails its row and leaves no file named as if it had arrived.
    h.shell->browser().open_row(page.children[1].get());
    const std::string missing = h.ctx().local_folder + "/b.txt";
    ASSERT_TRUE(h.wait(
        [&] {
            const Task* row = WebShell::row_named(h.ctx().tasks, missing);
            return row && row->state != TASK_RUNNING;
        },
        10000));
    EXPECT_EQ(WebShell::row_named(h.ctx().tasks, missing)->state, TASK_FAILED);
}

TEST(WebBrowsingOnAServer, AFailedPageFetchFailsItsRowAndKeepsTheChildren)
{
    test::PythonHttpServer server;
    const std::string base = "http://127.0.0.1:" + std::to_string(server.port());
    WebShell h;
    DirEntry& page = h.add_url_profile("Gone", base + "/nothing-here.html");
    auto old = std::make_unique<DirEntry>();
    old->kind = KIND_WEB_LINK;
    old->name = "kept.html";
    page.add_child(std::move(old));
    h.shell->web().fetch_page(page);
    ASSERT_TRUE(h.wait([&] { return !h.shell->web().fetching(page); }, 10000));
    const Task* row = WebShell::row_named(h.ctx().tasks, base + "/nothing-here.html");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->state, TASK_FAILED);
    ASSERT_EQ(page.children.size(), 1u);
    EXPECT_EQ(page.children[0]->name, "kept.html");
}

TEST(WebBrowsingOnAServer, RefreshFetchesAUrlProfilesPageAgainAndRebuildsItsLinks)
{
    test::PythonHttpServer server;
    const std::string base = "http://127.0.0.1:" + std::to_string(server.port());
    server.make_file("index.html", "<a href=\"one.zip\">1</a>");
    WebShell h;
    DirEntry& page = h.add_url_profile("Page", base + "/index.html");
    h.shell->browser().open_row(&page);
    ASSERT_TRUE(h.wait([&] { return page.children.size() == 1; }, 10000));
    server.make_file("index.html", "<a href=\"two.zip\">2</a> <a href=\"three.zip\">3</a>");
    h.shell->run_command(cmd::REFRESH_LIST);
    ASSERT_TRUE(h.wait([&] { return page.children.size() == 2; }, 10000));
    EXPECT_EQ(page.children[0]->name, "two.zip");
    EXPECT_EQ(page.children[1]->name, "three.zip");
}

std::string user_agent_line(const std::string& request)
{
    const auto start = request.find("\r\nUser-Agent:");
    return start == std::string::npos
               ? ""
               : request.substr(start + 2, request.find("\r\n", start + 2) - start - 2);
}

TEST(WebBrowsingOnAServer, TheWindowAndTheCommandLineClientIntroduceThemselvesAlike)
{
    test::ScriptedHttpServer server;
    server.accept().expect_request().respond(200, {}, "<a href=a.zip>a</a>").close();
    server.accept().expect_request().respond(200, {}, "a").close();
    server.start();
    WebShell h;
    DirEntry& page = h.add_url_profile("Page", server.url("/index.html"));
    h.shell->web().fetch_page(page);
    ASSERT_TRUE(h.wait([&] { return !h.shell->web().fetching(page); }, 10000));
    QTemporaryDir dir;
    const test::CliRun run =
        test::run_cli({"fetch", QString::fromStdString(server.url("/a.zip")), dir.filePath("a.zip")});
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_TRUE(server.wait_done(5000)) << server.failure();
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(user_agent_line(requests[0]), "User-Agent: Kestovan FTP");
    EXPECT_EQ(user_agent_line(requests[1]), user_agent_line(requests[0]));
}

struct RecordingLauncher : Launcher {
    std::vector<std::vector<std::string>> started;
    bool works = true;
    bool start(const std::string& program, const std::vector<std::string>& arguments) override
    {
        std::vector<std::string> call{program};
        call.insert(call.end(), arguments.begin(), arguments.end());
        started.push_back(call);
        return works;
    }
};

TEST(WebBrowsing, ConnectingAWebLinkOpensItsAddressInTheBrowser)
{
    WebShell h;
    DirEntry& page = h.add_url_profile("Page", "http://127.0.0.1:9/dir/index.html");
    auto link = std::make_unique<DirEntry>();
    link->kind = KIND_WEB_LINK;
    link->name = "files/a.zip";
    DirEntry& added = page.add_child(std::move(link));
    RecordingLauncher launcher;
    h.shell->web().set_launcher(launcher);
    h.settings.set_text(KEY_BROWSER, "/usr/bin/test-browser");
    h.ctx().selected = &added;
    h.shell->sessions().connect(&added, false);
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0].front(), "/usr/bin/test-browser");
    EXPECT_EQ(launcher.started[0].back(), "http://127.0.0.1:9/dir/files/a.zip")
        << "resolved against its page";

    // A browser that does not start is reported.
    launcher.works = false;
    h.shell->sessions().connect(&added, false);
    ASSERT_FALSE(h.prompts.asked.empty());
    EXPECT_EQ(h.prompts.asked.back().caption, "Browser Error");
}

TEST(WebBrowsing, TheFaqOpensTheInstalledAddressOrSaysThereIsNone)
{
    WebShell h;
    QTemporaryDir folder;
    Registry registry(folder.path().toStdString());
    RecordingLauncher launcher;
    h.shell->web().set_launcher(launcher);
    h.settings.set_text(KEY_BROWSER, "/usr/bin/test-browser");

    h.shell->web().open_faq(registry, "de");
    EXPECT_TRUE(launcher.started.empty());
    ASSERT_EQ(h.prompts.asked.size(), 1u);
    EXPECT_EQ(h.prompts.asked.back().text, "No address is set for the FAQ in this installation.");

    ASSERT_TRUE(registry.write_string(Hive::LocalMachine, "Software\\KESTOVAN\\Kestovan FTP", "faq",
                                      "https://faq.example/%LANG%/"));
    h.shell->web().open_faq(registry, "de");
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0].back(), "https://faq.example/de/");
    EXPECT_EQ(h.prompts.asked.size(), 1u);
}

} // namespace
} // namespace kestovan
