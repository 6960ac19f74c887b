// How the show is fitted into a host window: laid out for the host's own size when that is
// at least the 800 x 600 the show was designed for, else for 800 x 600 and scaled down.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace pelandra::qt {

inline constexpr QSize kDesignScreen{800, 600};

// The size, in pixels, the show is laid out for inside a host of `host` pixels.
QSize layoutSizeFor(QSize host);

// Maps the layout's pixels onto the host's: shrunk to fit (never enlarged) and centred.
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

Projection fitInto(QSize layout, QSize host);

}  // namespace pelandra::qt
