#include "cli/cli_mirror.h"

#include "cli/cli_trust.h"
#include "engine/command_set.h"
#include "engine/control_channel.h"
#include "views/listing_parser.h"
#include "views/listing_request.h"
#include "views/local_fs.h"

#include <QEventLoop>
#include <QTimer>

#include <cstring>
#include <filesystem>
#include <iostream>

namespace kestovan {

namespace {

constexpr const char* ANONYMOUS_USER = "anonymous";
constexpr const char* ANONYMOUS_PASSWORD = "guest@example.com";

std::string trimmed(std::string_view text)
{
    std::string line(text);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' '))
        line.pop_back();
    return line;
}

// Why the head command of conn failed: our own finding first, else the server's reply.
std::string failure_of(const FtpConnection& conn)
{
    if (conn.queue.empty())
        return "the command failed";
    const FtpCommand& head = *conn.queue.front();
    return head.failure.empty() ? trimmed(head.reply) : head.failure;
}

} // namespace

CliMirror::CliMirror(CliOptions options, FtpUrl url, int parallel)
    : options_(std::move(options)), url_(std::move(url)), parallel_(std::max(1, parallel))
{
    engine_.engine_init(
        window_, options_.timeout_ms,
        [this](std::int32_t code, FtpConnection* conn, const EventArg& arg) { on_event(code, conn, arg); });
    if (options_.proxy.type != 0)
        set_proxy(engine_, options_.proxy.type, options_.proxy.host, options_.proxy.port, options_.proxy.user,
                  options_.proxy.password);
    engine_.set_tls_trust(options_.ca_file, {});
}

CliMirror::~CliMirror() = default;

FtpConnection* CliMirror::open_worker_session(std::size_t index)
{
    const std::string user = url_.user.empty() ? ANONYMOUS_USER : url_.user;
    const std::string password = url_.password.value_or(url_.user.empty() ? ANONYMOUS_PASSWORD : "");
    FtpConnection* conn = open_session(
        engine_, user, password, "", url_.host, url_.port, nullptr,
        [this, index](FtpConnection&, bool ok) {
            Worker& worker = workers_[index];
            if (!ok) {
                worker.dead = true;
                if (index == 0)
                    note_failure("login failed");
            } else if (!worker.logged_in) {
                worker.logged_in = true;
                if (index == 0 && download_) {
                    list_remote(url_.path, root_, 0);
                } else if (index == 0) {
                    make_remote_parents(url_.path);
                    upload_folder(root_, url_.path, 0);
                }
                dispatch();
            }
            check_finished();
            return 0;
        },
        nullptr, nullptr, url_.tls);
    if (conn)
        conn->passive = options_.active ? 0 : 1;
    return conn;
}

int CliMirror::open_workers_and_wait()
{
    workers_.resize(static_cast<std::size_t>(parallel_));
    for (std::size_t i = 0; i < workers_.size(); ++i) {
        FtpConnection* conn = open_worker_session(i);
        if (!conn) {
            error_ = "cannot open a session to " + url_.host;
            return 1;
        }
        workers_[i].conn = conn;
        workers_[i].serial = conn->serial;
    }
    return wait_for_end();
}

int CliMirror::run_get(const std::string& local_folder)
{
    download_ = true;
    std::error_code ec;
    std::filesystem::create_directories(local_folder, ec);
    if (!std::filesystem::is_directory(local_folder, ec)) {
        error_ = "cannot make the local folder " + local_folder;
        return 1;
    }
    root_ = std::filesystem::canonical(local_folder, ec).string();
    return open_workers_and_wait();
}

void CliMirror::make_remote_parents(const std::string& remote_path)
{
    // MKD makes one level: the folders above the target are asked for first (those that exist
    // refuse, which is no failure here).
    const std::string path = normalize_remote_path(remote_path);
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        send_mkd(engine_, workers_.front().conn, path.substr(0, slash),
                 [](FtpConnection&, bool) { return 1; });
}

int CliMirror::run_put(const std::string& local_folder)
{
    download_ = false;
    std::error_code ec;
    if (!std::filesystem::is_directory(local_folder, ec)) {
        error_ = "no such local folder: " + local_folder;
        return 1;
    }
    root_ = std::filesystem::canonical(local_folder, ec).string();
    return open_workers_and_wait();
}

// --- the walk: one connection lists (downloads) or makes (uploads) the folders -----------------------

void CliMirror::list_remote(const std::string& remote_path, const std::string& local_path, int depth)
{
    const std::string path = normalize_remote_path(remote_path);
    switch (remote_guard_.enter(path, depth)) {
    case FolderWalkGuard::Verdict::LIST: break;
    case FolderWalkGuard::Verdict::ALREADY_LISTED:
        std::cerr << "kestovan-ftp-cli: " << path << " was listed already (a link loop); not followed\n";
        return;
    case FolderWalkGuard::Verdict::TOO_DEEP:
        std::cerr << "kestovan-ftp-cli: " << path << " lies more than " << MAX_FOLDER_DEPTH
                  << " folders deep; not followed\n";
        return;
    }
    Worker& walker = workers_.front();
    if (walker.dead || !engine_.is_live(walker.conn, walker.serial))
        return;
    ++walking_;
    request_listing(engine_, walker.conn, path, [this, path, local_path, depth](FtpConnection& c, bool ok) {
        --walking_;
        if (ok)
            listed(c, path, local_path, depth);
        else if (depth == 0)
            note_failure("cannot list " + path + ": " + failure_of(c));
        else // a link that leads nowhere the server lets us list: the rest goes on
            std::cerr << "kestovan-ftp-cli: skipped " << path << ": " << failure_of(c) << "\n";
        dispatch();
        check_finished();
        return 1;
    });
}

void CliMirror::listed(FtpConnection& conn, const std::string& remote_path, const std::string& local_path,
                       int depth)
{
    const std::string text = conn.data_connection ? conn.data_connection->buffer : std::string();
    DirEntry folder;
    folder.path = remote_path;
    ListingOptions listing;
    listing.start_folder = remote_path;
    const EntryChain entries = parse_listing(text, folder, listing);
    for (const DownloadStep& step : plan_folder_download(entries, remote_path, local_path, nullptr)) {
        switch (step.kind) {
        case DownloadStep::Kind::UNSAFE_NAME:
            std::cerr << "kestovan-ftp-cli: skipped '" << step.name << "' in " << remote_path
                      << ": the name cannot be used for a local file\n";
            break;
        case DownloadStep::Kind::FETCH:
            if (stays_inside(root_, step.local_path))
                jobs_.push_back({step.remote_path, step.local_path});
            else
                std::cerr << "kestovan-ftp-cli: skipped " << step.local_path
                          << ": a symbolic link there leads outside " << root_ << "\n";
            break;
        case DownloadStep::Kind::FOLDER:
            switch (make_local_folder(root_, step.local_path)) {
            case LocalFolderResult::CREATED:
            case LocalFolderResult::EXISTED: list_remote(step.remote_path, step.local_path, depth + 1); break;
            case LocalFolderResult::FAILED:
                note_failure("cannot make the local folder " + step.local_path);
                break;
            case LocalFolderResult::OUTSIDE:
                std::cerr << "kestovan-ftp-cli: skipped " << step.local_path
                          << ": a symbolic link there leads outside " << root_ << "\n";
                break;
            }
            break;
        }
    }
}

void CliMirror::upload_folder(const std::string& local_path, const std::string& remote_path, int depth)
{
    Worker& walker = workers_.front();
    if (walker.dead || !engine_.is_live(walker.conn, walker.serial))
        return;
    std::error_code ec;
    const std::string real = std::filesystem::canonical(local_path, ec).string();
    if (ec || local_guard_.enter(real, depth) != FolderWalkGuard::Verdict::LIST) {
        std::cerr << "kestovan-ftp-cli: " << local_path << " not followed (read already, or too deep)\n";
        return;
    }
    // The folder is made first (a folder that is there already is no failure); its files follow.
    ++walking_;
    send_mkd(engine_, walker.conn, remote_path, [this, local_path, remote_path, depth](FtpConnection&, bool) {
        --walking_;
        const auto rows = scan_folder(local_path, "*", SCAN_HIDDEN_FOLDERS);
        if (!rows) {
            note_failure("cannot read the local folder " + local_path);
        } else {
            for (const UploadStep& step : plan_folder_upload(*rows, remote_path, 0, nullptr)) {
                if (!stays_inside(root_, step.local_path)) {
                    std::cerr << "kestovan-ftp-cli: skipped " << step.local_path
                              << ": a symbolic link there leads outside " << root_ << "\n";
                    continue;
                }
                if (step.kind == UploadStep::Kind::STORE)
                    jobs_.push_back({step.remote_path, step.local_path});
                else
                    upload_folder(step.local_path, step.remote_path, depth + 1);
            }
        }
        dispatch();
        check_finished();
        return 1;
    });
}

// --- the files: each connection takes the next one when it is free -----------------------------------

void CliMirror::dispatch()
{
    for (Worker& worker : workers_) {
        if (jobs_.empty())
            return;
        if (!worker.logged_in || worker.busy || worker.dead || !engine_.is_live(worker.conn, worker.serial))
            continue;
        const Job job = jobs_.front();
        jobs_.pop_front();
        start_job(worker, job);
    }
}

void CliMirror::start_job(Worker& worker, const Job& job)
{
    worker.busy = true;
    const std::size_t index = static_cast<std::size_t>(&worker - workers_.data());
    auto done = [this, index](FtpConnection& conn, bool ok) {
        job_done(index, ok, ok ? std::string() : failure_of(conn));
        return 1;
    };
    const bool binary = !options_.ascii;
    FtpCommand* queued = download_
                             ? send_retr(engine_, worker.conn, job.remote_path, job.local_path, binary, done)
                             : send_stor(engine_, worker.conn, job.local_path, job.remote_path, binary, done);
    if (!queued)
        job_done(index, false, "cannot queue " + (download_ ? job.remote_path : job.local_path));
}

void CliMirror::job_done(std::size_t worker_index, bool ok, const std::string& reason)
{
    workers_[worker_index].busy = false;
    if (ok)
        ++files_done_;
    else
        note_failure(reason);
    dispatch();
    check_finished();
}

void CliMirror::note_failure(const std::string& text)
{
    ++failures_;
    if (error_.empty())
        error_ = text;
    if (options_.verbose || failures_ <= 10)
        std::cerr << "kestovan-ftp-cli: " << text << "\n";
}

bool CliMirror::all_workers_dead() const
{
    return std::all_of(workers_.begin(), workers_.end(),
                       [&](const Worker& w) { return w.dead || !engine_.is_live(w.conn, w.serial); });
}

void CliMirror::check_finished()
{
    // Until the first connection has logged in, the walk has not begun: nothing is finished yet.
    if (closing_ || (!workers_.front().logged_in && !workers_.front().dead))
        return;
    const bool walker_gone =
        workers_.front().dead || !engine_.is_live(workers_.front().conn, workers_.front().serial);
    const bool idle = std::none_of(workers_.begin(), workers_.end(), [](const Worker& w) { return w.busy; });
    const bool stuck = !jobs_.empty() && all_workers_dead();
    if (!stuck && ((walking_ > 0 && !walker_gone) || !jobs_.empty() || !idle))
        return;
    if (stuck || (walking_ > 0 && walker_gone))
        note_failure(std::to_string(jobs_.size()) + " files were not transferred: the connections ended");
    closing_ = true;
    // Callbacks call this while the engine is still completing their command: the sessions are
    // closed once that has finished.
    QTimer::singleShot(0, [this] {
        for (Worker& worker : workers_)
            if (engine_.is_live(worker.conn, worker.serial))
                close_session(engine_, *worker.conn);
        if (engine_.connection_count() == 0)
            ended_ = true;
    });
}

CliMirror::Worker* CliMirror::worker_of(const FtpConnection* conn)
{
    for (Worker& worker : workers_)
        if (worker.conn == conn && engine_.is_live(worker.conn, worker.serial))
            return &worker;
    return nullptr;
}

void CliMirror::on_event(std::int32_t code, FtpConnection* conn, const EventArg& arg)
{
    switch (event_code(code)) {
    case EV_LOG:
        if (options_.verbose && !arg.text.empty()) {
            std::string line = trimmed(arg.text);
            if (line.rfind("PASS ", 0) == 0)
                line = "PASS ****";
            std::cerr << "[" << (conn ? conn->serial : 0) << "] " << line << "\n";
        }
        break;
    case EV_ERROR:
        // A local file that cannot be opened fails its command: the job ends through its callback.
        if (options_.verbose)
            std::cerr << "[" << (conn ? conn->serial : 0) << "] ! " << trimmed(arg.text) << "\n";
        break;
    case EV_SOCKET_ERROR:
        if (Worker* worker = worker_of(conn); worker && !worker->logged_in)
            note_failure("cannot connect to " + url_.host + " (Winsock Error " + std::to_string(arg.number) +
                         ")");
        break;
    case EV_NEED_PASSWORD:
        if (conn)
            close_session(engine_, *conn);
        note_failure("the server asks for a password; give one in the URL");
        break;
    case EV_CLOSED:
        if (Worker* worker = worker_of(conn)) {
            worker->dead = true;
            if (worker->busy) {
                worker->busy = false;
                note_failure("a connection ended during a transfer");
            }
        }
        if (closing_) {
            // The record is still counted while it is being destroyed.
            if (engine_.connection_count() <= 1)
                ended_ = true;
        } else {
            dispatch();
            check_finished();
        }
        break;
    case EV_TLS:
        if (options_.verbose && conn && conn->role == ROLE_CONTROL)
            std::cerr << "[" << conn->serial << "] * " << trimmed(arg.text) << "\n";
        break;
    case EV_CERTIFICATE: {
        // Each connection shows the certificate anew: the first refusal is the one reported.
        std::string error;
        if (conn && !trust_certificate(*conn, options_.pin_sha256, url_.host, &error))
            note_failure(error);
        break;
    }
    case EV_TICK:
    case EV_RECEIVED:
    case EV_SENT:
    case EV_STATUS:
    case EV_IDLE:
    case EV_COMMAND_START:
    case EV_CONNECTED:
    case EV_CONNECTING:
    case EV_RESOLVING:
    case EV_QUEUED:
    case EV_TIMEOUT: break;
    }
}

int CliMirror::wait_for_end()
{
    QEventLoop loop;
    while (!ended_)
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    if (options_.verbose)
        std::cerr << "kestovan-ftp-cli: " << files_done_ << " files transferred\n";
    return failures_ == 0 ? 0 : 1;
}

} // namespace kestovan
