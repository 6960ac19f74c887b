// The design's twips and points in whole pixels of the screen: one rule for every backend.
// `scale` is the screen's pixels per design pixel: 1 for device-independent pixels (which
// a toolkit such as Qt maps to the device itself), the DPI / 96 for a screen's own pixels.
#pragma once

#include <cstdint>

#include "platform/design.h"
#include "platform/platform.h"

namespace pelandra {

// A rectangle in whole pixels.
struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const PixelRect&) const = default;
};

// The pixels per design pixel of a screen at `dpi` dots an inch.
inline double scaleForDpi(uint32_t dpi) {
    return dpi / 96.0;
}

// Twips to whole pixels at 15 / `scale` twips a pixel, each value rounded on its own.
int32_t pixelsOf(float twips, double scale);
PixelRect pixelsOf(const Twips& where, double scale);

// A screen or window of `pixels` in twips, `scale` of its pixels to a design pixel: the
// inverse of pixelsOf.
ScreenSize twipsOf(HostSize pixels, double scale);

// A font of `points` as a character height in pixels: points at 96 pixels an inch (the
// screen that 15 twips a pixel stand for), times `scale`, never below one pixel.
int32_t fontPixelHeight(float points, double scale);

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
