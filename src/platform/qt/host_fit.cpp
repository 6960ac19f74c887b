#include "host_fit.h"

#include <algorithm>
#include <cmath>

namespace pelandra::qt {

QSize layoutSizeFor(QSize host) {
    if (host.width() >= kDesignScreen.width() && host.height() >= kDesignScreen.height()) {
        return host;
    }
    return kDesignScreen;
}

int Projection::length(int layout) const {
    return int(std::lround(layout * scale));
}

QRect Projection::inside(const QRect& layout) const {
    // Edges are scaled, not sizes, so neighbouring controls stay flush.
    const int left = length(layout.left());
    const int top = length(layout.top());
    return {left, top, length(layout.left() + layout.width()) - left,
            length(layout.top() + layout.height()) - top};
}

QRect Projection::onWindow(const QRect& layout) const {
    return inside(layout).translated(offset);
}

Projection fitInto(QSize layout, QSize host) {
    if (layout.isEmpty()) return {};
    const double scale = std::min(
        {1.0, double(host.width()) / layout.width(), double(host.height()) / layout.height()});
    const QPoint offset(int(std::lround((host.width() - layout.width() * scale) / 2)),
                        int(std::lround((host.height() - layout.height() * scale) / 2)));
    return {scale, offset};
}

}  // namespace pelandra::qt
