// Another X client may destroy the program's windows (xdotool windowclose, a desktop's
// cleanup) or unmap them (xdotool windowunmap). Qt does not notice, so the program would
// live on without a window, or with one nobody sees that no key reaches; this tells it
// instead.
#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <functional>

namespace pelandra::qt {

class X11DestroyWatch : public QAbstractNativeEventFilter {
  public:
    // Calls `gone` with the id of every X window of this connection that is destroyed, or
    // unmapped and still unmapped when the notice arrives (`destroyed` false: the caller
    // knows whether it hid the window itself, and whether a window manager may have
    // minimised it). Install only when the application runs on X11.
    explicit X11DestroyWatch(std::function<void(uintptr_t window, bool destroyed)> gone);
    ~X11DestroyWatch() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    std::function<void(uintptr_t, bool)> gone_;
};

}  // namespace pelandra::qt
