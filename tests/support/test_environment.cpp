#include "support/test_environment.h"

#include "platform/connect_guard.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <cstdlib>

namespace kestovan::test {

TestEnvironment::TestEnvironment()
{
    ConnectGuard::set_enabled(true);
    const std::string base = root_.path().toStdString();
    setenv("KESTOVAN_REGISTRY_DIR", (base + "/registry").c_str(), 1);
    setenv("KESTOVAN_HOME", (base + "/home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (base + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (base + "/data").c_str(), 1);
    // Proxy variables of the machine running the tests must not steer any test.
    for (const char* name : {"ftp_proxy", "http_proxy", "https_proxy", "all_proxy", "FTP_PROXY", "HTTP_PROXY",
                             "HTTPS_PROXY", "ALL_PROXY", "no_proxy", "NO_PROXY"})
        unsetenv(name);
}

TestEnvironment::~TestEnvironment() = default;

bool wait_until(const std::function<bool()>& pred, int timeout_ms)
{
    QDeadlineTimer deadline(timeout_ms);
    while (!pred()) {
        if (deadline.hasExpired())
            return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (!pred())
            QThread::msleep(1);
    }
    return true;
}

} // namespace kestovan::test
