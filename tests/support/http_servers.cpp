#include "support/http_servers.h"

#include "support/loopback_socket.h"
#include "support/test_files.h"

#include <QProcess>
#include <QStringList>

#include <filesystem>
#include <stdexcept>
#include <thread>

namespace kestovan::test {

namespace {

constexpr std::chrono::milliseconds START_TIMEOUT{10000};
constexpr const char* HTTPS_SCRIPT = KESTOVAN_TEST_SUPPORT_DIR "/https_server.py";
constexpr const char* OPENSSL = "/usr/bin/openssl";
constexpr const char* TINYPROXY = "/usr/bin/tinyproxy";

void require(const std::string& program)
{
    if (!std::filesystem::exists(program))
        throw std::runtime_error(program + " is missing; run scripts/setup");
}

// The number that follows `prefix` in the output, once its line is complete; 0 before.
int port_after(const std::string& output, std::string_view prefix)
{
    const std::size_t at = output.find(prefix);
    if (at == std::string::npos)
        return 0;
    const std::size_t digits = at + prefix.size();
    const std::size_t end = output.find_first_not_of("0123456789", digits);
    if (end == std::string::npos || end == digits)
        return 0;
    return std::stoi(output.substr(digits, end - digits));
}

void run_openssl(const QStringList& arguments, const std::string& folder)
{
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(folder));
    process.start(OPENSSL, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        throw std::runtime_error("openssl " + arguments.join(' ').toStdString() + " failed:\n" +
                                 process.readAllStandardError().toStdString());
}

// A CA of the test's own and a server certificate for 127.0.0.1 and localhost signed by it.
void make_certificates(const std::string& folder)
{
    const QString ec = "ec";
    write_file(folder + "/server.ext", "subjectAltName=IP:127.0.0.1,DNS:localhost\n"
                                       "basicConstraints=CA:FALSE\n"
                                       "keyUsage=digitalSignature,keyEncipherment\n"
                                       "extendedKeyUsage=serverAuth\n");
    run_openssl({"req", "-x509", "-newkey", ec, "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                 "-keyout", "ca.key", "-out", "ca.pem", "-days", "2", "-subj", "/CN=Kestovan Test CA"},
                folder);
    run_openssl({"req", "-newkey", ec, "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
                 "server.key", "-out", "server.csr", "-subj", "/CN=127.0.0.1"},
                folder);
    run_openssl({"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
                 "-out", "server.pem", "-days", "2", "-extfile", "server.ext"},
                folder);
}

} // namespace

PythonHttpServer::PythonHttpServer() : process_("python-http")
{
    require(std::string(SYSTEM_PYTHON));
    root_ = process_.folder() + "/root";
    std::filesystem::create_directory(root_);
    process_.launch({std::string(SYSTEM_PYTHON), "-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
                     "--directory", root_});
    port_ = static_cast<std::uint16_t>(process_.wait_for_port(
        [](const std::string& out) { return port_after(out, "Serving HTTP on 127.0.0.1 port "); },
        START_TIMEOUT));
}

std::string PythonHttpServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string PythonHttpServer::make_file(const std::string& name, std::string_view content)
{
    const std::string path = root_ + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    write_file(path, content);
    return path;
}

std::string PythonHttpServer::make_random_file(const std::string& name, std::int64_t size, std::uint64_t seed)
{
    const std::string path = root_ + "/" + name;
    write_random_file(path, size, seed);
    return path;
}

HttpsTestServer::HttpsTestServer() : process_("https")
{
    require(std::string(SYSTEM_PYTHON));
    require(OPENSSL);
    root_ = process_.folder() + "/root";
    std::filesystem::create_directory(root_);
    make_certificates(process_.folder());
    ca_file_ = process_.folder() + "/ca.pem";
    process_.launch({std::string(SYSTEM_PYTHON), HTTPS_SCRIPT, "--root", root_, "--cert",
                     process_.folder() + "/server.pem", "--key", process_.folder() + "/server.key"});
    port_ = static_cast<std::uint16_t>(process_.wait_for_port(
        [](const std::string& out) { return port_after(out, "PORT "); }, START_TIMEOUT));
}

std::string HttpsTestServer::url(const std::string& path) const
{
    return "https://127.0.0.1:" + std::to_string(port_) + path;
}

std::string HttpsTestServer::make_file(const std::string& name, std::string_view content)
{
    const std::string path = root_ + "/" + name;
    write_file(path, content);
    return path;
}

TinyproxyServer::TinyproxyServer(std::string user, std::string password) : process_("tinyproxy")
{
    require(TINYPROXY);
    port_ = free_loopback_port();
    const std::string config = process_.folder() + "/tinyproxy.conf";
    write_file(config, "Port " + std::to_string(port_) +
                           "\n"
                           "Listen 127.0.0.1\n"
                           "Timeout 60\n"
                           "MaxClients 20\n"
                           "Allow 127.0.0.1\n"
                           "BasicAuth " +
                           user + " " + password +
                           "\n"
                           "LogLevel Info\n");
    // -d: in the foreground, logging to stderr; never as the system's service.
    process_.launch({TINYPROXY, "-d", "-c", config});
    const auto deadline = std::chrono::steady_clock::now() + START_TIMEOUT;
    for (;;) {
        try {
            UniqueFd probe = connect_loopback(port_, std::chrono::milliseconds(500));
            return;
        } catch (const std::runtime_error&) {
            // Not listening yet.
        }
        if (process_.exited() || std::chrono::steady_clock::now() >= deadline)
            throw std::runtime_error("tinyproxy did not start on 127.0.0.1:" + std::to_string(port_) + ":\n" +
                                     process_.log());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace kestovan::test
