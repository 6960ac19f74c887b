// The design's twips and points in whole pixels of the screen: one rule for every backend.
// `scale` is the screen's pixels per design pixel: 1 for device-independent pixels (which
// a toolkit such as Qt maps to the device itself), the DPI / 96 for a screen's own pixels.
#pragma once

#include <cstdint>

#include "platform/design.h"

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

// A font of `points` as a character height in pixels: points at 96 pixels an inch (the
// screen that 15 twips a pixel stand for), times `scale`, never below one pixel.
int32_t fontPixelHeight(float points, double scale);

}  // namespace pelandra
