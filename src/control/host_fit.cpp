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

}  // namespace pelandra
