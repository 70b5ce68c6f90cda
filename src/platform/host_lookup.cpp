#include "platform/host_lookup.h"

#include "platform/connect_guard.h"
#include "platform/message.h"
#include "platform/socket_error.h"
#include "platform/window.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QObject>
#include <QTimer>

#include <unistd.h>
#include <unordered_map>

namespace kestovan {

namespace {

struct LookupEntry {
    std::uint64_t window_serial = 0;
    std::uint32_t msg = 0;
    std::optional<std::string> address;
};

LookupHandle g_next = 1;

std::unordered_map<LookupHandle, LookupEntry>& lookups()
{
    static std::unordered_map<LookupHandle, LookupEntry> table;
    return table;
}

QObject& context()
{
    static QObject object;
    return object;
}

void complete(LookupHandle handle, std::optional<std::string> address, int error)
{
    auto it = lookups().find(handle);
    if (it == lookups().end())
        return; // cancelled
    it->second.address = std::move(address);
    if (Window* w = Window::find(it->second.window_serial))
        w->post_message(it->second.msg, handle, make_select_reply(0, error));
}

} // namespace

LookupHandle async_get_host_by_name(Window& window, std::uint32_t msg, const std::string& name)
{
    if (name.empty())
        return 0;
    LookupHandle handle = g_next++;
    LookupEntry& entry = lookups()[handle];
    entry.window_serial = window.serial();
    entry.msg = msg;
    if (!ConnectGuard::permit_lookup(name)) {
        // Refused by the test guard: complete as an unknown host without asking any resolver.
        QTimer::singleShot(0, &context(), [handle] { complete(handle, std::nullopt, WSAHOST_NOT_FOUND); });
        return handle;
    }
    QHostInfo::lookupHost(QString::fromUtf8(name), &context(), [handle](const QHostInfo& info) {
        for (const QHostAddress& a : info.addresses()) {
            bool ok = false;
            quint32 ip4 = a.toIPv4Address(&ok);
            if (ok && a.protocol() == QAbstractSocket::IPv4Protocol) {
                complete(handle, QHostAddress(ip4).toString().toStdString(), 0);
                return;
            }
        }
        int error = info.error() == QHostInfo::NoError ? WSANO_DATA : WSAHOST_NOT_FOUND;
        complete(handle, std::nullopt, error);
    });
    return handle;
}

std::optional<std::string> lookup_first_address(LookupHandle handle)
{
    auto it = lookups().find(handle);
    return it == lookups().end() ? std::nullopt : it->second.address;
}

void release_lookup(LookupHandle handle)
{
    lookups().erase(handle);
}

void cancel_lookup(LookupHandle handle)
{
    // The resolver is left to finish and its answer is dropped in complete(): aborting a Qt lookup
    // leaks the callback Qt holds for it.
    lookups().erase(handle);
}

std::string local_host_name()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return "localhost";
    return name;
}

} // namespace kestovan
