#include "platform/pixel_geometry.h"

#include <algorithm>
#include <cmath>

namespace pelandra {

int32_t pixelsOf(float twips, double scale) {
    return int32_t(std::lround(double(twips) * scale / kTwipsPerPixel));
}

PixelRect pixelsOf(const Twips& where, double scale) {
    return {pixelsOf(where.left, scale), pixelsOf(where.top, scale), pixelsOf(where.width, scale),
            pixelsOf(where.height, scale)};
}

int32_t fontPixelHeight(float points, double scale) {
    return std::max(int32_t(1), int32_t(std::lround(double(points) * 96.0 / 72.0 * scale)));
}

}  // namespace pelandra
