// The idle watcher's rule: wait until the session has been idle for the wait time, start
// the show, and wait again once it has ended; never two shows at once.
#pragma once

#include <cstdint>
#include <string>

#include "platform/text.h"
#include "settings/settings.h"

namespace pelandra::watch {

// What the watcher works through: the backend's idle source, settings and show process.
class WatchPort {
  public:
    virtual ~WatchPort() = default;
    // The stored text of the wait (settings::kMinutesKey), or empty when there is none.
    virtual Text minutesText() = 0;
    // Calls Watcher::idle once the user has been idle for `minutes`; replaces any
    // earlier request.
    virtual void awaitIdle(int32_t minutes) = 0;
    // Starts the full-screen show as a child process; false when it could not start.
    // Its end is reported through Watcher::showEnded.
    virtual bool startShow() = 0;
    virtual void log(const std::string& line) = 0;
};

class Watcher {
  public:
    explicit Watcher(WatchPort& port) : port_(port) {}

    void start() { wait(); }
    // The idle source fired.
    void idle();
    // The show's process ended with `status` (its exit status, or -1 when it crashed).
    void showEnded(int status);

    bool showRunning() const { return showRunning_; }

  private:
    void wait();

    WatchPort& port_;
    bool waiting_ = false;
    bool showRunning_ = false;
    int32_t minutes_ = settings::kDefaultMinutes;
};

}  // namespace pelandra::watch
