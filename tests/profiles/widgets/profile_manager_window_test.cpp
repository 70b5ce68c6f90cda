// The Profile Manager window offscreen: its pages show the selected record, edits in the controls
// reach the profile at once, the label edit renames the file, and Cancel closes without writing.
#include "profiles/widgets/profile_manager_window.h"
#include "profiles/widgets/profile_pages.h"
#include "settings/settings.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"
#include "ui/widgets/window_fit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace kestovan {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::write_file;

struct WindowHarness {
    WindowHarness()
    {
        profiles = fs::path(dir.path().toStdString()) / "Profiles";
        fs::create_directories(profiles / "links");
        write_file((profiles / "site.ftp").string(),
                   "SERVER=127.0.0.1\nPORT=2121\nUSERNAME=bob\nREMOTE=/pub\n"
                   "COMMENT=note\nPASV=1\nCASE=2\n");
        write_file((profiles / "links" / "home.url").string(), "SERVER=http://127.0.0.1/\nCOMMENT=web\n");
        settings.set_text(KEY_EMAIL, "me@home.test");
        window =
            std::make_unique<ProfileManagerWindow>(prompts, settings, clipboard, profiles, nullptr, nullptr);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->on_closed = [this](bool was_cancelled) { cancelled = was_cancelled; };
        window->open(nullptr, 0);
        window->show();
    }

    QLineEdit& box(FormControl control) const { return *window->ftp_page().line_edit(control); }
    QTreeWidgetItem* item(const QString& name) const
    {
        const auto found = window->tree().findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
    }

    QTemporaryDir dir;
    fs::path profiles;
    test::ScriptedPrompts prompts;
    Settings settings;
    ProfileClipboard clipboard;
    std::unique_ptr<ProfileManagerWindow> window;
    std::optional<bool> cancelled;
};

TEST(ProfileManagerWindow, PagesShowTheSelectedRecord)
{
    WindowHarness h;
    ProfileManagerWindow& w = *h.window;
    ASSERT_EQ(w.model().selection()->name, "site");
    EXPECT_TRUE(w.pages().isTabVisible(0));
    EXPECT_FALSE(w.pages().isTabVisible(1));
    EXPECT_EQ(h.box(CTL_HOST).text(), "127.0.0.1");
    EXPECT_EQ(h.box(CTL_PORT).text(), "2121");
    EXPECT_EQ(h.box(CTL_USER).text(), "bob");
    EXPECT_EQ(h.box(CTL_REMOTE_FOLDER).text(), "/pub");
    EXPECT_EQ(w.ftp_page().name_list().currentText(), "site");
    EXPECT_TRUE(w.ftp_page().check_box(CTL_PASSIVE)->isChecked());
    EXPECT_TRUE(w.ftp_page().check_box(CTL_LOWER_FOLDERS)->isChecked());
    EXPECT_FALSE(w.ftp_page().check_box(CTL_LOWER_FILES)->isChecked());
    EXPECT_FALSE(h.box(CTL_ANONYMOUS_USER).isVisible());
    EXPECT_EQ(w.statusBar()->currentMessage(), "127.0.0.1/pub");
    EXPECT_FALSE(w.button(pm_cmd::CONNECT_BUTTON)->isEnabled()) << "no main window to connect in";
    // A file from before the encryption choice: TLS when the server offers it.
    EXPECT_EQ(w.ftp_page().encryption_list().currentText(), "Explicit TLS if available");
    if (const char* folder = std::getenv("KESTOVAN_SHOTS_DIR"); folder && *folder) {
        fs::create_directories(folder);
        w.grab().save(QString::fromUtf8(folder) + "/profile-manager.png");
    }

    w.tree().setCurrentItem(h.item("home"));
    EXPECT_EQ(w.model().selection()->name, "home");
    EXPECT_TRUE(w.pages().isTabVisible(1));
    EXPECT_FALSE(w.pages().isTabVisible(0));
    EXPECT_EQ(w.url_page().line_edit(CTL_URL)->text(), "http://127.0.0.1/");
    EXPECT_EQ(w.url_page().line_edit(CTL_URL_COMMENT)->text(), "web");

    w.tree().setCurrentItem(h.item("links"));
    EXPECT_TRUE(w.pages().isTabVisible(2));
    EXPECT_EQ(w.folder_page().line_edit(CTL_FOLDER_TITLE)->text(), "links");
}

TEST(ProfileManagerWindow, ControlEditsAreStoredAtOnce)
{
    WindowHarness h;
    ProfileManagerWindow& w = *h.window;
    DirEntry& site = *w.model().selection();
    h.box(CTL_COMMENT).selectAll();
    QTest::keyClicks(&h.box(CTL_COMMENT), "changed");
    EXPECT_EQ(site.session->comment, "changed");
    EXPECT_TRUE(is_modified(site));
    w.ftp_page().check_box(CTL_LOWER_FILES)->click();
    EXPECT_EQ(site.session->name_case, CASE_LOWER_FILES | CASE_LOWER_FOLDERS);
    QComboBox& encryption = w.ftp_page().encryption_list();
    QTest::keyClick(&encryption, Qt::Key_Up); // from "Explicit TLS if available" to "Implicit TLS"
    EXPECT_EQ(site.session->encryption, ENCRYPTION_IMPLICIT);
    EXPECT_EQ(h.box(CTL_PORT).text(), "2121") << "a port of the user's own stays";

    // Typing "anonymous" swaps the pair of boxes.
    h.box(CTL_USER).selectAll();
    QTest::keyClicks(&h.box(CTL_USER), "Anonymous");
    EXPECT_TRUE(w.ftp_page().check_box(CTL_ANONYMOUS)->isChecked());
    EXPECT_TRUE(h.box(CTL_ANONYMOUS_USER).isVisible());
    EXPECT_FALSE(h.box(CTL_USER).isVisible());
    EXPECT_EQ(h.box(CTL_ANONYMOUS_PASSWORD).text(), "me@home.test");

    // Emptying the host disables the other boxes.
    h.box(CTL_HOST).selectAll();
    QTest::keyClick(&h.box(CTL_HOST), Qt::Key_Delete);
    EXPECT_FALSE(h.box(CTL_PORT).isEnabled());
    EXPECT_TRUE(h.box(CTL_HOST).isEnabled());
}

TEST(ProfileManagerWindow, CancelClosesWithoutWritingAndTheCloseBoxSaves)
{
    WindowHarness h;
    const std::string before = read_file((h.profiles / "site.ftp").string());
    QTest::keyClicks(&h.box(CTL_ACCOUNT), "acct");
    h.window->button(pm_cmd::CANCEL_BUTTON)->click();
    EXPECT_EQ(h.cancelled, true);
    EXPECT_FALSE(h.window->isVisible());
    EXPECT_EQ(read_file((h.profiles / "site.ftp").string()), before);

    WindowHarness escaped;
    QTest::keyClicks(&escaped.box(CTL_ACCOUNT), "acct");
    QTest::keyClick(&escaped.box(CTL_ACCOUNT), Qt::Key_Escape);
    EXPECT_EQ(escaped.cancelled, true) << "Escape is Cancel";
    EXPECT_FALSE(escaped.window->isVisible());

    WindowHarness again;
    QTest::keyClicks(&again.box(CTL_ACCOUNT), "acct");
    again.window->close();
    EXPECT_EQ(again.cancelled, false);
    EXPECT_NE(read_file((again.profiles / "site.ftp").string()).find("ACCT=acct\n"), std::string::npos);
}

TEST(ProfileManagerWindow, AWindowPlacedBelowTheScreenIsMovedOntoIt)
{
    WindowHarness h;
    const QRect area = h.window->screen()->availableGeometry();
    h.window->move(area.left() + 10, area.bottom() - 50);
    keep_on_screen(*h.window);
    EXPECT_TRUE(area.contains(h.window->frameGeometry())) << "bottom " << h.window->frameGeometry().bottom();
}

TEST(ProfileManagerWindow, LabelEditRenamesTheFileOrRestoresTheLabel)
{
    WindowHarness h;
    write_file((h.profiles / "other.ftp").string(), "SERVER=x\n");
    h.window->open(nullptr, 0);
    QTreeWidgetItem* site = h.item("site");
    ASSERT_NE(site, nullptr);
    site->setText(0, "renamed");
    EXPECT_TRUE(fs::exists(h.profiles / "renamed.ftp"));
    EXPECT_FALSE(fs::exists(h.profiles / "site.ftp"));

    site->setText(0, "other");
    EXPECT_EQ(site->text(0), "renamed") << "refused: the label goes back";
    EXPECT_EQ(h.prompts.count("message"), 1);
    EXPECT_EQ(read_file((h.profiles / "other.ftp").string()), "SERVER=x\n");
}

} // namespace
} // namespace kestovan
