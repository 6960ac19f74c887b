// Changes of the screens that move a full-screen window: a screen added or removed, one
// that changed size or place, another one made the primary.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

class QScreen;

namespace pelandra::qt {

class ScreenChanges : public QObject {
  public:
    // Calls `changed` from the event loop once the screens have settled after a change; the
    // several signals of one change (an output turned off also changes the primary) come
    // as one call.
    explicit ScreenChanges(std::function<void()> changed);

  private:
    void watch(QScreen* screen);

    std::function<void()> changed_;
    QTimer settle_;
};

}  // namespace pelandra::qt
