// An HTTP server that plays a fixed script on 127.0.0.1, so a test can put every edge case of a
// response in front of the web client exactly: status lines, headers, redirections, bodies cut
// short or sent slowly, and the bytes of a SOCKS proxy. Each connection of the client is accepted
// by an accept() step; the requests the client sent are kept, byte for byte, for the test to check.
// It runs on its own thread with blocking sockets while the client runs on the main thread's event
// loop; wait_done() keeps that loop running.
//
//     ScriptedHttpServer server;
//     server.accept().expect_request().respond(302, {"Location: /b"}).close()
//           .accept().expect_request().respond(200, {}, "<a href=x>x</a>").close();
//     server.start();
//     ... fetch "http://127.0.0.1:" + port + "/a" ...
//     ASSERT_TRUE(server.wait_done(5000)) << server.failure();
#pragma once

#include "support/loopback_socket.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kestovan::test {

class ScriptedHttpServer {
public:
    static constexpr std::chrono::milliseconds DEFAULT_STEP_TIMEOUT{5000};

    ScriptedHttpServer(); // listens at once, so port() is known before the script is written
    ~ScriptedHttpServer();
    ScriptedHttpServer(const ScriptedHttpServer&) = delete;
    ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

    [[nodiscard]] std::uint16_t port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by path.
    [[nodiscard]] std::string url(const std::string& path = "/") const;

    ScriptedHttpServer& accept();         // the client's next connection; it becomes the current one
    ScriptedHttpServer& expect_request(); // bytes up to and including the blank line, kept in requests()
    ScriptedHttpServer& expect_bytes(std::size_t count); // exactly count bytes, kept in requests()
    ScriptedHttpServer& send(std::string bytes);
    ScriptedHttpServer& send_split(std::vector<std::string> pieces, std::chrono::milliseconds pause);
    // "HTTP/1.0 <code> <reason>", the headers, a Content-Length unless one is given or `length` is
    // false, the blank line and the body.
    ScriptedHttpServer& respond(int code, std::vector<std::string> headers = {}, std::string body = {},
                                bool length = true);
    // Header lines without end until the client closes the connection (or max_bytes went out).
    ScriptedHttpServer& flood_headers(std::size_t max_bytes);
    ScriptedHttpServer& close();
    ScriptedHttpServer& expect_closed(); // the client closes the connection, sending nothing more
    ScriptedHttpServer& pause(std::chrono::milliseconds period);

    void start();
    [[nodiscard]] bool wait_done(int timeout_ms); // the script ran to its end without failure
    [[nodiscard]] std::vector<std::string> requests() const;
    [[nodiscard]] std::string failure() const;
    [[nodiscard]] bool done() const;

private:
    enum class StepKind {
        ACCEPT,
        EXPECT_REQUEST,
        EXPECT_BYTES,
        SEND,
        FLOOD,
        CLOSE,
        EXPECT_CLOSED,
        PAUSE,
    };
    struct Step {
        StepKind kind = StepKind::PAUSE;
        std::vector<std::string> pieces;
        std::size_t count = 0;
        std::chrono::milliseconds period{0};
    };

    ScriptedHttpServer& add(StepKind kind, std::vector<std::string> pieces = {}, std::size_t count = 0,
                            std::chrono::milliseconds period = std::chrono::milliseconds{0});
    void run();
    bool run_step(const Step& step);
    bool read_request(bool to_blank_line, std::size_t count);
    bool send_pieces(const Step& step);
    bool flood(std::size_t max_bytes);
    bool wait_closed();
    // Reads what is there into pending_; false on time-out, close, error or stop.
    bool read_more(Clock::time_point deadline);
    bool fail(const std::string& what);
    [[nodiscard]] bool stopping() const;

    std::uint16_t port_ = 0;
    UniqueFd listener_;
    UniqueFd wake_read_;
    UniqueFd wake_write_;
    std::vector<Step> steps_;
    std::thread thread_;

    // The script thread's own.
    UniqueFd connection_;
    std::string pending_;
    bool peer_closed_ = false;

    mutable std::mutex mutex_;
    bool stopping_ = false;
    bool done_ = false;
    bool finished_ = false;
    std::string failure_;
    std::vector<std::string> requests_;
};

} // namespace kestovan::test
