#include "platform/orientation.h"

#include <algorithm>

namespace pelandra {

namespace {

struct Pixel {
    int x;
    int y;
};

// The stored pixel shown at upright (x, y), for a stored picture of width w and height h.
Pixel storedPixel(int orientation, int w, int h, int x, int y) {
    switch (orientation) {
        case 2:  // mirrored left to right
            return {w - 1 - x, y};
        case 3:  // upside down
            return {w - 1 - x, h - 1 - y};
        case 4:  // mirrored top to bottom
            return {x, h - 1 - y};
        case 5:  // mirrored along the diagonal from the top left
            return {y, x};
        case 6:  // stored a quarter turn anticlockwise: shown turned clockwise
            return {y, h - 1 - x};
        case 7:  // mirrored along the other diagonal
            return {w - 1 - y, h - 1 - x};
        case 8:  // stored a quarter turn clockwise: shown turned anticlockwise
            return {w - 1 - y, x};
        default:
            return {x, y};
    }
}

}  // namespace

int knownOrientation(int orientation) {
    return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

bool orientationSwapsSides(int orientation) {
    return knownOrientation(orientation) >= 5;
}

PixelRect storedPartFor(int orientation, int storedWidth, int storedHeight, int width, int height) {
    if (width <= 0 || height <= 0) return {};
    orientation = knownOrientation(orientation);
    const Pixel first = storedPixel(orientation, storedWidth, storedHeight, 0, 0);
    const Pixel last = storedPixel(orientation, storedWidth, storedHeight, width - 1, height - 1);
    const int left = std::min(first.x, last.x);
    const int top = std::min(first.y, last.y);
    return {left, top, std::max(first.x, last.x) - left + 1, std::max(first.y, last.y) - top + 1};
}

void turnUpright(int orientation, std::span<const uint32_t> stored, int width, int height,
                 std::span<uint32_t> upright) {
    orientation = knownOrientation(orientation);
    const size_t count = size_t(std::max(width, 0)) * size_t(std::max(height, 0));
    if (stored.size() < count || upright.size() < count) return;
    const bool swaps = orientationSwapsSides(orientation);
    const int uprightWidth = swaps ? height : width;
    const int uprightHeight = swaps ? width : height;
    for (int y = 0; y < uprightHeight; ++y) {
        for (int x = 0; x < uprightWidth; ++x) {
            const Pixel from = storedPixel(orientation, width, height, x, y);
            upright[size_t(y) * size_t(uprightWidth) + size_t(x)] =
                stored[size_t(from.y) * size_t(width) + size_t(from.x)];
        }
    }
}

}  // namespace pelandra
