// The host windows a hosted show is tried in, and where its photo frame and photo must then
// be drawn, in host pixels. One table for the core and every backend.
#pragma once

#include "control/host_fit.h"

namespace pelandra::testing {

struct HostSizeCase {
    const char* name;
    HostSize host;
    HostSize layout;  // the size the show is laid out for
    HostFit fit;
    PixelRect frame;  // SSPanel1, on the window
    PixelRect photo;  // Image1, inside SSPanel1
};

inline constexpr HostSizeCase kHostSizes[] = {
    {"WindowsPreview", {200, 150}, {800, 600}, {0.25, 0, 0}, {1, 0, 198, 122}, {2, 2, 194, 118}},
    {"SmallPreview", {320, 240}, {800, 600}, {0.4, 0, 0}, {2, 0, 317, 196}, {3, 3, 311, 189}},
    {"WidePreview", {480, 240}, {800, 600}, {0.4, 80, 0}, {82, 0, 317, 196}, {3, 3, 311, 189}},
    {"SquarePreview", {400, 400}, {800, 600}, {0.5, 0, 50}, {2, 50, 397, 245}, {4, 4, 389, 237}},
    {"DesignScreen", {800, 600}, {800, 600}, {1, 0, 0}, {4, 0, 793, 489}, {8, 8, 777, 473}},
    {"FullScreen", {1024, 768}, {1024, 768}, {1, 0, 0}, {116, 93, 793, 489}, {8, 8, 777, 473}},
};

}  // namespace pelandra::testing
