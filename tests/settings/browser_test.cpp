#include "settings/browser.h"
#include "settings/settings.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>

namespace kestovan {
namespace {

// Records what would be started; programs listed in refuse fail to start.
class RecordingLauncher final : public Launcher {
public:
    std::vector<std::string> refuse;
    std::vector<BrowserCommand> started;

    bool start(const std::string& program, const std::vector<std::string>& arguments) override
    {
        started.push_back({program, arguments});
        return std::find(refuse.begin(), refuse.end(), program) == refuse.end();
    }
};

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(Browser, CommandsFollowSettingThenBrowserVariableThenDesktopOpener)
{
    const BrowserCommand opener{"xdg-open", {"%s"}};
    EXPECT_EQ(browser_commands("", "", false), (std::vector<BrowserCommand>{opener}));
    EXPECT_EQ(browser_commands("", "w3m:firefox --private-window %s:  :lynx", false),
              (std::vector<BrowserCommand>{
                  {"w3m", {"%s"}}, {"firefox", {"--private-window", "%s"}}, {"lynx", {"%s"}}, opener}));
    // A chosen browser is not silently replaced by another one.
    EXPECT_EQ(browser_commands("konqueror --profile web", "w3m", false),
              (std::vector<BrowserCommand>{{"konqueror", {"--profile", "web", "%s"}}}));
}

TEST(Browser, NewWindowIsAskedOnlyOfBrowsersThatKnowIt)
{
    EXPECT_EQ(browser_commands("/usr/bin/firefox", "", true),
              (std::vector<BrowserCommand>{{"/usr/bin/firefox", {"--new-window", "%s"}}}));
    EXPECT_EQ(browser_commands("/usr/bin/firefox", "", false),
              (std::vector<BrowserCommand>{{"/usr/bin/firefox", {"%s"}}}));
    EXPECT_EQ(browser_commands("lynx", "", true), (std::vector<BrowserCommand>{{"lynx", {"%s"}}}));
    EXPECT_EQ(browser_commands("", "", true), (std::vector<BrowserCommand>{{"xdg-open", {"%s"}}}));
}

TEST(Browser, ASettingThatNamesAnExistingFileIsOneProgramEvenWithBlanks)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("My Browser").toStdString();
    std::ofstream(path) << "#!/bin/sh\n";
    EXPECT_EQ(browser_commands(path, "", false), (std::vector<BrowserCommand>{{path, {"%s"}}}));
}

TEST(Browser, TargetsWithoutAColonAreTakenFromTheWorkingFolder)
{
    EXPECT_EQ(web_page_target("help.htm", "/home/u/kestovan"), "/home/u/kestovan/help.htm");
    EXPECT_EQ(web_page_target("temp/a b.html", "/w"), "/w/temp/a b.html");
    EXPECT_EQ(web_page_target("https://example.org/x", "/w"), "https://example.org/x");
    EXPECT_EQ(web_page_target("/usr/share/doc/index.html", "/w"), "/usr/share/doc/index.html");
}

TEST(Browser, FaqAddressTakesTheLanguageCodeOrLeavesItsFolderOutForEnglish)
{
    struct Case {
        const char* stored;
        std::optional<std::string> language;
        const char* expected;
    };
    for (const Case& c : {
             Case{"https://faq.example/%LANG%/index.htm", "de", "https://faq.example/de/index.htm"},
             Case{"https://faq.example/%LANG%/index.htm", std::nullopt, "https://faq.example/index.htm"},
             Case{"https://faq.example/faq_%LANG%.htm", std::nullopt, "https://faq.example/faq_.htm"},
             Case{"https://faq.example/%LANG%/%LANG%.htm", "fr", "https://faq.example/fr/fr.htm"},
             Case{"https://faq.example/", "de", "https://faq.example/"},
         })
        EXPECT_EQ(faq_address(c.stored, c.language), c.expected) << c.stored;
}

TEST(Browser, OpenWebPageStartsTheFirstBrowserThatWorks)
{
    ScopedEnv env("BROWSER", "nosuch-browser:w3m");
    Settings settings;
    RecordingLauncher launcher;
    launcher.refuse = {"nosuch-browser"};
    EXPECT_TRUE(open_web_page("https://example.org/%s", settings, launcher));
    ASSERT_EQ(launcher.started.size(), 2u);
    EXPECT_EQ(launcher.started[1], (BrowserCommand{"w3m", {"https://example.org/%s"}}));
}

TEST(Browser, OpenWebPageFailsWhenTheChosenBrowserDoesNotStart)
{
    ScopedEnv env("BROWSER", nullptr);
    Settings settings;
    settings.set_text(KEY_BROWSER, "/nonexistent/browser");
    RecordingLauncher launcher;
    launcher.refuse = {"/nonexistent/browser"};
    EXPECT_FALSE(open_web_page("index.html", settings, launcher));
    ASSERT_EQ(launcher.started.size(), 1u);
}

TEST(Browser, OpenWebPageFallsBackToTheDesktopOpenerWithTheFullPath)
{
    ScopedEnv env("BROWSER", nullptr);
    Settings settings;
    settings.set_flag(KEY_NEWWIN, true);
    RecordingLauncher launcher;
    EXPECT_TRUE(open_web_page("help.htm", settings, launcher));
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0].program, "xdg-open");
    ASSERT_EQ(launcher.started[0].arguments.size(), 1u);
    EXPECT_TRUE(launcher.started[0].arguments[0].starts_with("/"));
    EXPECT_TRUE(launcher.started[0].arguments[0].ends_with("/help.htm"));
}

} // namespace
} // namespace kestovan
