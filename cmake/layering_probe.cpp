// Compiled with the logic library's include path by the layering test, which expects it to fail.
#include <QWidget>
#include <QtWidgets/QWidget>

int layering_probe() { return sizeof(QWidget); }
