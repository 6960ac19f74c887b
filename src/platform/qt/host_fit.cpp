#include "host_fit.h"

#include "platform/pixel_geometry.h"

namespace pelandra::qt {

namespace {

QRect fitted(const QRect& layout, double scale, QPoint offset, bool onWindow) {
    const HostFit fit{scale, offset.x(), offset.y()};
    const PixelRect rect =
        fitRect({layout.left(), layout.top(), layout.width(), layout.height()}, fit, onWindow);
    return {rect.left, rect.top, rect.width, rect.height};
}

}  // namespace

int Projection::length(int layout) const {
    return fitLength(layout, {scale, 0, 0});
}

QRect Projection::inside(const QRect& layout) const {
    return fitted(layout, scale, offset, false);
}

QRect Projection::onWindow(const QRect& layout) const {
    return fitted(layout, scale, offset, true);
}

Projection projectionOf(const HostFit& fit) {
    return {fit.scale, QPoint(fit.offsetX, fit.offsetY)};
}

}  // namespace pelandra::qt
