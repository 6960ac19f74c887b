// A photo's EXIF orientation, 1 to 8: how the rows and columns it stores are turned and
// mirrored against the upright picture. A backend whose decoder leaves photos as stored
// turns the decoded pixels upright with these before they meet the frame.
#pragma once

#include <cstdint>
#include <span>

#include "platform/pixel_geometry.h"

namespace pelandra {

// Any value outside 1..8 (absent, damaged) means the picture is stored upright.
int knownOrientation(int orientation);

// True for 5 to 8: the stored picture lies on its side, so width and height swap.
bool orientationSwapsSides(int orientation);

// The part of a stored `storedWidth` x `storedHeight` picture that becomes the top-left
// `width` x `height` of its upright picture (for a picture cut to its control).
PixelRect storedPartFor(int orientation, int storedWidth, int storedHeight, int width, int height);

// Turns the stored pixels (`width` x `height`, rows top-down) upright into `upright`, which
// holds width x height pixels with its sides swapped for orientations 5 to 8.
void turnUpright(int orientation, std::span<const uint32_t> stored, int width, int height,
                 std::span<uint32_t> upright);

}  // namespace pelandra
