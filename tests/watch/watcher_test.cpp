// The watcher's rule, driven through a fake idle source, settings and show process.
#include "watch/watcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelandra::watch {
namespace {

// Steps a test takes, and the calls the watcher makes in answer, in one trace.
class FakePort : public WatchPort {
  public:
    Text minutesText() override { return stored; }
    std::optional<DesktopBlank> desktopBlank() override {
        if (!desktopMinutes) return std::nullopt;
        return DesktopBlank{*desktopMinutes, "its setting"};
    }
    bool desktopLocked() override { return locked; }
    void awaitIdle(int32_t minutes, bool fromNow) override {
        trace.push_back("await " + std::to_string(minutes) + (fromNow ? " from now" : ""));
    }
    bool startShow() override {
        trace.push_back(startFails ? "start fails" : "start");
        return !startFails;
    }
    void log(const std::string& line) override {
        if (line.find("blanks after") != std::string::npos) trace.push_back("warn");
    }

    Text stored;
    std::optional<int32_t> desktopMinutes;
    bool locked = false;
    bool startFails = false;
    std::vector<std::string> trace;
};

struct Step {
    enum Kind { Idle, Ended, Store, FailStarts, DesktopSays, Lock, Unlock } kind;
    Text text;        // with Store
    int32_t minutes;  // with DesktopSays
};

struct WatchCase {
    const char* name;
    std::vector<Step> steps;
    std::vector<std::string> trace;  // after start()
};

class WatcherTest : public ::testing::TestWithParam<WatchCase> {};

TEST_P(WatcherTest, WaitsStartsAndWaitsAgain) {
    FakePort port;
    Watcher watcher(port);
    watcher.start();
    for (const Step& step : GetParam().steps) {
        switch (step.kind) {
            case Step::Idle:
                watcher.idle();
                break;
            case Step::Ended:
                watcher.showEnded(0);
                break;
            case Step::Store:
                port.stored = step.text;
                break;
            case Step::FailStarts:
                port.startFails = true;
                break;
            case Step::DesktopSays:
                port.desktopMinutes = step.minutes;
                break;
            case Step::Lock:
                port.locked = true;
                break;
            case Step::Unlock:
                port.locked = false;
                watcher.desktopUnlocked();
                break;
        }
    }
    EXPECT_EQ(port.trace, GetParam().trace);
}

const Step kIdle{Step::Idle, {}, 0};
const Step kEnded{Step::Ended, {}, 0};
const Step kLock{Step::Lock, {}, 0};
const Step kUnlock{Step::Unlock, {}, 0};

Step desktopSays(int32_t minutes) {
    return {Step::DesktopSays, {}, minutes};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WatcherTest,
    ::testing::Values(WatchCase{"WaitsTheDefault", {}, {"await 10"}},
                      WatchCase{"IdleStartsTheShow", {kIdle}, {"await 10", "start"}},
                      WatchCase{"NeverTwoShows", {kIdle, kIdle, kIdle}, {"await 10", "start"}},
                      WatchCase{"WaitsAgainAfterTheShow",
                                {kIdle, kEnded, kIdle},
                                {"await 10", "start", "await 10", "start"}},
                      WatchCase{"ReadsTheWaitEachTime",
                                {{Step::Store, u"3", 0}, kIdle, kEnded},
                                {"await 10", "start", "await 3"}},
                      WatchCase{"AnEndWithoutAShowIsNoNews", {kEnded, kEnded}, {"await 10"}},
                      WatchCase{"AFailedStartWaitsAgain",
                                {{Step::FailStarts, {}, 0}, kIdle, kIdle},
                                {"await 10", "start fails", "await 10", "start fails", "await 10"}},
                      // The desktop's own blank time, read at each wait, and a minute less.
                      WatchCase{"WaitsAMinuteLessThanTheDesktop",
                                {desktopSays(5), kIdle, kEnded, desktopSays(1), kIdle, kEnded},
                                {"await 10", "start", "await 4", "start", "await 1"}},
                      WatchCase{"AStoredWaitPastTheDesktopsIsKeptAndNamed",
                                {desktopSays(5),
                                 {Step::Store, u"5", 0},
                                 kIdle,
                                 kEnded,
                                 {Step::Store, u"4", 0},
                                 kIdle,
                                 kEnded},
                                {"await 10", "start", "warn", "await 5", "start", "await 4"}},
                      WatchCase{"NoShowWhileLockedThenAFreshWait",
                                {kLock, kIdle, kIdle, kUnlock, kUnlock, kIdle},
                                {"await 10", "await 10 from now", "start"}},
                      WatchCase{"AnUnlockWhileWaitingChangesNothing",
                                {kLock, kUnlock, kIdle},
                                {"await 10", "start"}}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace pelandra::watch
