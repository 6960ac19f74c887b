// A Wayland window shown black at any size from one black pixel that the compositor scales
// up (wp_viewporter), where a buffer of the window's size would cost width x height x 4
// bytes: 127 MiB for an 8K screen.
#pragma once

#include <QSize>
#include <memory>

class QWindow;
struct wl_buffer;
struct wl_display;
struct wl_surface;
struct wp_viewport;

namespace pelandra::qt {

class WaylandBlack {
  public:
    // For `window`'s current surface (it has one once created; Qt makes a new one when a
    // hidden window is shown again). Null off Wayland and where the compositor cannot scale
    // a buffer.
    static std::unique_ptr<WaylandBlack> forWindow(QWindow& window);
    ~WaylandBlack();
    WaylandBlack(const WaylandBlack&) = delete;
    WaylandBlack& operator=(const WaylandBlack&) = delete;

    wl_surface* surface() const { return surface_; }
    // Shows the pixel stretched over `size` (the window's size in its own, logical pixels)
    // and commits: after the compositor's configure is acknowledged, this maps the window.
    void cover(QSize size);

  private:
    WaylandBlack(wl_display* display, wl_buffer* pixel, wl_surface* surface, wp_viewport* viewport)
        : display_(display), pixel_(pixel), surface_(surface), viewport_(viewport) {}

    wl_display* display_;
    wl_buffer* pixel_;  // shared by every black window, kept for the process's life
    wl_surface* surface_;
    wp_viewport* viewport_;
};

}  // namespace pelandra::qt
