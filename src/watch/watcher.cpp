#include "watch/watcher.h"

#include <algorithm>

namespace pelandra::watch {

int32_t Watcher::waitMinutes() {
    // Both read afresh each time, so a changed wait takes effect without a restart.
    const auto stored = settings::minutesFromText(port_.minutesText());
    const auto desktop = port_.desktopBlank();
    if (!stored) {
        // A show is only seen if it starts before the desktop blanks the screen.
        return desktop ? std::max(settings::kFewestMinutes, desktop->minutes - 1)
                       : settings::kDefaultMinutes;
    }
    if (desktop && *stored >= desktop->minutes) {
        port_.log("pelandra-saver: the desktop blanks after " + std::to_string(desktop->minutes) +
                  " min, before the wait of " + std::to_string(*stored) +
                  " min ends: shorten Minutes or lengthen " + desktop->setting);
    }
    return *stored;
}

void Watcher::wait(bool fromNow) {
    minutes_ = waitMinutes();
    waiting_ = true;
    port_.awaitIdle(minutes_, fromNow);
}

void Watcher::idle() {
    if (!waiting_ || showRunning_) return;
    waiting_ = false;
    if (port_.desktopLocked()) {
        // Behind the desktop's lock nobody would see it.
        awaitingUnlock_ = true;
        port_.log("pelandra-saver: the desktop is locked; no show until it unlocks");
        return;
    }
    if (!port_.startShow()) {
        port_.log("pelandra-saver: the show could not be started; waiting again");
        wait(false);
        return;
    }
    showRunning_ = true;
    port_.log("pelandra-saver: idle for " + std::to_string(minutes_) + " min: show started");
}

void Watcher::showEnded(int status) {
    if (!showRunning_) return;
    showRunning_ = false;
    port_.log(status == 0 ? std::string("pelandra-saver: show ended")
                          : "pelandra-saver: show ended with status " + std::to_string(status));
    wait(false);
}

void Watcher::desktopUnlocked() {
    if (!awaitingUnlock_) return;
    awaitingUnlock_ = false;
    port_.log("pelandra-saver: the desktop is unlocked; waiting again");
    wait(true);
}

}  // namespace pelandra::watch
