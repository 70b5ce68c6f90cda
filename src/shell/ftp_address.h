// An ftp://, ftps:// or ftpes:// address given on the command line (the desktop's handler for ftp links): a
// temporary profile for it joins the tree and connects, and leaves nothing behind in the profile folder.
#pragma once

#include "profiles/site_profile.h"

#include <memory>
#include <string_view>

namespace kestovan {

struct ShellContext;
class SessionControl;
class RemoteBrowser;

// "ftp://[user[:password]@]host[:port][/path]" (also ftps:// and ftpes://): a temporary profile
// (passive mode; anonymous without a user; the path as its start folder; the encryption the scheme
// names), named after the address without its password. Null for anything else.
[[nodiscard]] std::unique_ptr<SiteProfile> profile_from_ftp_address(std::string_view address);

// Adds a site node for the profile at the end of the tree, selects it and connects it.
DirEntry* connect_ftp_address(std::unique_ptr<SiteProfile> profile, ShellContext& ctx,
                              SessionControl& sessions, RemoteBrowser& browser);

} // namespace kestovan
