// kestovan-ftp-cli when the fault is on the local side: a disk that fills during a download, a target
// folder that cannot be written, a local file that shrinks or disappears while it is uploaded. The
// disks are small tmpfs mounts in the client's own mount namespace, so nothing outside it sees them.
#include "support/hostile_cases.h"
#include "support/test_files.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <regex>

namespace kestovan {
namespace {

using test::HostileCase;
using test::ScriptedFtpServer;

// Mounts a tmpfs with options $1 on the run's folder ($0) in a mount namespace of its own, runs the
// client ("$@" after the shift) and reports how many bytes of {dir}/f it kept.
const char* const MOUNTED_RUN = R"(opts=$1; shift
mount -t tmpfs -o "$opts" kestovan-test "$0" || exit 97
"$@"; status=$?
echo "kept $(stat -c %s "$0/f" 2>/dev/null || echo none) bytes" >&2
exit $status)";

QStringList mounted(const char* options)
{
    return {"unshare", "-m", "--", "sh", "-c", MOUNTED_RUN, "{dir}", options};
}

bool mount_namespaces_work()
{
    QProcess probe;
    probe.start("unshare", {"-m", "--", "sh", "-c", "mount -t tmpfs none /mnt"});
    return probe.waitForFinished(5000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

void download_of(ScriptedFtpServer& s, std::int64_t size)
{
    s.expect("TYPE I").reply("200 ok");
    s.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})").accept_data();
    s.expect("RETR /f").reply("150 Opening BINARY mode data connection for /f (" + std::to_string(size) +
                              " bytes)");
    s.send_data_repeated(std::string(64 * 1024, 'd'), size / (64 * 1024)).close_data().reply("226 Done");
}

std::int64_t kept_bytes(const std::string& err)
{
    std::smatch match;
    if (!std::regex_search(err, match, std::regex("kept (\\d+) bytes")))
        return -1;
    return std::stoll(match[1]);
}

TEST(LocalFaults, DisksThatFillOrRefuse)
{
    if (!mount_namespaces_work())
        GTEST_SKIP() << "mount namespaces are not available here (needs root and unshare -m)";
    test::run_hostile_cases({{.name = "a disk that fills during a download",
                              .script = [](ScriptedFtpServer& s) { download_of(s, 8 * 1024 * 1024); },
                              .args = {"get", "{url}/f", "{dir}/f"},
                              .message = "No space left on device",
                              .check =
                                  [](const test::CliRun& run, const std::string&) {
                                      EXPECT_GT(kept_bytes(run.err), 512 * 1024)
                                          << "what was written is kept: " << run.err;
                                  }}},
                            {.launcher = mounted("size=1m")});
    test::run_hostile_cases({{.name = "a read-only target folder",
                              .script = [](ScriptedFtpServer& s) { download_of(s, 64 * 1024); },
                              .args = {"get", "{url}/f", "{dir}/f"},
                              .message = "Read-only file system"}},
                            {.launcher = mounted("ro")});
}

TEST(LocalFaults, ALocalFileThatShrinksOrDisappearsDuringAnUpload)
{
    constexpr std::int64_t SIZE = 8 * 1024 * 1024;
    auto upload = [](std::shared_ptr<std::string> path, std::function<void(const std::string&)> fault) {
        return [path, fault](ScriptedFtpServer& s) {
            s.expect("TYPE I").reply("200 ok");
            s.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})").accept_data();
            s.expect("STOR /up").reply("150 Ok to send data");
            s.receive_data_bytes(256 * 1024).call([path, fault] { fault(*path); });
            s.receive_data().reply("226 Transfer complete").expect("QUIT").reply("221 bye");
        };
    };
    auto prepare = [](std::shared_ptr<std::string> path) {
        return [path](const std::string& dir) {
            *path = dir + "/up";
            test::write_random_file(*path, SIZE, 5);
        };
    };
    auto truncated = std::make_shared<std::string>();
    auto removed = std::make_shared<std::string>();
    test::run_hostile_cases({
        {.name = "a local file cut short during its upload is not reported as sent",
         .script =
             upload(truncated, [](const std::string& path) { std::filesystem::resize_file(path, 1000); }),
         .args = {"put", "{dir}/up", "{url}/up"},
         .message = "became shorter while it was sent",
         .prepare = prepare(truncated)},
        // The open file stays readable after its name is gone: the whole of it goes.
        {.name = "a local file removed during its upload",
         .script = upload(removed, [](const std::string& path) { std::filesystem::remove(path); }),
         .args = {"put", "{dir}/up", "{url}/up"},
         .status = 0,
         .message = "",
         .prepare = prepare(removed),
         .script_must_finish = true},
    });
}

} // namespace
} // namespace kestovan
