// A hosted window's fit into its host (decided by the core) in Qt's terms.
#pragma once

#include <QPoint>
#include <QRect>

#include "platform/platform.h"

namespace pelandra::qt {

struct Projection {
    double scale = 1.0;
    QPoint offset;  // where the layout's top-left corner lands

    // A rectangle of a control placed on the window itself.
    QRect onWindow(const QRect& layout) const;
    // A rectangle of a control inside another control (no offset).
    QRect inside(const QRect& layout) const;
    int length(int layout) const;

    bool operator==(const Projection&) const = default;
};

Projection projectionOf(const HostFit& fit);

}  // namespace pelandra::qt
