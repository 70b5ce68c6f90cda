// An engine on its own message window for tests, recording every event it raises, with helpers to
// open sessions and wait on the event loop.
#pragma once

#include "engine/engine.h"
#include "platform/window.h"

#include <functional>
#include <string>
#include <vector>

namespace kestovan::test {

struct RecordedEvent {
    EngineEvent code = EV_TICK;
    EngineError sub = ERR_NONE;
    FtpConnection* conn = nullptr;
    std::uint32_t serial = 0;
    std::int64_t number = 0;
    std::string text;
};

class EngineHarness {
public:
    explicit EngineHarness(int timeout_ms = 30000);
    ~EngineHarness();

    // A session to host (127.0.0.1 or localhost):port; the login result lands in login_results.
    FtpConnection* open(std::uint16_t port, const std::string& user = "bob",
                        const std::string& password = "secret", bool passive = true, TlsMode tls = TLS_NONE,
                        const std::string& host = "127.0.0.1");
    bool wait(const std::function<bool()>& pred, int timeout_ms = 5000);
    // Runs the event loop for a while, whatever happens.
    void idle(int ms);

    [[nodiscard]] bool live(const FtpConnection* conn) const;
    [[nodiscard]] int count(EngineEvent code) const;
    [[nodiscard]] std::vector<std::string> texts(EngineEvent code) const;
    [[nodiscard]] std::vector<std::string> errors(EngineError sub) const;
    [[nodiscard]] bool closed(const FtpConnection* conn, std::uint32_t serial) const;

    Window window;
    Engine engine;
    std::vector<RecordedEvent> events;
    std::vector<bool> login_results;
    // Called for every event after it was recorded (for tests that answer events).
    std::function<void(const RecordedEvent&)> on_event;
};

// A completion callback that records ok into *result and returns `value`.
CommandCallback record_result(std::vector<int>& results, int value = 1);

} // namespace kestovan::test
