#include "platform/pixel_geometry.h"

#include <algorithm>
#include <cmath>

namespace pelandra {

int32_t pixelsOf(float twips) {
    return int32_t(std::lround(double(twips) / kTwipsPerPixel));
}

PixelRect pixelsOf(const Twips& where) {
    return {pixelsOf(where.left), pixelsOf(where.top), pixelsOf(where.width),
            pixelsOf(where.height)};
}

int32_t fontPixelHeight(float points, double scale) {
    return std::max(int32_t(1), int32_t(std::lround(double(points) * 96.0 / 72.0 * scale)));
}

}  // namespace pelandra
