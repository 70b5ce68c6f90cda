// Docking on X11: the registration goes to the host window as a client message of type
// "_KESTOVAN_DOCK_REGISTER" (format 32: our window id, the cookie) followed by the registration text
// as a "_KESTOVAN_DOCK_TEXT" message (format 8, up to 20 bytes); the host answers with
// "_KESTOVAN_DOCK_TEXT" messages addressed to our window holding "Dock" or "Clos...". "Dock" makes
// the window frameless and reparents it into the host window. Elsewhere than on X11 the option is
// accepted and ignored.
#pragma once

#include <QAbstractNativeEventFilter>

#include <cstdint>

class QWidget;

namespace kestovan {

class X11Docking : public QAbstractNativeEventFilter {
public:
    X11Docking(QWidget& window, std::uint32_t host_window, long long cookie);
    ~X11Docking() override;
    X11Docking(const X11Docking&) = delete;
    X11Docking& operator=(const X11Docking&) = delete;

    // Sends the registration; false when not on X11 or the host is no window.
    bool register_with_host();

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

private:
    QWidget& window_;
    std::uint32_t host_;
    long long cookie_;
    std::uint32_t text_atom_ = 0;
    bool installed_ = false;
};

} // namespace kestovan
