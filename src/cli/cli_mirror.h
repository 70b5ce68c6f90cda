// Whole folders from the command line: `get -r URL DIR` copies the remote folder's contents into DIR
// and `put -r DIR URL` the contents of DIR into the remote folder, each made when missing. The walk is
// the window's (the same planning, name checks, link guards and depth bound of views/folder_transfer);
// one connection lists or makes the folders, and up to `parallel` connections move the files, each
// taking the next file as soon as it is done with one.
#pragma once

#include "cli/cli_client.h"
#include "cli/ftp_url.h"
#include "engine/engine.h"
#include "platform/window.h"
#include "views/folder_transfer.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace kestovan {

class CliMirror {
public:
    CliMirror(CliOptions options, FtpUrl url, int parallel);
    ~CliMirror();
    CliMirror(const CliMirror&) = delete;
    CliMirror& operator=(const CliMirror&) = delete;

    int run_get(const std::string& local_folder);
    int run_put(const std::string& local_folder);

    [[nodiscard]] const std::string& error() const { return error_; }

private:
    struct Job {
        std::string remote_path;
        std::string local_path;
    };
    struct Worker {
        FtpConnection* conn = nullptr;
        std::uint32_t serial = 0;
        bool logged_in = false;
        bool busy = false;
        bool dead = false;
    };

    FtpConnection* open_worker_session(std::size_t index);
    void list_remote(const std::string& remote_path, const std::string& local_path, int depth);
    void listed(FtpConnection& conn, const std::string& remote_path, const std::string& local_path,
                int depth);
    void upload_folder(const std::string& local_path, const std::string& remote_path, int depth);
    void make_remote_parents(const std::string& remote_path);
    void dispatch();
    void start_job(Worker& worker, const Job& job);
    void job_done(std::size_t worker_index, bool ok, const std::string& reason);
    void check_finished();
    void note_failure(const std::string& text);
    void on_event(std::int32_t code, FtpConnection* conn, const EventArg& arg);
    [[nodiscard]] Worker* worker_of(const FtpConnection* conn);
    [[nodiscard]] bool all_workers_dead() const;
    // Opens the --parallel sessions and runs until the walk and its files are done.
    int open_workers_and_wait();
    int wait_for_end();

    CliOptions options_;
    FtpUrl url_;
    int parallel_ = 1;
    bool download_ = true;
    Window window_;
    Engine engine_;
    std::vector<Worker> workers_; // the first one also walks the folders
    std::deque<Job> jobs_;
    std::string root_; // the local folder chosen: nothing is written or read outside it
    FolderWalkGuard remote_guard_;
    FolderWalkGuard local_guard_;
    int walking_ = 0; // listings and MKDs of the walk still to come back
    bool closing_ = false;
    bool ended_ = false;
    int failures_ = 0;
    std::int64_t files_done_ = 0;
    std::string error_;
};

} // namespace kestovan
