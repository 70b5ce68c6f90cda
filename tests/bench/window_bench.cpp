// Figures of the window against vsftpd on loopback, printed rather than asserted (the machine is
// shared, so a timed assertion would only be noise): with 20 sessions open, how long a folder opened
// in the remote list takes on our side (from the double-click until the LIST goes out, and from the
// server's final reply until the rows are shown); the same for a folder of 20 000 entries and the
// time a click on each column title takes to sort it; the worst event-loop delay during a 1 GiB
// download. Run by scripts/bench-window; ctest does not run it.
#include "profiles/profile_tree.h"
#include "profiles/site_profile.h"
#include "settings/settings.h"
#include "shell/application.h"
#include "shell/widgets/command_dialog.h"
#include "shell/widgets/main_window.h"
#include "support/cli_process.h"
#include "support/vsftpd_server.h"
#include "views/widgets/remote_list.h"
#include "views/widgets/remote_list_model.h"

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <unistd.h>

namespace kestovan {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int SESSIONS = 20;
constexpr int SMALL_FOLDERS = 7;
constexpr int LARGE_ENTRIES = 20000;
constexpr std::int64_t BIG_FILE = std::int64_t{1} << 30;

double ms_between(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void figure(const char* name, double value, const char* unit)
{
    std::printf("%-58s %10.1f %s\n", name, value, unit);
    std::fflush(stdout);
}

struct SilentSounds : Sounds {
    void play(std::string_view, bool) override {}
};

// When each log entry was shown, by its text.
struct LogTimes : LogObserver {
    struct Line {
        const SiteProfile* profile;
        std::string text;
        Clock::time_point at;
    };
    std::vector<Line> lines;
    void log_appended(const SiteProfile* profile, const std::vector<LogSegment>& entry, bool) override
    {
        std::string text;
        for (const auto& segment : entry)
            text += segment.text;
        lines.push_back({profile, std::move(text), Clock::now()});
    }
    void log_cleared(const SiteProfile*) override {}
    [[nodiscard]] std::optional<Clock::time_point> first(std::size_t from, const SiteProfile* profile,
                                                         std::string_view prefix) const
    {
        for (std::size_t i = from; i < lines.size(); ++i)
            if (lines[i].profile == profile && lines[i].text.starts_with(prefix))
                return lines[i].at;
        return std::nullopt;
    }
};

// The lateness of a 2 ms timer's ticks: how long the event loop was kept from running.
struct LoopProbe {
    static constexpr int INTERVAL_MS = 2;
    QTimer timer;
    Clock::time_point last = Clock::now();
    std::vector<double> late;
    LoopProbe()
    {
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const auto now = Clock::now();
            late.push_back(std::max(0.0, ms_between(last, now) - INTERVAL_MS));
            last = now;
        });
        timer.start(INTERVAL_MS);
    }
};

// Runs the event loop as the program does (test::wait_until sleeps between its rounds, which would
// hold back the transfer being measured) until pred holds, checking it every millisecond.
bool run_until(const std::function<bool()>& pred, int timeout_ms)
{
    if (pred())
        return true;
    QEventLoop loop;
    QTimer check;
    check.setTimerType(Qt::PreciseTimer);
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (pred())
            loop.quit();
    });
    check.start(1);
    QTimer::singleShot(timeout_ms, &loop, &QEventLoop::quit);
    loop.exec();
    return pred();
}

TEST(WindowBench, Figures)
{
    test::VsftpdServer server;
    for (int i = 0; i < SMALL_FOLDERS; ++i) {
        const std::string folder = "small" + std::to_string(i);
        server.make_file(folder + "/a.txt", "a");
        server.make_file(folder + "/b.txt", "b");
        server.make_folder(folder + "/c");
    }
    for (int i = 0; i < LARGE_ENTRIES; ++i)
        server.make_file("large/file-" + std::to_string(100000 + i) + "-with-a-longer-name.dat", "");
    server.make_random_file("big.bin", BIG_FILE);

    QTemporaryDir data;
    ShellPrompts prompts{nullptr};
    SilentSounds sounds;
    Application app{prompts, sounds};
    std::string error;
    ASSERT_TRUE(app.prepare_folders(data.path().toStdString(), &error)) << error;
    const std::filesystem::path profiles = std::filesystem::path(data.path().toStdString()) / "Profiles";
    std::filesystem::create_directories(profiles);
    for (int i = 0; i < SESSIONS; ++i) {
        const std::string name = "Bench " + std::to_string(10 + i);
        auto node = make_profile_node(name, KIND_SITE);
        auto profile = std::make_unique<SiteProfile>();
        profile->name = name;
        profile->server = "127.0.0.1";
        profile->port = std::to_string(server.port());
        profile->username = server.user();
        profile->password = server.password();
        profile->passive = 1;
        profile->save_password = 1;
        attach_profile(*node, std::move(profile));
        ASSERT_TRUE(write_profile_file(*node, (profiles / (name + ".ftp")).string()));
    }
    const std::string downloads = (std::filesystem::path(data.path().toStdString()) / "downloads").string();
    std::filesystem::create_directories(downloads);

    app.load_state();
    app.settings.set_integer(KEY_VIEW, VIEW_DEFAULT);
    app.start_engine();
    auto window = std::make_unique<MainWindow>(app, prompts);
    window->apply_view_flags();
    window->resize(1280, 800);
    window->show();
    ShellContext& ctx = app.shell->context();
    ctx.local_folder = downloads;
    window->local_list_changed();
    LogTimes log;
    ctx.log.add_observer(&log);

    auto* list = window->findChild<RemoteList*>(QStringLiteral("1218"));
    ASSERT_NE(list, nullptr);
    RemoteListModel& model = list->list_model();
    auto row_named = [&](const std::string& name) -> QModelIndex {
        for (int r = 0; r < model.rowCount(); ++r)
            if (model.index(r, RemoteListModel::COL_FILE).data().toString().toStdString() == name)
                return model.index(r, RemoteListModel::COL_FILE);
        return {};
    };
    auto double_click = [&](const QModelIndex& index) {
        list->setCurrentIndex(index);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
    };

    DirEntry* last_site = nullptr;
    for (int i = 0; i < SESSIONS; ++i) {
        last_site = app.find_profile("Bench " + std::to_string(10 + i));
        ASSERT_NE(last_site, nullptr);
        app.shell->browser().select_node(last_site);
        app.shell->sessions().connect(last_site, false);
    }
    ASSERT_TRUE(run_until([&] { return row_named("large").isValid(); }, 30000)) << server.log();
    const SiteProfile* profile = last_site->session;
    ASSERT_TRUE(run_until(
        [&] {
            std::size_t logged_in = 0;
            std::vector<const SiteProfile*> seen;
            for (const auto& line : log.lines)
                if (line.text.starts_with("230") &&
                    std::find(seen.begin(), seen.end(), line.profile) == seen.end()) {
                    seen.push_back(line.profile);
                    ++logged_in;
                }
            return logged_in == SESSIONS;
        },
        30000))
        << "not every session logged in";

    // Opens a folder of the shown list; returns our two shares and the whole time, in ms.
    struct Opening {
        double to_command = 0, after_reply = 0, whole = 0;
    };
    auto open_folder = [&](const std::string& folder,
                           const std::string& expected_row) -> std::optional<Opening> {
        const std::size_t from = log.lines.size();
        const auto clicked = Clock::now();
        double_click(row_named(folder));
        if (!run_until([&] { return row_named(expected_row).isValid(); }, 30000))
            return std::nullopt;
        const auto shown = Clock::now();
        const auto sent = log.first(from, profile, "LIST");
        const auto reply = log.first(from, profile, "226");
        if (!sent || !reply)
            return std::nullopt;
        return Opening{ms_between(clicked, *sent), ms_between(*reply, shown), ms_between(clicked, shown)};
    };

    std::vector<double> to_command, after_reply, whole;
    for (int i = 0; i < SMALL_FOLDERS; ++i) {
        const auto opening = open_folder("small" + std::to_string(i), "a.txt");
        ASSERT_TRUE(opening) << "small" << i << " did not list";
        to_command.push_back(opening->to_command);
        after_reply.push_back(opening->after_reply);
        whole.push_back(opening->whole);
        double_click(row_named(".."));
        ASSERT_TRUE(run_until([&] { return row_named("large").isValid(); }, 10000));
    }
    std::printf("\n%d sessions open; a 3-entry folder opened in the list (median of %d):\n", SESSIONS,
                SMALL_FOLDERS);
    figure("double-click until the LIST goes out", median(to_command), "ms");
    figure("the server's final reply until the rows are shown", median(after_reply), "ms");
    figure("double-click until the rows are shown (server included)", median(whole), "ms");

    const auto large = open_folder("large", "file-100000-with-a-longer-name.dat");
    ASSERT_TRUE(large) << "the large folder did not list";
    std::printf("\na folder of %d entries:\n", LARGE_ENTRIES);
    figure("double-click until the LIST goes out", large->to_command, "ms");
    figure("the server's final reply until the rows are shown", large->after_reply, "ms");
    figure("double-click until the rows are shown (server included)", large->whole, "ms");
    for (int column = RemoteListModel::COL_FILE; column < RemoteListModel::COLUMN_COUNT; ++column) {
        const auto start = Clock::now();
        model.click_column(column);
        QApplication::processEvents();
        const std::string name = "sorting by column " + std::to_string(column) + " (" +
                                 model.headerData(column, Qt::Horizontal).toString().toStdString() + ")";
        figure(name.c_str(), ms_between(start, Clock::now()), "ms");
    }
    model.click_column(RemoteListModel::COL_FILE);
    double_click(row_named(".."));
    ASSERT_TRUE(run_until([&] { return row_named("big.bin").isValid(); }, 10000));

    ::sync(); // the big file's own writing must not throttle the download's
    std::printf("\ndownloading big.bin\n");
    std::fflush(stdout);
    LoopProbe probe;
    const auto started = Clock::now();
    double_click(row_named("big.bin"));
    const std::string local = downloads + "/big.bin";
    ASSERT_TRUE(run_until(
        [&] {
            std::error_code ec;
            return std::filesystem::file_size(local, ec) == static_cast<std::uintmax_t>(BIG_FILE) &&
                   log.first(0, profile, "226 Transfer complete").has_value();
        },
        120000));
    const double seconds = ms_between(started, Clock::now()) / 1000;
    std::vector<double> late = probe.late;
    std::sort(late.begin(), late.end());
    std::printf("\na 1 GiB download in the window (%.2f s, %.0f MB/s):\n", seconds,
                static_cast<double>(BIG_FILE) / 1e6 / seconds);
    figure("worst event-loop delay", late.empty() ? 0 : late.back(), "ms");
    figure("99th percentile of the event-loop delay", late.empty() ? 0 : late[late.size() * 99 / 100], "ms");

    // The command-line client on the same file and machine, for a ratio that the machine's load
    // does not distort.
    std::filesystem::remove(local);
    ::sync();
    const auto cli_started = Clock::now();
    const auto run =
        test::run_cli({QStringLiteral("get"),
                       QString::fromStdString("ftp://" + server.user() + ":" + server.password() +
                                              "@127.0.0.1:" + std::to_string(server.port()) + "/big.bin"),
                       QString::fromStdString(local)},
                      120000);
    const double cli_seconds = ms_between(cli_started, Clock::now()) / 1000;
    ASSERT_EQ(run.status, 0) << run.err;
    figure("the same download by kestovan-ftp-cli", cli_seconds, "s");
    figure("window time against the command-line client's", seconds / cli_seconds, "x");
    std::printf("\n");

    ctx.log.remove_observer(&log);
    app.shutdown();
    window.reset();
    app.engine.engine_shutdown();
}

} // namespace
} // namespace kestovan
