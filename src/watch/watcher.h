// The idle watcher's rule: wait until the session has been idle for the wait time, start
// the show, and wait again once it has ended; never two shows at once, and none while the
// desktop has blanked or locked the screen itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/text.h"
#include "settings/settings.h"

namespace pelandra::watch {

// When the desktop blanks or locks the screen by itself, and the setting of its that says so.
struct DesktopBlank {
    int32_t minutes;      // of idle, held to 1 to settings::kMostMinutes
    std::string setting;  // as the log names it, e.g. "GNOME's idle-delay"
};

// What the watcher works through: the backend's idle source, settings, the desktop and
// the show process.
class WatchPort {
  public:
    virtual ~WatchPort() = default;
    // The stored text of the wait (settings::kMinutesKey), or empty when there is none.
    virtual Text minutesText() = 0;
    // The desktop's own blank time, read afresh; nullopt where the desktop says nothing.
    virtual std::optional<DesktopBlank> desktopBlank() = 0;
    // Whether the desktop has blanked or locked the screen now.
    virtual bool desktopLocked() = 0;
    // Calls Watcher::idle once the user has been idle for `minutes`; replaces any
    // earlier request. With `fromNow`, idle time before this call does not count.
    virtual void awaitIdle(int32_t minutes, bool fromNow) = 0;
    // Starts the full-screen show as a child process; false when it could not start.
    // Its end is reported through Watcher::showEnded.
    virtual bool startShow() = 0;
    virtual void log(const std::string& line) = 0;
};

class Watcher {
  public:
    explicit Watcher(WatchPort& port) : port_(port) {}

    void start() { wait(false); }
    // The idle source fired.
    void idle();
    // The show's process ended with `status` (its exit status, or -1 when it crashed).
    void showEnded(int status);
    // The desktop's blank or lock has ended.
    void desktopUnlocked();

    bool showRunning() const { return showRunning_; }

  private:
    void wait(bool fromNow);
    int32_t waitMinutes();

    WatchPort& port_;
    bool waiting_ = false;
    bool showRunning_ = false;
    bool awaitingUnlock_ = false;
    int32_t minutes_ = settings::kDefaultMinutes;
};

}  // namespace pelandra::watch
