#include "shell/widgets/x11_docking.h"

#include "shell/docking.h"

#include <QGuiApplication>
#include <QWidget>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <xcb/xcb.h>

namespace kestovan {

namespace {

xcb_connection_t* x11_connection()
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

std::uint32_t intern(xcb_connection_t* conn, const char* name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(conn, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(conn, cookie, nullptr), &std::free);
    return reply ? reply->atom : 0;
}

bool is_window(xcb_connection_t* conn, std::uint32_t window)
{
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> reply(
        xcb_get_window_attributes_reply(conn, xcb_get_window_attributes(conn, window), nullptr), &std::free);
    return reply != nullptr;
}

void send_client_message(xcb_connection_t* conn, std::uint32_t to, std::uint32_t type, std::uint8_t format,
                         const void* data, std::size_t size)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = format;
    event.window = to;
    event.type = type;
    std::memcpy(event.data.data8, data, std::min<std::size_t>(size, sizeof(event.data.data8)));
    xcb_send_event(conn, 0, to, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_flush(conn);
}

} // namespace

X11Docking::X11Docking(QWidget& window, std::uint32_t host_window, long long cookie)
    : window_(window), host_(host_window), cookie_(cookie)
{}

X11Docking::~X11Docking()
{
    if (installed_ && qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
}

bool X11Docking::register_with_host()
{
    xcb_connection_t* conn = x11_connection();
    if (!conn || !is_window(conn, host_))
        return false;
    text_atom_ = intern(conn, "_KESTOVAN_DOCK_TEXT");
    const std::uint32_t register_atom = intern(conn, "_KESTOVAN_DOCK_REGISTER");
    if (!text_atom_ || !register_atom)
        return false;
    if (!installed_) {
        qGuiApp->installNativeEventFilter(this);
        installed_ = true;
    }
    const std::uint32_t ids[5] = {static_cast<std::uint32_t>(window_.winId()),
                                  static_cast<std::uint32_t>(cookie_), 0, 0, 0};
    send_client_message(conn, host_, register_atom, 32, ids, sizeof ids);
    const std::string text = dock_registration(cookie_);
    send_client_message(conn, host_, text_atom_, 8, text.c_str(), text.size() + 1);
    return true;
}

bool X11Docking::nativeEventFilter(const QByteArray& type, void* message, qintptr*)
{
    if (type != "xcb_generic_event_t" || !text_atom_)
        return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE)
        return false;
    auto* client = reinterpret_cast<xcb_client_message_event_t*>(event);
    if (client->type != text_atom_ || client->format != 8 ||
        client->window != static_cast<std::uint32_t>(window_.winId()))
        return false;
    const auto* bytes = reinterpret_cast<const char*>(client->data.data8);
    const std::string_view text(bytes, strnlen(bytes, sizeof(client->data.data8)));
    switch (dock_request(text)) {
    case DockRequest::DOCK:
        window_.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        window_.show();
        if (xcb_connection_t* conn = x11_connection()) {
            xcb_reparent_window(conn, static_cast<std::uint32_t>(window_.winId()), host_, 0, 0);
            xcb_flush(conn);
        }
        return true;
    case DockRequest::CLOSE: window_.close(); return true;
    case DockRequest::NONE: return true;
    }
    return false;
}

} // namespace kestovan
