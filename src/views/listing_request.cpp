#include "views/listing_request.h"

#include "engine/command_set.h"

namespace kestovan {

FtpCommand* request_listing(Engine& engine, FtpConnection* conn, std::string_view path,
                            CommandCallback completed, void* user_data1, void* user_data2)
{
    if (!conn)
        return nullptr;
    if (path.find(' ') == std::string_view::npos)
        return send_list(engine, conn, path, std::move(completed), user_data1, user_data2);
    const std::uint32_t serial = conn->serial;
    if (!send_cwd(engine, conn, path) || !engine.is_live(conn, serial))
        return nullptr;
    return send_list(engine, conn, "", std::move(completed), user_data1, user_data2);
}

} // namespace kestovan
