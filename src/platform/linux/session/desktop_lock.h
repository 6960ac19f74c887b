// Whether the desktop has blanked or locked the screen by itself, as its screen saver on the
// session bus and logind's session on the system bus tell it.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace pelandra::qt {

class LockFlag;

class DesktopLock : public QObject {
  public:
    // `changed` is called, through the event loop, whenever `locked()` changes, including
    // when the first answers find the desktop locked already.
    explicit DesktopLock(std::function<void(bool locked)> changed);
    ~DesktopLock() override;

    bool locked() const { return locked_; }

  private:
    void update();

    std::function<void(bool)> changed_;
    std::vector<std::unique_ptr<LockFlag>> flags_;  // one per service that can tell
    bool locked_ = false;
};

}  // namespace pelandra::qt
