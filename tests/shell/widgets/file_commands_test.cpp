// Compare, CHMOD and Edit in the main window against vsftpd, as a user reaches them: the toolbar
// and button commands, the dialog on a real entry, the editor started for the file, the offer to
// end an edit whose editor runs on its own. The editor is
// $KESTOVAN_EDITOR when set (a real editor under Xvfb), else a script that appends to the file.
// With KESTOVAN_SHOTS_DIR set, screenshots are saved there.
#include "platform/window.h"
#include "profiles/profile_tree.h"
#include "profiles/site_profile.h"
#include "shell/application.h"
#include "shell/widgets/command_dialog.h"
#include "shell/widgets/main_window.h"
#include "support/test_environment.h"
#include "support/test_files.h"
#include "support/vsftpd_server.h"
#include "views/widgets/local_pane.h"
#include "views/widgets/remote_list.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace kestovan {
namespace {

namespace fs = std::filesystem;

void save_shot(QWidget& widget, const char* name)
{
    const char* folder = std::getenv("KESTOVAN_SHOTS_DIR");
    if (!folder || !*folder)
        return;
    fs::create_directories(folder);
    widget.grab().save(QString::fromUtf8(folder) + "/" + QString::fromLatin1(name) + ".png");
}

std::vector<std::string> selected_names(QAbstractItemView& view, int name_column)
{
    std::vector<std::string> names;
    for (const QModelIndex& index : view.selectionModel()->selectedRows(name_column))
        names.push_back(index.data().toString().toStdString());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileCommandsWindow, CompareChmodAndEditAgainstVsftpd)
{
    test::VsftpdServer server;
    server.make_file("same.txt", "12345");
    server.make_file("changed.txt", "remote version\n");
    server.make_file("remote-only.txt", "r");
    server.make_folder("pub");

    QTemporaryDir data;
    ShellPrompts prompts{nullptr};
    Sounds sounds;
    Application app{prompts, sounds};
    std::string error;
    ASSERT_TRUE(app.prepare_folders(data.path().toStdString(), &error)) << error;
    app.load_state();
    app.start_engine();
    {
        auto node = make_profile_node("Local vsftpd", KIND_SITE);
        auto profile = std::make_unique<SiteProfile>();
        profile->name = "Local vsftpd";
        profile->server = "127.0.0.1";
        profile->port = std::to_string(server.port());
        profile->username = server.user();
        profile->password = server.password();
        profile->passive = 1;
        profile->encryption = ENCRYPTION_PLAIN; // the test server speaks no TLS
        attach_profile(*node, std::move(profile));
        app.shell->context().tree.push_back(std::move(node));
    }
    const std::string local = data.filePath("local").toStdString();
    fs::create_directories(local);
    test::write_file(local + "/same.txt", "12345");
    test::write_file(local + "/changed.txt", "local");
    test::write_file(local + "/local-only.txt", "l");
    if (!std::getenv("KESTOVAN_EDITOR")) {
        const std::string script = data.filePath("editor.sh").toStdString();
        test::write_file(script, "#!/bin/sh\nprintf 'edited\\n' >> \"$1\"\n");
        fs::permissions(script, fs::perms::owner_all);
        app.shell->view_edit().tools().editor = [script] { return ProgramCommand{script, {}}; };
    }

    auto window = std::make_unique<MainWindow>(app, prompts);
    prompts.set_parent(window.get());
    window->apply_view_flags();
    window->resize(1100, 700);
    window->show();
    ShellContext& ctx = app.shell->context();
    ctx.local_folder = local;
    window->local_list_changed();
    DirEntry* site = app.find_profile("Local vsftpd");
    ASSERT_NE(site, nullptr);
    app.shell->browser().select_node(site);
    app.shell->sessions().connect(site, false);
    auto* list = window->findChild<RemoteList*>("1218");
    auto* local_pane = window->findChild<LocalPane*>();
    ASSERT_TRUE(list && local_pane);
    auto row_named = [&](const std::string& name) -> QModelIndex {
        RemoteListModel& model = list->list_model();
        for (int r = 0; r < model.rowCount(); ++r)
            if (model.index(r, RemoteListModel::COL_FILE).data().toString().toStdString() == name)
                return model.index(r, RemoteListModel::COL_FILE);
        return {};
    };
    ASSERT_TRUE(
        test::wait_until([&] { return row_named("same.txt").isValid() && !ctx.is_busy(site); }, 10000))
        << server.log();

    // Compare (the toolbar's button).
    ASSERT_TRUE(window->action(1883)->isEnabled());
    window->action(1883)->trigger();
    EXPECT_EQ(selected_names(*list, RemoteListModel::COL_FILE),
              (std::vector<std::string>{"changed.txt", "pub", "remote-only.txt"}));
    EXPECT_EQ(selected_names(local_pane->list_view(), 1),
              (std::vector<std::string>{"changed.txt", "local-only.txt"}));
    EXPECT_EQ(ctx.status.text(STATUS_MESSAGE), "File Compare: Local: 2 files, Remote: 3 files");
    save_shot(*window, "compare");

    // CHMOD on a real entry: the dialog as it opens, one click, OK.
    list->setCurrentIndex(row_named("changed.txt"));
    ctx.focus = FOCUS_REMOTE;
    std::string title_seen;
    QTimer::singleShot(300, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        title_seen = dialog->windowTitle().toStdString();
        save_shot(*dialog, "chmod-real-entry");
        QTest::mouseClick(dialog->findChild<QCheckBox*>("owner_execute"), Qt::LeftButton);
        dialog->findChild<QPushButton*>("1")->click();
    });
    window->action(1880)->trigger();
    EXPECT_EQ(title_seen, "CHMOD 644 changed.txt");
    ASSERT_TRUE(test::wait_until(
        [&] {
            const QModelIndex row = row_named("changed.txt");
            const DirEntry* entry = row.isValid() ? list->list_model().entry(row) : nullptr;
            return entry && entry->permissions == "-rwxr--r--";
        },
        10000))
        << server.log();

    // Edit (the button): the editor changes the file, and the change arrives on the server.
    list->setCurrentIndex(row_named("changed.txt"));
    ctx.focus = FOCUS_REMOTE;
    app.window.send_message(WM_COMMAND, 1881); // the button column's Edit
    ASSERT_TRUE(test::wait_until(
        [&] {
            return test::read_file(server.path("changed.txt")) != "remote version\n" &&
                   !app.shell->view_edit().editing().running();
        },
        20000))
        << server.log();
    std::cout << "edited on the server: " << test::read_file(server.path("changed.txt"));
    EXPECT_EQ(test::read_file(server.path("changed.txt")).rfind("remote version", 0), 0u);
    save_shot(*window, "after-edit");

    // An editor that hands the file on and exits at once: the window offers to end the edit.
    app.shell->view_edit().tools().editor = [] { return ProgramCommand{"/bin/sh", {"-c", "exit 0", "sh"}}; };
    // The folder was listed again after the upload, which clears the selection: choose the row anew.
    ASSERT_TRUE(test::wait_until(
        [&] { return app.engine.connections().size() == 1 && row_named("changed.txt").isValid(); }, 10000));
    list->setCurrentIndex(row_named("changed.txt"));
    ctx.focus = FOCUS_REMOTE;
    app.window.send_message(WM_COMMAND, 1881);
    QMessageBox* box = nullptr;
    ASSERT_TRUE(
        test::wait_until([&] { return (box = window->findChild<QMessageBox*>("editing_watch")); }, 10000))
        << server.log();
    EXPECT_TRUE(box->isVisible());
    EXPECT_NE(box->text().toStdString().find("'/changed.txt'"), std::string::npos)
        << box->text().toStdString();
    save_shot(*box, "editing-watch");
    box->findChild<QPushButton*>("done")->click();
    EXPECT_FALSE(app.shell->view_edit().editing().running());
    EXPECT_FALSE(fs::exists(app.shell->view_edit().scratch_folder() + "/changed.txt"));

    app.shutdown();
    window.reset();
    app.engine.engine_shutdown();
}

} // namespace
} // namespace kestovan
