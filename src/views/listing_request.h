// Asking a server for a folder's listing. The session layer decides which connection runs it (a
// busy one hands it to a spawned connection); this queues it on the one it is given.
#pragma once

#include "engine/engine.h"

#include <string_view>

namespace kestovan {

// A path holding a blank is entered first with CWD and listed without an argument (servers split
// LIST arguments at blanks); any other path is the argument of LIST. Returns the LIST command.
FtpCommand* request_listing(Engine& engine, FtpConnection* conn, std::string_view path,
                            CommandCallback completed, void* user_data1 = nullptr,
                            void* user_data2 = nullptr);

} // namespace kestovan
