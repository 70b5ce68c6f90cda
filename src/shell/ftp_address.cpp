#include "shell/ftp_address.h"

#include "shell/remote_browser.h"
#include "shell/session_control.h"
#include "shell/shell_context.h"

#include <QUrl>

#include <optional>

namespace kestovan {

namespace {

constexpr int FTP_PORT = 21;
constexpr int IMPLICIT_TLS_PORT = 990;

// The encryption a scheme asks for: ftps:// is TLS from the first byte, ftpes:// requires explicit
// TLS, and a plain ftp:// link (what web pages and other programs hand over) uses TLS when the server
// offers it, saying so in red when it does not.
std::optional<std::uint8_t> encryption_of(const QString& scheme)
{
    if (scheme == QLatin1String("ftp"))
        return ENCRYPTION_EXPLICIT_IF_AVAILABLE;
    if (scheme == QLatin1String("ftps"))
        return ENCRYPTION_IMPLICIT;
    if (scheme == QLatin1String("ftpes"))
        return ENCRYPTION_EXPLICIT;
    return std::nullopt;
}

std::string utf8(const QString& text)
{
    return text.toUtf8().toStdString();
}

} // namespace

std::unique_ptr<SiteProfile> profile_from_ftp_address(std::string_view address)
{
    const QUrl url(QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size())),
                   QUrl::StrictMode);
    const auto encryption = encryption_of(url.scheme());
    if (!url.isValid() || !encryption || url.host().isEmpty())
        return nullptr;
    const std::string path = utf8(url.path(QUrl::FullyDecoded));
    // A line break would end the command it is sent in and start another.
    for (const std::string& part :
         {utf8(url.userName(QUrl::FullyDecoded)), utf8(url.password(QUrl::FullyDecoded)), path})
        if (part.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
            return nullptr;
    auto profile = std::make_unique<SiteProfile>();
    profile->server = utf8(url.host());
    profile->encryption = *encryption;
    profile->port =
        std::to_string(url.port(*encryption == ENCRYPTION_IMPLICIT ? IMPLICIT_TLS_PORT : FTP_PORT));
    profile->passive = 1;
    profile->temporary = true;
    if (url.userName().isEmpty()) {
        profile->anonymous = 1;
        profile->username = std::string(ANONYMOUS_USER);
    } else {
        profile->username = utf8(url.userName(QUrl::FullyDecoded));
        // Without one the session asks for it, as for a profile that does not save its password.
        if (!url.password().isEmpty())
            profile->password = utf8(url.password(QUrl::FullyDecoded));
    }
    if (!path.empty() && path != "/")
        profile->remote_folder = path;
    profile->name = utf8(url.toDisplayString(QUrl::RemovePassword));
    return profile;
}

DirEntry* connect_ftp_address(std::unique_ptr<SiteProfile> profile, ShellContext& ctx,
                              SessionControl& sessions, RemoteBrowser& browser)
{
    auto node = std::make_unique<DirEntry>();
    node->kind = KIND_SITE;
    node->name = profile->name.value_or("");
    attach_profile(*node, std::move(profile));
    ctx.tree.push_back(std::move(node));
    DirEntry* site = ctx.tree.back().get();
    ctx.view->tree_item_changed(*site);
    browser.select_node(site);
    sessions.connect(site, false);
    return site;
}

} // namespace kestovan
