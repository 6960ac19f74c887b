#include "window_system.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace pelandra::qt {

bool compositorPlacesWindows() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

namespace {

template <class Window>
void place(Window& window, QScreen* screen) {
    if (screen == nullptr) return;
    // A shown Wayland window has the size the compositor gave it; the program's own would
    // only contradict it.
    if (!window.isVisible() || !compositorPlacesWindows()) window.setGeometry(screen->geometry());
    window.setScreen(screen);
}

}  // namespace

void placeOnScreen(QWidget& window, QScreen* screen) {
    place(window, screen);
}

void placeOnScreen(QWindow& window, QScreen* screen) {
    place(window, screen);
}

QCursor hiddenPointer() {
    if (!compositorPlacesWindows()) return QCursor(Qt::BlankCursor);
    QPixmap nothing(1, 1);
    nothing.fill(Qt::transparent);
    return QCursor(nothing, 0, 0);
}

}  // namespace pelandra::qt
