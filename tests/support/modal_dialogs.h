// Answering modal dialogs in widget tests: the action runs inside the dialog's own event loop, once
// the dialog has opened.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace kestovan::test {

// Runs act on the next modal widget that opens (checked every few milliseconds, for up to timeout_ms).
// Call it before the code that opens the dialog.
inline void when_modal_opens(std::function<void(QWidget&)> act, int timeout_ms = 5000)
{
    constexpr int STEP_MS = 5;
    auto* timer = new QTimer(qApp); // the application frees it at the latest
    QObject::connect(timer, &QTimer::timeout, timer,
                     [timer, act = std::move(act), timeout_ms, waited = 0]() mutable {
                         waited += STEP_MS;
                         QWidget* modal = QApplication::activeModalWidget();
                         const bool open = modal && modal->isVisible();
                         if (open || waited > timeout_ms) {
                             timer->stop();
                             timer->deleteLater();
                         }
                         if (open)
                             act(*modal);
                     });
    timer->start(STEP_MS);
}

} // namespace kestovan::test
