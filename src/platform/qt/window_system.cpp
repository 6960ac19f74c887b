#include "window_system.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

namespace pelandra::qt {

bool compositorPlacesWindows() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void placeOnScreen(QWidget& window, QScreen* screen) {
    if (screen == nullptr) return;
    // A shown Wayland window is sized by the compositor alone; resizing it then leaves it
    // undrawn until the compositor's next configure.
    if (!window.isVisible() || !compositorPlacesWindows()) window.setGeometry(screen->geometry());
    window.setScreen(screen);
}

QCursor hiddenPointer() {
    if (!compositorPlacesWindows()) return QCursor(Qt::BlankCursor);
    QPixmap nothing(1, 1);
    nothing.fill(Qt::transparent);
    return QCursor(nothing, 0, 0);
}

}  // namespace pelandra::qt
