// The command-line client's sessions: one engine on one message window, driven by the Qt event
// loop exactly as the desktop program drives it. Each run_* queues its commands behind the login,
// waits until the session has ended, and returns the exit status.
#pragma once

#include "cli/ftp_url.h"
#include "cli/progress_line.h"
#include "engine/engine.h"
#include "platform/window.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestovan {

struct ProxySpec {
    int type = 0; // ProxyType
    std::string host;
    int port = 0;
    std::string user;
    std::string password;
};

struct CliOptions {
    bool active = false;
    bool ascii = false;
    bool verbose = false;
    bool quiet = false; // no progress line
    int timeout_ms = 30000;
    ProxySpec proxy;
    std::string ca_file;    // the CA trusted instead of the system's store
    std::string pin_sha256; // the one certificate trusted whatever vouches for it ("AB:CD:...")
};

class CliClient {
public:
    CliClient(CliOptions options, FtpUrl url);
    ~CliClient();

    int run_ls();
    int run_get(const std::string& local_file, bool resume);
    int run_put(const std::string& local_file, bool resume, bool append);
    int run_quote(const std::vector<std::string>& commands);

    // The error line of a failed run (without the program name).
    [[nodiscard]] const std::string& error() const { return error_; }

private:
    bool start_session();
    int wait_for_end();
    void finish(bool ok);
    void fail(const std::string& message);
    void on_event(std::int32_t code, FtpConnection* conn, const EventArg& arg);
    void judge_certificate(FtpConnection& conn);
    void show_progress(const FtpConnection& data, bool force = false);
    void ask_size_for_progress();
    void verbose_line(const std::string& line);
    void end_reply_block();
    [[nodiscard]] bool binary() const { return !options_.ascii; }
    [[nodiscard]] CommandCallback step_callback();

    CliOptions options_;
    FtpUrl url_;
    Window window_;
    Engine engine_;
    FtpConnection* control_ = nullptr;
    std::uint32_t control_serial_ = 0;
    bool ended_ = false;   // the control connection is gone
    bool ok_ = false;      // every step succeeded
    bool closing_ = false; // QUIT queued
    std::string error_;
    std::string last_reply_;
    bool reply_block_open_ = false;
    std::vector<std::string> held_commands_;
    ProgressLine progress_;
    std::int64_t expected_size_ = 0;
    std::int64_t progress_offset_ = 0;
};

} // namespace kestovan
