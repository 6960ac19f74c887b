// How the 800 x 600 design is fitted into a host window: laid out for the size it is drawn
// at (the host's, at most the largest screen's) when that is at least the design's, else for
// 800 x 600 and then shrunk uniformly and centred. What a backend does with the fit is in
// platform/pixel_geometry.h.
#pragma once

#include "platform/pixel_geometry.h"
#include "platform/platform.h"

namespace pelandra {

inline constexpr HostSize kDesignScreen{800, 600};

// The size, in pixels, the show is laid out for inside a host of `host` pixels.
HostSize layoutSizeFor(HostSize host);

// The part of a host window the show is drawn in: the host, each side cut to the largest
// screen's (a side of 0 or less there sets no bound).
HostSize drawnArea(HostSize host, HostSize largestScreen);

// Shrinks the layout to fit the area (never enlarges it) and centres it there.
HostFit fitInto(HostSize layout, HostSize area);

}  // namespace pelandra
