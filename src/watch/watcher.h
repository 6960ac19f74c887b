// The idle watcher's rule: wait until the session has been idle for the wait time, start
// the show, and wait again once it has ended; never two shows at once.
#pragma once

#include <cstdint>
#include <string>

#include "platform/text.h"

namespace pelandra::watch {

// The wait, in the settings store: section "Watch", key "Minutes".
inline constexpr TextView kSection = u"Watch";
inline constexpr TextView kMinutesKey = u"Minutes";
inline constexpr int32_t kDefaultMinutes = 10;
inline constexpr int32_t kFewestMinutes = 1;
inline constexpr int32_t kMostMinutes = 1440;  // a day

// Whole minutes from the stored text: rounded half to even and held to 1 to 1440; text
// that is not a number (or no text) gives the default.
int32_t minutesFromText(TextView text);

// What the watcher works through: the backend's idle source, settings and show process.
class WatchPort {
  public:
    virtual ~WatchPort() = default;
    // The stored text of the wait, or empty when there is none.
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
    int32_t minutes_ = kDefaultMinutes;
};

}  // namespace pelandra::watch
