#include "support/engine_harness.h"

#include "engine/control_channel.h"
#include "support/test_environment.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>

namespace kestovan::test {

EngineHarness::EngineHarness(int timeout_ms)
{
    engine.engine_init(window, timeout_ms,
                       [this](std::int32_t code, FtpConnection* conn, const EventArg& arg) {
                           RecordedEvent e;
                           e.code = event_code(code);
                           e.sub = event_subcode(code);
                           e.conn = conn;
                           e.serial = conn ? conn->serial : 0;
                           e.number = arg.number;
                           e.text = std::string(arg.text);
                           events.push_back(e);
                           if (on_event)
                               on_event(e);
                       });
}

EngineHarness::~EngineHarness() = default;

FtpConnection* EngineHarness::open(std::uint16_t port, const std::string& user, const std::string& password,
                                   bool passive, TlsMode tls, const std::string& host)
{
    FtpConnection* conn = open_session(
        engine, user, password, "", host, port, nullptr,
        [this](FtpConnection&, bool ok) {
            login_results.push_back(ok);
            return 0;
        },
        nullptr, nullptr, tls);
    if (conn)
        conn->passive = passive ? 1 : 0;
    return conn;
}

bool EngineHarness::wait(const std::function<bool()>& pred, int timeout_ms)
{
    return wait_until(pred, timeout_ms);
}

void EngineHarness::idle(int ms)
{
    wait_until([] { return false; }, ms);
}

bool EngineHarness::live(const FtpConnection* conn) const
{
    return engine.is_live_connection(conn);
}

int EngineHarness::count(EngineEvent code) const
{
    return static_cast<int>(
        std::count_if(events.begin(), events.end(), [&](const auto& e) { return e.code == code; }));
}

std::vector<std::string> EngineHarness::texts(EngineEvent code) const
{
    std::vector<std::string> out;
    for (const auto& e : events)
        if (e.code == code)
            out.push_back(e.text);
    return out;
}

std::vector<std::string> EngineHarness::errors(EngineError sub) const
{
    std::vector<std::string> out;
    for (const auto& e : events)
        if (e.code == EV_ERROR && e.sub == sub)
            out.push_back(e.text);
    return out;
}

bool EngineHarness::closed(const FtpConnection* conn, std::uint32_t serial) const
{
    return std::any_of(events.begin(), events.end(), [&](const auto& e) {
        return e.code == EV_CLOSED && e.conn == conn && e.serial == serial;
    });
}

CommandCallback record_result(std::vector<int>& results, int value)
{
    return [&results, value](FtpConnection&, bool ok) {
        results.push_back(ok ? 1 : 0);
        return value;
    };
}

} // namespace kestovan::test
