// Another X client may destroy the program's windows (xdotool windowclose, a desktop's
// cleanup). Qt does not notice, so the program would live on without a window; this tells
// it instead.
#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <functional>

namespace pelandra::qt {

class X11DestroyWatch : public QAbstractNativeEventFilter {
  public:
    // Calls `destroyed` with the id of every X window of this connection that is destroyed.
    // Install only when the application runs on X11.
    explicit X11DestroyWatch(std::function<void(uintptr_t window)> destroyed);
    ~X11DestroyWatch() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    std::function<void(uintptr_t)> destroyed_;
};

}  // namespace pelandra::qt
