// Dialogs keep their place between runs (ui/dialog_geometry.h). One event filter on the application
// serves every dialog whose object name is its dialog number: the first time such a dialog is shown
// it gets its stored position (and its stored size when it can be resized), kept reachable on the
// screen; when it is hidden its geometry is stored. The lists inside it whose object names are
// control numbers get their stored column widths and order back, and store them in turn.
#pragma once

#include <QObject>

class QHeaderView;
class QWidget;

namespace kestovan {

class DialogMemory : public QObject {
public:
    explicit DialogMemory(QObject* parent = nullptr);
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The same by hand, for windows that are not dialogs (the profile manager).
    static void restore(QWidget& window, int number);
    static void save(const QWidget& window, int number);
};

} // namespace kestovan
