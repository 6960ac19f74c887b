// The design's twips and points in whole pixels of the screen: one rule for every backend.
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

// Twips to whole pixels at 15 twips a pixel, each value rounded on its own.
int32_t pixelsOf(float twips);
PixelRect pixelsOf(const Twips& where);

// A font of `points` as a character height in pixels: points at 96 pixels an inch (the
// screen that 15 twips a pixel stand for), shrunk by `scale`, never below one pixel.
int32_t fontPixelHeight(float points, double scale);

}  // namespace pelandra
