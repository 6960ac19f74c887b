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
    void awaitIdle(int32_t minutes) override {
        trace.push_back("await " + std::to_string(minutes));
    }
    bool startShow() override {
        trace.push_back(startFails ? "start fails" : "start");
        return !startFails;
    }
    void log(const std::string&) override {}

    Text stored;
    bool startFails = false;
    std::vector<std::string> trace;
};

struct Step {
    enum Kind { Idle, Ended, Store, FailStarts } kind;
    Text text;  // with Store
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
        }
    }
    EXPECT_EQ(port.trace, GetParam().trace);
}

const Step kIdle{Step::Idle, {}};
const Step kEnded{Step::Ended, {}};

INSTANTIATE_TEST_SUITE_P(
    Cases, WatcherTest,
    ::testing::Values(WatchCase{"WaitsTheDefault", {}, {"await 10"}},
                      WatchCase{"IdleStartsTheShow", {kIdle}, {"await 10", "start"}},
                      WatchCase{"NeverTwoShows", {kIdle, kIdle, kIdle}, {"await 10", "start"}},
                      WatchCase{"WaitsAgainAfterTheShow",
                                {kIdle, kEnded, kIdle},
                                {"await 10", "start", "await 10", "start"}},
                      WatchCase{"ReadsTheWaitEachTime",
                                {{Step::Store, u"3"}, kIdle, kEnded},
                                {"await 10", "start", "await 3"}},
                      WatchCase{"AnEndWithoutAShowIsNoNews", {kEnded, kEnded}, {"await 10"}},
                      WatchCase{
                          "AFailedStartWaitsAgain",
                          {{Step::FailStarts, {}}, kIdle, kIdle},
                          {"await 10", "start fails", "await 10", "start fails", "await 10"}}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace pelandra::watch
