#include "shell/typed_commands.h"

#include "common/paths.h"
#include "engine/command_set.h"
#include "profiles/site_profile.h"

#include <cctype>

namespace kestovan {

std::string typed_keyword(std::string_view line)
{
    if (line.size() < 4)
        return {};
    std::string word;
    for (char c : line.substr(0, 4))
        word.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    if (word != "LIST" && word != "NLST" && word != "QUIT" && word != "RETR" && word != "STOR")
        return {};
    if (line.size() > 4 && std::string_view(" \t\r\n").find(line[4]) == std::string_view::npos)
        return {};
    return word;
}

std::string typed_arguments(std::string_view line)
{
    std::size_t pos = std::min<std::size_t>(4, line.size());
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
    std::string rest(line.substr(pos));
    while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n' || rest.back() == ' '))
        rest.pop_back();
    return rest;
}

TypedCommands::TypedCommands(ShellContext& ctx, SessionControl& sessions, EngineEventHandler& events,
                             RemoteBrowser& browser)
    : ctx_(ctx), sessions_(sessions), events_(events), browser_(browser)
{
    sessions_.set_runner(OP_RAW_COMMAND, [this](Session& record) { run(record, record.operation_argument); });
}

bool TypedCommands::typed_command(DirEntry* node, const std::string& line)
{
    SiteProfile* profile = ctx_.profile_of(node);
    ctx_.log.append(profile, line, LOG_INPUT, true);
    if (!node)
        return false;
    if (!ctx_.is_connected(node)) {
        sessions_.queue_pending(node, nullptr, {}, {}, OP_RAW_COMMAND, line);
        return false;
    }
    Session* session = ctx_.first_session(node);
    if (!session)
        return false;
    const std::string keyword = typed_keyword(line);
    // QUIT and a LIST handed to a new connection send nothing on this connection now.
    const bool spawned = keyword == "LIST" && session->profile && session->profile->node &&
                         ctx_.is_busy(session->profile->node);
    run(*session, line);
    return keyword != "QUIT" && !spawned;
}

void TypedCommands::run(Session& session, const std::string& line)
{
    FtpConnection* conn = ctx_.live_connection(session);
    if (!conn)
        return;
    const std::string keyword = typed_keyword(line);
    const std::string arguments = typed_arguments(line);
    // A listing asked for by hand goes to the log in green, as one engine line.
    auto listing_to_log = [this](FtpConnection& c, bool ok) {
        if (ok && c.data_connection)
            events_.log_line(&c, c.data_connection->buffer, LOG_GREEN);
        return 1;
    };
    if (keyword == "LIST") {
        DirEntry* node = session.profile ? session.profile->node : nullptr;
        if (node && ctx_.is_busy(node))
            sessions_.spawn_connection(node, {}, {}, arguments, OP_LIST);
        else
            send_list(ctx_.engine, conn, arguments, listing_to_log);
    } else if (keyword == "NLST") {
        send_nlst(ctx_.engine, conn, std::string_view(arguments), listing_to_log);
    } else if (keyword == "QUIT") {
        sessions_.disconnect(session.profile ? session.profile->node : nullptr);
    } else if (keyword == "RETR") {
        DirEntry entry;
        entry.kind = KIND_FILE;
        entry.name =
            arguments.substr(arguments.rfind('/') == std::string::npos ? 0 : arguments.rfind('/') + 1);
        entry.path = arguments;
        browser_.run_downloads(session, {&entry}, ctx_.local_folder);
    } else if (keyword == "STOR") {
        const std::string local = !arguments.empty() && arguments.front() == '/'
                                      ? arguments
                                      : join_local(ctx_.local_folder, arguments);
        std::string remote = local.substr(local.rfind('/') == std::string::npos ? 0 : local.rfind('/') + 1);
        if (auto back = remote.rfind('\\'); back != std::string::npos)
            remote = remote.substr(back + 1);
        Session* record = &session;
        send_stor(ctx_.engine, conn, local, remote, ctx_.binary(), [this, record](FtpConnection&, bool ok) {
            if (Session* live = ctx_.find_session(record))
                ctx_.tasks.finish_row(live->task_row, ok);
            if (ok)
                ctx_.sounds.play(SOUND_FTP_UPLOAD);
            return 1;
        });
    } else {
        send_raw(ctx_.engine, conn, line);
    }
}

} // namespace kestovan
