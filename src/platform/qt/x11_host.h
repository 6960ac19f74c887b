// The host X window the show runs inside: found on Qt's own X connection, watched for size
// changes and for its end.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QSize>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/qt/host_request.h"

namespace pelandra::qt {

class X11Host : public QAbstractNativeEventFilter {
  public:
    // The requested window when the application runs on X11 and the window exists, else
    // nullptr. Call after the application object exists.
    static std::unique_ptr<X11Host> attach(const HostRequest& request);
    ~X11Host() override;

    uint32_t window() const { return window_; }
    // The host's size in device-independent pixels.
    QSize size() const { return size_; }

    // Gives `child` (a window inside the host) `size` (device-independent pixels, at most
    // the host's) from the host's top-left corner and maps it. Qt leaves both to the embedder
    // for a window inside another program's, as XEmbed has it, but a screen-saver host knows
    // nothing of XEmbed.
    void fill(uintptr_t child, QSize size) const;

    // Called with the new size whenever the host is resized, and once it is destroyed.
    void onResized(std::function<void(QSize)> resized) { resized_ = std::move(resized); }
    void onGone(std::function<void()> gone) { gone_ = std::move(gone); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    explicit X11Host(uint32_t window);
    void resize(int width, int height);

    uint32_t window_;
    QSize nativeSize_;
    QSize size_;
    std::function<void(QSize)> resized_;
    std::function<void()> gone_;
};

}  // namespace pelandra::qt
