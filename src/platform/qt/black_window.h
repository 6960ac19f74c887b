// A top-level window that is black all over, filled by the window system where it can be:
// the X server paints the window's background pixel, a Wayland compositor scales up one
// black pixel. Either way the program holds no buffer of the window's size. Elsewhere (Qt's
// offscreen platform in tests, a compositor that scales no buffers) it paints black through
// a backing store as any window does.
#pragma once

#include <QWindow>
#include <memory>

class QBackingStore;

namespace pelandra::qt {

class WaylandBlack;

class BlackWindow : public QWindow {
  public:
    BlackWindow();
    ~BlackWindow() override;

  protected:
    bool event(QEvent* event) override;
    void exposeEvent(QExposeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void blacken();

    bool serverFills_ = false;  // X11: the server paints the background pixel
    std::unique_ptr<WaylandBlack> wayland_;
    std::unique_ptr<QBackingStore> store_;
};

}  // namespace pelandra::qt
