#include "watch/watcher.h"

namespace pelandra::watch {

void Watcher::wait() {
    // Read afresh each time, so a changed wait takes effect without a restart.
    minutes_ = settings::minutesFromText(port_.minutesText());
    waiting_ = true;
    port_.awaitIdle(minutes_);
}

void Watcher::idle() {
    if (!waiting_ || showRunning_) return;
    waiting_ = false;
    if (!port_.startShow()) {
        port_.log("pelandra-saver: the show could not be started; waiting again");
        wait();
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
    wait();
}

}  // namespace pelandra::watch
