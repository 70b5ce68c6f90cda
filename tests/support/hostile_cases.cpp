#include "support/hostile_cases.h"

#include "support/test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace kestovan::test {

namespace {

bool holds_any(const std::string& text, const std::string& alternatives)
{
    for (std::size_t at = 0;;) {
        const std::size_t bar = alternatives.find('|', at);
        if (text.find(alternatives.substr(at, bar - at)) != std::string::npos)
            return true;
        if (bar == std::string::npos)
            return false;
        at = bar + 1;
    }
}

QStringList substituted(const QStringList& args, std::uint16_t port, const QString& dir)
{
    QStringList out;
    for (QString arg : args)
        out << arg.replace("{url}", QString("ftp://u:p@127.0.0.1:%1").arg(port))
                   .replace("{port}", QString::number(port))
                   .replace("{dir}", dir);
    return out;
}

// Names at the top of root other than the run's own folder: anything the client wrote where it
// must not.
std::vector<std::string> strays(const std::string& root)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(root))
        if (entry.path().filename() != "dir")
            found.push_back(entry.path().filename().string());
    return found;
}

} // namespace

void script_login(ScriptedFtpServer& server)
{
    server.reply("220 hi").expect("USER u").reply("331 pw").expect("PASS p").reply("230 ok");
}

void run_hostile_cases(const std::vector<HostileCase>& cases, const HostileOptions& options)
{
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir root;
        const QString dir = root.filePath("dir");
        std::filesystem::create_directory(dir.toStdString());
        if (c.prepare)
            c.prepare(dir.toStdString());
        ScriptedFtpServer server;
        if (c.login)
            script_login(server);
        c.script(server);
        server.start();

        QStringList args{"--timeout", QString::number(options.timeout_ms)};
        args << options.extra_args << substituted(c.args, server.port(), dir);
        const auto started = std::chrono::steady_clock::now();
        // The client runs in the folder above its own, so a relative path it should not write lands
        // where strays() sees it.
        const CliRun run = run_cli(args, options.bound_ms * 2, root.path(),
                                   substituted(options.launcher, server.port(), dir));
        const auto took =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started)
                .count();

        EXPECT_LT(took, options.bound_ms) << c.name << ": the run took " << took << " ms";
        EXPECT_EQ(run.status, c.status) << c.name << ": stderr: " << run.err.substr(0, 2000);
        const std::string said = run.out + run.err;
        EXPECT_TRUE(holds_any(said, c.message))
            << c.name << ": \"" << c.message << "\" not in: " << said.substr(0, 2000);
        EXPECT_EQ(strays(root.path().toStdString()), std::vector<std::string>{})
            << c.name << ": wrote outside its folder";
        if (run.status == 0 && c.complete_file) {
            const std::string file = (dir + "/f").toStdString();
            ASSERT_TRUE(std::filesystem::exists(file)) << c.name << ": reported complete, no file";
            EXPECT_TRUE(read_file(file) == *c.complete_file)
                << c.name << ": reported complete, but the file differs from the server's";
        }
        if (c.script_must_finish) {
            EXPECT_TRUE(server.wait_done(2000)) << c.name << ": " << server.failure();
        }
        if (c.check)
            c.check(run, dir.toStdString());
    }
}

} // namespace kestovan::test
