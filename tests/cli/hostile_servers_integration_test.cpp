// kestovan-ftp-cli against servers that are broken or hostile, one table per kind of fault. Every row
// must end within its bound with the right exit status and a message naming the fault, write nothing
// outside its folder and never report a partial file as complete (see support/hostile_cases.h).
#include "support/hostile_cases.h"
#include "support/loopback_socket.h"
#include "support/test_files.h"
#include "views/listing_fields.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kestovan {
namespace {

using namespace std::chrono_literals;
using test::HostileCase;
using test::HostileOptions;
using test::ScriptedFtpServer;

const QStringList LS{"ls", "{url}/d"};
const QStringList GET{"get", "{url}/f", "{dir}/f"};
const QStringList GET_RESUME{"get", "{url}/f", "{dir}/f", "--resume"};

std::string port_bytes(std::uint16_t port)
{
    return std::to_string(port >> 8) + "," + std::to_string(port & 0xFF);
}

std::string file_line(const std::string& name, std::int64_t size = 5)
{
    return "-rw-r--r-- 1 u g " + std::to_string(size) + " Jan 1 2020 " + name + "\r\n";
}

// PASV, LIST /d, 150, whatever data does, the close and 226.
std::function<void(ScriptedFtpServer&)> listing(std::function<void(ScriptedFtpServer&)> data)
{
    return [data = std::move(data)](ScriptedFtpServer& s) {
        s.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})").accept_data();
        s.expect("LIST /d").reply("150 Here comes the listing");
        data(s);
        s.close_data().reply("226 Done").expect("QUIT").reply("221 bye");
    };
}

std::function<void(ScriptedFtpServer&)> listing_text(std::string text)
{
    return listing([text = std::move(text)](ScriptedFtpServer& s) { s.send_data(text); });
}

// TYPE I and PASV for a download, the data connection accepted.
void download_preamble(ScriptedFtpServer& s)
{
    s.expect("TYPE I").reply("200 ok");
    s.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})").accept_data();
}

std::string local_file(const std::string& dir)
{
    return dir + "/f";
}

// The folder download of d: its listing, then each file of it that the client asks for.
std::function<void(ScriptedFtpServer&)> folder_download(std::string listing_text, std::string file_name)
{
    return [listing_text = std::move(listing_text), file_name = std::move(file_name)](ScriptedFtpServer& s) {
        s.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})").accept_data();
        s.expect("LIST /d").reply("150 Here comes the listing").send_data(listing_text).close_data();
        s.reply("226 Done").expect("TYPE I").reply("200 ok");
        s.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})").accept_data();
        s.expect("RETR /d/" + file_name).reply("150 Opening BINARY mode data connection (1 bytes)");
        s.send_data("x").close_data().reply("226 Done").expect("QUIT").reply("221 bye");
    };
}

// Only the one good file of a folder download is written, as {dir}/ok.
void only_ok_written(const test::CliRun&, const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        names.push_back(std::filesystem::relative(entry.path(), dir).string());
    EXPECT_EQ(names, std::vector<std::string>{"ok"});
    EXPECT_EQ(test::read_file(dir + "/ok"), "x");
}

TEST(HostileServers, ListingsAndNames)
{
    const std::string long_4096(4096, 'n');
    const std::string long_10000(10000, 'm');
    const std::vector<HostileCase> cases = {
        {.name = "traversal names in a folder download",
         .script = folder_download(file_line("../evil") + file_line("..") + file_line("/etc/abs") +
                                       file_line("a/../../b") + file_line("ok"),
                                   "ok"),
         .args = {"get", "-r", "{url}/d", "{dir}"},
         .status = 0,
         .message = "skipped '../evil'",
         .check = only_ok_written,
         .script_must_finish = true},
        {.name = "a name of 10 000 bytes in a folder download",
         .script =
             [&](ScriptedFtpServer& s) {
                 s.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})").accept_data();
                 s.expect("LIST /d").reply("150 Here comes the listing");
                 s.send_data(file_line(long_10000) + file_line("ok")).close_data().reply("226 Done");
                 s.expect("TYPE I").reply("200 ok");
                 s.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})");
                 s.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})").accept_data();
                 s.expect("RETR /d/ok").reply("150 Opening BINARY mode data connection (1 bytes)");
                 s.send_data("x").close_data().reply("226 Done").expect("QUIT").reply("221 bye");
             },
         .args = {"get", "-r", "{url}/d", "{dir}"},
         .status = 1,
         .message = "File name too long",
         .check = only_ok_written},
        // Names are cut to the longest the program keeps; the lines after them are read as usual.
        {.name = "names of 4 096 and 10 000 bytes",
         .script = listing_text(file_line(long_4096) + file_line(long_10000) + file_line("short")),
         .args = LS,
         .status = 0,
         .message = "\t" + long_4096.substr(0, MAX_NAME_LENGTH) + "\t",
         .check =
             [&](const test::CliRun& run, const std::string&) {
                 EXPECT_NE(run.out.find("\t" + long_10000.substr(0, MAX_NAME_LENGTH) + "\t"),
                           std::string::npos)
                     << "10 000 bytes";
                 EXPECT_NE(run.out.find("\tshort\t"), std::string::npos);
             }},
        {.name = "control characters and invalid UTF-8 in names",
         .script =
             listing_text(file_line("bell\a\x1b[31mred") + file_line("bad\xff\xfe utf") + file_line("ok")),
         .args = LS,
         .status = 0,
         .message = "\tbell??[31mred\t",
         .check =
             [](const test::CliRun& run, const std::string&) {
                 EXPECT_EQ(run.out.find('\x1b'), std::string::npos) << "an escape reaches the terminal";
                 EXPECT_EQ(run.out.find('\a'), std::string::npos) << "a bell reaches the terminal";
             }},
        {.name = "a size beyond 4 GiB is listed exactly",
         .script = listing_text(file_line("big", 5'000'000'000)),
         .args = LS,
         .status = 0,
         .message = "\tbig\t5000000000\t"},
        // The listing is text up to its first NUL; the run ends cleanly with what came before it.
        {.name = "NUL inside lines",
         .script = listing_text(file_line("before") + file_line(std::string("nul\0inside", 10)) +
                                file_line("after")),
         .args = LS,
         .status = 0,
         .message = "\tbefore\t"},
        {.name = "random bytes",
         .script = listing_text(test::pseudo_random_bytes(1024 * 1024, 7)),
         .args = LS,
         .status = 1,
         .message = "F101"},
        {.name = "5 million lines (280 MB) stop at the listing's bound",
         .script = listing(
             [](ScriptedFtpServer& s) { s.send_data_repeated(file_line(std::string(23, 'x')), 5'000'000); }),
         .args = LS,
         .status = 1,
         .message = "too large"},
        {.name = "300 MB without a line break stop at the listing's bound",
         .script =
             listing([](ScriptedFtpServer& s) { s.send_data_repeated(std::string(1000, 'y'), 300'000); }),
         .args = LS,
         .status = 1,
         .message = "too large"},
    };
    test::run_hostile_cases(cases);
}

TEST(HostileServers, ControlReplies)
{
    auto bytes_of = [](std::string_view text) {
        std::vector<std::string> pieces;
        for (const char c : text)
            pieces.emplace_back(1, c);
        return pieces;
    };
    const QStringList NOOP{"quote", "{url}", "NOOP"};
    std::vector<HostileCase> cases = {
        {.name = "every reply split at every byte",
         .script =
             [&](ScriptedFtpServer& s) {
                 s.send_split(bytes_of("220-hi\r\n220 there\r\n"), 1ms).expect("USER u");
                 s.send_split(bytes_of("331 pw\r\n"), 1ms).expect("PASS p");
                 s.send_split(bytes_of("230 ok\r\n"), 1ms).expect("NOOP");
                 s.send_split(bytes_of("200 fine\r\n"), 1ms).expect("QUIT").reply("221 bye");
             },
         .args = NOOP,
         .status = 0,
         .message = "200 fine",
         .login = false,
         .script_must_finish = true},
        {.name = "replies coalesced with the next",
         .script = listing([](ScriptedFtpServer& s) { s.send_data(file_line("a")); }),
         .args = LS,
         .status = 0,
         .message = "\ta\t"},
        {.name = "a 421 in the same read as the reply before it",
         .script =
             [](ScriptedFtpServer& s) {
                 s.reply("220 hi").expect("USER u").reply("331 pw").expect("PASS p");
                 s.send("230 ok\r\n421 Too many users, closing control connection\r\n").close_control();
             },
         .args = GET,
         .status = 1,
         .message = "421 Too many users",
         .login = false},
        {.name = "a reply nobody asked for",
         .script =
             [](ScriptedFtpServer& s) { s.send("200 nobody asked\r\n").expect("NOOP").reply("200 fine"); },
         .args = NOOP,
         .status = 0,
         .message = "200"},
        {.name = "an endless multi-line reply",
         .script =
             [](ScriptedFtpServer& s) {
                 s.reply("220-welcome").send_repeated("220-and more\r\n", 10'000'000);
             },
         .args = NOOP,
         .status = 1,
         .message = "reply is too long",
         .login = false},
        {.name = "a greeting that never comes",
         .script = [](ScriptedFtpServer& s) { s.pause(20s); },
         .args = NOOP,
         .status = 1,
         .message = "Timeout|timed out",
         .login = false},
        // A refused login is tried once more, then given up: no loop however often the server refuses.
        {.name = "530 after every USER",
         .script =
             [](ScriptedFtpServer& s) {
                 s.reply("220 hi").expect("USER u").reply("530 Not logged in");
                 s.expect("USER u").reply("530 Not logged in").expect("QUIT").reply("221 bye");
             },
         .args = NOOP,
         .status = 1,
         .message = "530",
         .login = false,
         .script_must_finish = true},
        {.name = "503 after every PASS",
         .script =
             [](ScriptedFtpServer& s) {
                 s.reply("220 hi").expect("USER u").reply("331 pw").expect("PASS p").reply(
                     "503 Login with USER first");
                 s.expect("USER u").reply("331 pw").expect("PASS p").reply("503 Login with USER first");
                 s.expect_closed();
             },
         .args = NOOP,
         .status = 1,
         .message = "503",
         .login = false,
         .script_must_finish = true},
    };
    for (const char* code : {"2x0", "99", "1000"})
        cases.push_back({.name = std::string("malformed reply code ") + code,
                         .script =
                             [code](ScriptedFtpServer& s) {
                                 s.reply("220 hi").expect("USER u").reply(std::string(code) + " what");
                             },
                         .args = NOOP,
                         .status = 1,
                         .message = code,
                         .login = false});
    // 421 in place of each reply of a download.
    const std::vector<std::function<void(ScriptedFtpServer&)>> steps = {
        [](ScriptedFtpServer&) {},
        [](ScriptedFtpServer& s) { s.reply("220 hi").expect("USER u"); },
        [](ScriptedFtpServer& s) { s.reply("220 hi").expect("USER u").reply("331 pw").expect("PASS p"); },
        [](ScriptedFtpServer& s) {
            test::script_login(s);
            s.expect("TYPE I");
        },
        [](ScriptedFtpServer& s) {
            test::script_login(s);
            s.expect("TYPE I").reply("200 ok").expect("PASV");
        },
        [](ScriptedFtpServer& s) {
            test::script_login(s);
            download_preamble(s);
            s.expect("RETR /f");
        },
        [](ScriptedFtpServer& s) {
            test::script_login(s);
            download_preamble(s);
            s.expect("RETR /f").reply("150 Opening BINARY mode data connection for /f (3 bytes)");
            s.send_data("abc").close_data();
        },
    };
    for (std::size_t i = 0; i < steps.size(); ++i)
        cases.push_back(
            {.name = "421 as reply " + std::to_string(i + 1) + " of a download",
             .script =
                 [step = steps[i]](ScriptedFtpServer& s) {
                     step(s);
                     s.reply("421 Service not available, closing control connection").close_control();
                 },
             .args = GET,
             .status = 1,
             .message = "421",
             .login = false});
    test::run_hostile_cases(cases);
}

// A server that sends its greeting one byte a second never gets the client past it: the client gives
// up as if it were silent.
TEST(HostileServers, AServerThatDripsOneByteASecond)
{
    std::vector<std::string> drip;
    for (const char c : std::string("220 welcome to a very slow server\r\n"))
        drip.emplace_back(1, c);
    test::run_hostile_cases({{.name = "a greeting dripping one byte a second",
                              .script = [&](ScriptedFtpServer& s) { s.send_split(drip, 1s); },
                              .args = {"quote", "{url}", "NOOP"},
                              .status = 1,
                              .message = "Timeout|timed out",
                              .login = false}},
                            {.timeout_ms = 1000, .bound_ms = 8000});
}

TEST(HostileServers, DataConnections)
{
    const std::uint16_t closed = test::free_loopback_port();
    auto pasv = [](std::string reply) {
        return [reply = std::move(reply)](ScriptedFtpServer& s) {
            s.expect("TYPE I").reply("200 ok").expect("PASV").reply(reply);
        };
    };
    const std::vector<HostileCase> cases = {
        {.name = "227 with a number above 255",
         .script = pasv("227 Entering Passive Mode (127,0,0,1,300,5)"),
         .args = GET,
         .message = "PASV"},
        {.name = "227 with port 0",
         .script = pasv("227 Entering Passive Mode (127,0,0,1,0,0)"),
         .args = GET,
         .message = "PASV"},
        {.name = "227 without parentheses",
         .script = pasv("227 Entering Passive Mode 127,0,0,1,4,5"),
         .args = GET,
         .message = "PASV"},
        {.name = "227 names a port where nothing listens",
         .script =
             [&](ScriptedFtpServer& s) {
                 pasv("227 Entering Passive Mode (127,0,0,1," + port_bytes(closed) + ")")(s);
                 s.expect("RETR /f").reply("425 Can't open data connection.");
             },
         .args = GET,
         .message = "425|10061"},
        {.name = "227 names another host: the data goes to the control peer only",
         .script =
             [](ScriptedFtpServer& s) {
                 s.expect("TYPE I").reply("200 ok");
                 s.expect("PASV")
                     .passive()
                     .reply("227 Entering Passive Mode (10,9,8,7,{pasv_port_bytes})")
                     .accept_data();
                 s.expect("RETR /f").reply("150 Opening BINARY mode data connection for /f (3 bytes)");
                 s.send_data("abc").close_data().reply("226 Done").expect("QUIT").reply("221 bye");
             },
         .args = GET,
         .status = 0,
         .message = "",
         .complete_file = "abc",
         .script_must_finish = true},
        {.name = "active mode where the server never connects",
         .script =
             [](ScriptedFtpServer& s) {
                 s.expect("TYPE I").reply("200 ok");
                 s.expect_pattern("PORT 127,0,0,1,\\d+,\\d+").reply("200 PORT ok");
                 s.expect("RETR /f").reply("150 Opening BINARY mode data connection");
             },
         .args = {"get", "{url}/f", "{dir}/f", "--active"},
         .message = "timed out"},
        {.name = "a data connection that stalls after 1 KiB",
         .script =
             [](ScriptedFtpServer& s) {
                 download_preamble(s);
                 s.expect("RETR /f").reply("150 Opening BINARY mode data connection for /f (5000 bytes)");
                 s.send_data(std::string(1024, 'x'));
             },
         .args = GET,
         .message = "timed out"},
        {.name = "a data connection closed before the 150",
         .script =
             [](ScriptedFtpServer& s) {
                 download_preamble(s);
                 s.close_data();
                 s.expect("RETR /f").reply("150 Opening BINARY mode data connection for /f (1000 bytes)");
                 s.reply("226 Done");
             },
         .args = GET,
         .message = "0 of 1000"},
        {.name = "a reset during an upload",
         .script =
             [](ScriptedFtpServer& s) {
                 s.expect("TYPE I").reply("200 ok");
                 s.expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})").accept_data();
                 s.expect("STOR /up").reply("150 Ok to send data");
                 s.receive_data_bytes(64 * 1024).reset_data().reply(
                     "426 Connection closed; transfer aborted");
             },
         .args = {"put", "{dir}/up", "{url}/up"},
         .message = "426|10054|reset",
         .prepare = [](const std::string& dir) { test::write_random_file(dir + "/up", 8 * 1024 * 1024, 3); }},
    };
    test::run_hostile_cases(cases);
}

TEST(HostileServers, TransfersAndResume)
{
    const std::string whole = test::pseudo_random_bytes(2000, 11);
    constexpr std::int64_t BEYOND_4_GIB = (std::int64_t{1} << 32) + 10;
    auto keep_first = [](std::size_t n, std::string text) {
        return [n, text = std::move(text)](const std::string& dir) {
            test::write_file(local_file(dir), text.substr(0, n));
        };
    };
    const std::vector<HostileCase> cases = {
        {.name = "fewer bytes than the 150 announced",
         .script =
             [](ScriptedFtpServer& s) {
                 download_preamble(s);
                 s.expect("RETR /f").reply("150 Opening BINARY mode data connection for /f (1000 bytes)");
                 s.send_data(std::string(500, 'x')).close_data().reply("226 Transfer complete");
             },
         .args = GET,
         .message = "500 of 1000"},
        {.name = "a refused REST keeps the partial file",
         .script =
             [](ScriptedFtpServer& s) {
                 download_preamble(s);
                 s.expect("REST 100").reply("502 REST not implemented");
             },
         .args = GET_RESUME,
         .message = "502",
         .prepare = keep_first(100, whole),
         .check =
             [&](const test::CliRun&, const std::string& dir) {
                 EXPECT_EQ(test::read_file(local_file(dir)), whole.substr(0, 100))
                     << "the partial file changed";
             }},
        {.name = "a resume offset at the remote size",
         .script =
             [](ScriptedFtpServer& s) {
                 download_preamble(s);
                 s.expect("REST 2000").reply("350 Restarting at 2000");
                 s.expect("RETR /f").reply("150 Opening BINARY mode data connection for /f (2000 bytes)");
                 s.close_data().reply("226 Done").expect("QUIT").reply("221 bye");
             },
         .args = GET_RESUME,
         .status = 0,
         .message = "",
         .complete_file = whole,
         .prepare = keep_first(2000, whole)},
        {.name = "a resume offset beyond the remote size",
         .script =
             [](ScriptedFtpServer& s) {
                 download_preamble(s);
                 s.expect("REST 2000").reply("350 Restarting at 2000");
                 s.expect("RETR /f").reply("150 Opening BINARY mode data connection for /f (1000 bytes)");
                 s.close_data().reply("226 Done");
             },
         .args = GET_RESUME,
         .message = "larger than the server's",
         .prepare = keep_first(2000, whole),
         .check =
             [&](const test::CliRun&, const std::string& dir) {
                 EXPECT_EQ(test::read_file(local_file(dir)), whole) << "the local file changed";
             }},
        {.name = "a resume beyond 4 GiB",
         .script =
             [](ScriptedFtpServer& s) {
                 download_preamble(s);
                 s.expect("REST 4294967306").reply("350 Restarting at 4294967306");
                 s.expect("RETR /f").reply(
                     "150 Opening BINARY mode data connection for /f (4294967316 bytes)");
                 s.send_data("abcdefghij").close_data().reply("226 Done").expect("QUIT").reply("221 bye");
             },
         .args = GET_RESUME,
         .status = 0,
         .message = "",
         .prepare =
             [](const std::string& dir) {
                 test::write_file(local_file(dir), ""); // sparse: the gap takes no disk space
                 std::filesystem::resize_file(local_file(dir), BEYOND_4_GIB - 10);
                 std::ofstream(local_file(dir), std::ios::binary | std::ios::app) << "0123456789";
             },
         .check =
             [](const test::CliRun&, const std::string& dir) {
                 ASSERT_EQ(std::filesystem::file_size(local_file(dir)),
                           static_cast<std::uintmax_t>(BEYOND_4_GIB + 10));
                 std::ifstream in(local_file(dir), std::ios::binary);
                 in.seekg(BEYOND_4_GIB - 10);
                 std::string tail(20, '\0');
                 in.read(tail.data(), 20);
                 EXPECT_EQ(tail, "0123456789abcdefghij");
             },
         .script_must_finish = true},
        {.name = "a download cut at 50 % keeps its half and resumes byte-exact",
         .script =
             [&](ScriptedFtpServer& s) {
                 download_preamble(s);
                 s.expect("RETR /f").reply("150 Opening BINARY mode data connection for /f (2000 bytes)");
                 s.send_data(whole.substr(0, 1000))
                     .close_data()
                     .reply("426 Connection closed; transfer aborted");
             },
         .args = GET,
         .message = "426|1000 of 2000",
         .check =
             [&](const test::CliRun&, const std::string& dir) {
                 ASSERT_EQ(test::read_file(local_file(dir)), whole.substr(0, 1000)) << "the half is not kept";
                 test::run_hostile_cases(
                     {{.name = "the resume of the cut download",
                       .script =
                           [&](ScriptedFtpServer& s) {
                               download_preamble(s);
                               s.expect("REST 1000").reply("350 Restarting at 1000");
                               s.expect("RETR /f").reply("150 Opening BINARY mode (1000 bytes)");
                               s.send_data(whole.substr(1000)).close_data().reply("226 Done");
                               s.expect("QUIT").reply("221 bye");
                           },
                       .args = GET_RESUME,
                       .status = 0,
                       .message = "",
                       .complete_file = whole,
                       .prepare = keep_first(1000, whole),
                       .script_must_finish = true}});
             }},
    };
    test::run_hostile_cases(cases);
}

} // namespace
} // namespace kestovan
