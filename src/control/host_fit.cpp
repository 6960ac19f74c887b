#include "control/host_fit.h"

#include <algorithm>
#include <cmath>

namespace pelandra {

HostSize layoutSizeFor(HostSize host) {
    if (host.width >= kDesignScreen.width && host.height >= kDesignScreen.height) return host;
    return kDesignScreen;
}

HostSize drawnArea(HostSize host, HostSize largestScreen) {
    const auto cut = [](int32_t side, int32_t bound) {
        return bound > 0 ? std::min(side, bound) : side;
    };
    return {cut(host.width, largestScreen.width), cut(host.height, largestScreen.height)};
}

HostFit fitInto(HostSize layout, HostSize area) {
    if (layout.width <= 0 || layout.height <= 0) return {1, 0, 0, area};
    const double scale =
        std::min({1.0, double(area.width) / layout.width, double(area.height) / layout.height});
    return {scale, int32_t(std::lround((area.width - layout.width * scale) / 2)),
            int32_t(std::lround((area.height - layout.height * scale) / 2)), area};
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
