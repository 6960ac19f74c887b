// How the 800 x 600 design is fitted into a host window: laid out for the size it is drawn
// at (the host's, at most the largest screen's) when that is at least the design's, else for
// 800 x 600 and then shrunk uniformly and centred.
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

// Where a control's layout rectangle is drawn in the host: its edges scaled (so neighbours
// stay flush), and moved by the offset when it is placed on the window itself rather than
// inside another control. What backends do with a HostFit.
PixelRect fitRect(const PixelRect& layout, const HostFit& fit, bool onWindow);
int32_t fitLength(int32_t layout, const HostFit& fit);

// The same fit for a layout in a screen's own pixels, `scale` of them to a design pixel
// (pixel_geometry.h): the shrink is unchanged, the offset and the area grow with the scale.
HostFit atScale(const HostFit& fit, double scale);

// Where a message in place of a box goes: centred on `area` (the photo frame), three
// quarters of its width and a third of its height.
Twips noticePlace(const Twips& area);
// How it looks: bold text, white on dark grey.
inline constexpr FontSpec kNoticeFont{"MS Sans Serif", 9.75f, true};
inline constexpr Colour kNoticeBack = 0x00404040;
inline constexpr Colour kNoticeText = 0x00FFFFFF;

}  // namespace pelandra
