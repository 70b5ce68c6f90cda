// What every test program sets up before its first case: the connect guard on, a private temporary
// registry and home folder so no test reads or writes the user's own state.
#pragma once

#include <QTemporaryDir>

#include <chrono>
#include <functional>

namespace kestovan::test {

class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();

private:
    QTemporaryDir root_;
};

// Runs the event loop until pred() holds or timeout_ms pass; returns pred().
bool wait_until(const std::function<bool()>& pred, int timeout_ms = 5000);

} // namespace kestovan::test
