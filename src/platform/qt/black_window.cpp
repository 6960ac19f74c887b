#include "black_window.h"

#include <QBackingStore>
#include <QPainter>
#include <QPlatformSurfaceEvent>

#include "platform/qt/qt_x11_connection.h"
#include "platform/qt/wayland_black.h"

namespace pelandra::qt {

namespace {

// Asks the X server to fill `window` with black whenever any of it is exposed; true when
// the program runs on X11.
bool setBlackBackground(WId window) {
    xcb_connection_t* connection = qtX11Connection();
    if (connection == nullptr) return false;
    const uint32_t black = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->black_pixel;
    xcb_change_window_attributes(connection, uint32_t(window), XCB_CW_BACK_PIXEL, &black);
    return true;
}

}  // namespace

BlackWindow::BlackWindow() {
    setSurfaceType(QSurface::RasterSurface);
}

BlackWindow::~BlackWindow() = default;

bool BlackWindow::event(QEvent* event) {
    if (event->type() == QEvent::PlatformSurface) {
        switch (static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType()) {
            case QPlatformSurfaceEvent::SurfaceCreated:
                // Qt creates its X windows without a background, leaving the screen's old
                // content where nothing is drawn.
                serverFills_ = setBlackBackground(winId());
                break;
            case QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed:
                wayland_.reset();
                store_.reset();
                break;
        }
    }
    return QWindow::event(event);
}

void BlackWindow::exposeEvent(QExposeEvent*) {
    if (isExposed()) blacken();
}

void BlackWindow::hideEvent(QHideEvent*) {
    wayland_.reset();  // Qt gives a window shown again a new Wayland surface
}

void BlackWindow::blacken() {
    if (serverFills_) return;
    if (!wayland_ && !store_) wayland_ = WaylandBlack::forWindow(*this);
    if (wayland_) {
        wayland_->cover(size());
        return;
    }
    if (!store_) store_ = std::make_unique<QBackingStore>(this);
    const QRect all(QPoint(0, 0), size());
    store_->resize(size());
    store_->beginPaint(all);
    QPainter painter(store_->paintDevice());
    painter.fillRect(all, Qt::black);
    painter.end();
    store_->endPaint();
    store_->flush(all);
}

}  // namespace pelandra::qt
