// An FTP server that plays a fixed script on 127.0.0.1, so a test can put every protocol edge case
// in front of the client exactly: expect this command, send these bytes, open a data connection.
// It runs on its own thread with blocking sockets while the client under test runs on the main
// thread's event loop; wait_done() and wait_reached() keep that loop running.
//
//     ScriptedFtpServer server;
//     server.reply("220 Hi").expect("USER bob").reply("331 Password").expect_pattern("PASS .*")
//         .reply("230 In").expect("PASV").passive().reply("227 Entering Passive Mode ({pasv})")
//         .expect("LIST").accept_data().reply("150 Here").send_data("a\r\n").close_data()
//         .reply("226 Done");
//     server.start();
//     ... point the client at server.port() ...
//     ASSERT_TRUE(server.wait_done(5000)) << server.failure();
//
// Every step, await() included, fails the script when it cannot finish within the step time-out;
// the first failure ends the script and closes every connection, so the client is not left
// waiting. After a script that ran to its end, command lines that still arrive on the current
// control connection go into lines() as well, so a test can see commands it did not expect.
#pragma once

#include "support/line_pattern.h"
#include "support/loopback_socket.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace kestovan::test {

class ScriptedFtpServer {
public:
    static constexpr std::chrono::milliseconds DEFAULT_STEP_TIMEOUT{5000};
    // Replaced in sent texts: the passive listener as "h1,h2,h3,h4,p1,p2" and as a port number.
    static constexpr std::string_view PASV_PLACEHOLDER = "{pasv}";
    static constexpr std::string_view PASV_PORT_PLACEHOLDER = "{pasv_port}";
    // The passive port as the last two numbers of a 227 reply ("p1,p2"), to put after another address.
    static constexpr std::string_view PASV_PORT_BYTES_PLACEHOLDER = "{pasv_port_bytes}";

    ScriptedFtpServer(); // listens at once, so port() is known before the script is written
    ~ScriptedFtpServer();
    ScriptedFtpServer(const ScriptedFtpServer&) = delete;
    ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

    [[nodiscard]] std::uint16_t port() const { return port_; }
    void set_step_timeout(std::chrono::milliseconds timeout);

    // Script steps, played in order after start(). Accepting the first control connection is implicit.
    ScriptedFtpServer& accept_control(); // another control connection; it becomes the current one
    ScriptedFtpServer& use_control(std::size_t index); // an earlier one (0: the first) becomes current again
    ScriptedFtpServer& expect(std::string line);       // the next command line, without CR LF, exactly
    ScriptedFtpServer& expect_pattern(const std::string& pattern); // the whole line matches (ECMAScript)
    ScriptedFtpServer& expect_silence(std::chrono::milliseconds period); // no command line for period
    ScriptedFtpServer& expect_closed(); // the client closes the control connection, sending nothing more
    // Exactly these bytes next on the control connection, whatever they are (a proxy handshake).
    ScriptedFtpServer& expect_bytes(std::string bytes);
    ScriptedFtpServer& send(std::string bytes); // raw bytes on the control connection
    ScriptedFtpServer& send_split(std::vector<std::string> pieces, std::chrono::milliseconds pause);
    // unit count times, streamed without building the whole text (an endless reply, a huge listing).
    ScriptedFtpServer& send_repeated(std::string unit, std::int64_t count);
    ScriptedFtpServer& reply(std::string_view line);                               // line + CR LF
    ScriptedFtpServer& reply_lines(std::initializer_list<std::string_view> lines); // each + CR LF
    ScriptedFtpServer& passive();     // a new data listener; fills {pasv}, {pasv_port} and {pasv_port_bytes}
    ScriptedFtpServer& accept_data(); // the client's connection to the passive listener
    ScriptedFtpServer& connect_active(); // to the address of the latest PORT or EPRT received
    ScriptedFtpServer& send_data(std::string bytes);
    ScriptedFtpServer& send_data_split(std::vector<std::string> pieces, std::chrono::milliseconds pause);
    ScriptedFtpServer& send_data_repeated(std::string unit, std::int64_t count);
    ScriptedFtpServer& receive_data(); // until the client closes the data connection, then close ours
    ScriptedFtpServer& receive_data_bytes(std::int64_t count); // at least count bytes, the connection kept
    ScriptedFtpServer& close_data();
    ScriptedFtpServer& reset_data(); // close with a TCP reset, as a server that aborts a transfer
    ScriptedFtpServer& close_control();
    ScriptedFtpServer& pause(std::chrono::milliseconds period);
    // Runs action on the script's thread (a test's own fault at an exact point of the exchange).
    ScriptedFtpServer& call(std::function<void()> action);
    // Holds the script until release(latch); a release that came first lets it pass at once.
    ScriptedFtpServer& await(std::string latch);

    void start();

    // True when the script ran to its end without failure; false on failure or time-out.
    [[nodiscard]] bool wait_done(int timeout_ms);
    // True once the script holds at await(latch).
    [[nodiscard]] bool wait_reached(const std::string& latch, int timeout_ms);
    void release(const std::string& latch);

    [[nodiscard]] std::vector<std::string> lines() const;         // every command line received, in order
    [[nodiscard]] std::vector<std::string> data_received() const; // one entry per data connection
    [[nodiscard]] bool done() const;                              // the script ended, either way
    [[nodiscard]] bool finished() const;                          // the script ran to its end without failure
    [[nodiscard]] std::string failure() const;                    // the first failure, empty when none

private:
    enum class StepKind {
        ACCEPT_CONTROL,
        USE_CONTROL,
        EXPECT,
        EXPECT_BYTES,
        EXPECT_PATTERN,
        EXPECT_SILENCE,
        EXPECT_CLOSED,
        SEND,
        SEND_REPEATED,
        PASSIVE,
        ACCEPT_DATA,
        CONNECT_ACTIVE,
        SEND_DATA,
        SEND_DATA_REPEATED,
        RECEIVE_DATA,
        RECEIVE_DATA_BYTES,
        CLOSE_DATA,
        RESET_DATA,
        CLOSE_CONTROL,
        PAUSE,
        AWAIT,
        CALL,
    };
    struct Step {
        StepKind kind = StepKind::PAUSE;
        std::string text; // expected line, pattern source or latch name
        std::optional<LinePattern> pattern;
        std::vector<std::string> pieces; // bytes to send, one write each
        std::chrono::milliseconds period{0};
        std::size_t control_index = 0; // use_control
        std::int64_t count = 0;        // repeats to send, bytes to receive
        std::function<void()> action;  // call
    };
    enum class Wait {
        READY,
        TIMED_OUT,
        STOPPED,
    };
    enum class LineResult {
        LINE,
        CLOSED,
        TIMED_OUT,
        STOPPED,
        ERROR,
    };
    struct Control {
        UniqueFd fd;
        std::string pending; // received bytes not yet split into lines
    };

    ScriptedFtpServer& add(StepKind kind, std::string text = {}, std::vector<std::string> pieces = {},
                           std::chrono::milliseconds period = std::chrono::milliseconds{0});
    void run();
    bool run_step(const Step& step);
    bool run_expect(const Step& step);
    bool run_expect_silence(const Step& step);
    bool run_expect_closed();
    bool run_expect_bytes(const Step& step);
    bool run_use_control(const Step& step);
    bool run_send(const Step& step, int fd, bool substitute);
    bool run_accept_control();
    bool run_passive();
    bool run_accept_data();
    bool run_connect_active();
    bool run_send_repeated(const Step& step, int fd);
    bool run_receive_data(std::int64_t at_least = -1);
    bool run_await(const Step& step);
    void drain_control();

    Wait wait_for(int fd, short events, Clock::time_point deadline) const;
    LineResult read_line(Clock::time_point deadline, std::string& line);
    [[nodiscard]] Control* current_control();
    std::string write_piece(int fd, std::string_view bytes); // the error, empty when all went
    void start_data_connection(UniqueFd fd);
    bool fail(const std::string& what);
    [[nodiscard]] std::string describe(const Step& step) const;
    [[nodiscard]] Clock::time_point step_deadline() const { return Clock::now() + step_timeout_; }

    std::uint16_t port_ = 0;
    UniqueFd listener_;
    UniqueFd wake_read_; // readable once the destructor wants the thread to stop
    UniqueFd wake_write_;
    std::chrono::milliseconds step_timeout_ = DEFAULT_STEP_TIMEOUT;
    std::vector<Step> steps_;
    std::thread thread_;

    // Touched by the script thread only.
    std::vector<Control> controls_; // every control connection accepted
    std::size_t current_ = 0;       // index of the current one
    UniqueFd passive_listener_;
    UniqueFd data_;
    std::size_t step_index_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable latch_changed_;
    bool stopping_ = false;
    bool done_ = false;
    bool finished_ = false;
    std::string failure_;
    std::vector<std::string> lines_;
    std::vector<std::string> data_received_;
    std::set<std::string> reached_;
    std::set<std::string> released_;
};

} // namespace kestovan::test
