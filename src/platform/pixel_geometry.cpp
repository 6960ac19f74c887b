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

ScreenSize twipsOf(HostSize pixels, double scale) {
    const double twipsPerPixel = kTwipsPerPixel / scale;
    return {float(pixels.width * twipsPerPixel), float(pixels.height * twipsPerPixel)};
}

int32_t fontPixelHeight(float points, double scale) {
    return std::max(int32_t(1), int32_t(std::lround(double(points) * 96.0 / 72.0 * scale)));
}

int32_t fitLength(int32_t layout, const HostFit& fit) {
    return int32_t(std::lround(layout * fit.scale));
}

PixelRect fitRect(const PixelRect& layout, const HostFit& fit, bool onWindow) {
    const int32_t left = fitLength(layout.left, fit);
    const int32_t top = fitLength(layout.top, fit);
    PixelRect fitted{left, top, fitLength(layout.left + layout.width, fit) - left,
                     fitLength(layout.top + layout.height, fit) - top};
    if (onWindow) {
        fitted.left += fit.offsetX;
        fitted.top += fit.offsetY;
    }
    return fitted;
}

HostFit atScale(const HostFit& fit, double scale) {
    const auto grown = [scale](int32_t length) { return int32_t(std::lround(length * scale)); };
    return {fit.scale,
            grown(fit.offsetX),
            grown(fit.offsetY),
            {grown(fit.area.width), grown(fit.area.height)}};
}

Twips noticePlace(const Twips& area) {
    const float width = area.width * 3 / 4;
    const float height = area.height / 3;
    return {area.left + (area.width - width) / 2, area.top + (area.height - height) / 2, width,
            height};
}

}  // namespace pelandra
