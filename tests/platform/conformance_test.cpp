// The backend contract's event cases against the in-memory platform the core's tests use,
// so that what the core is tested with is what the real backends do.
#include "platform/conformance.h"

#include <gtest/gtest.h>

#include "fake_platform.h"

namespace pelandra::testing {
namespace {

using conformance::kDesign;
using conformance::Raised;

class Recorder : public EventSink {
  public:
    void handle(std::string_view, std::string_view control, EventKind kind) override {
        raised.push_back({std::string(control), kind});
    }
    std::vector<Raised> raised;
};

TEST(Conformance, TheFakeRaisesWhatEveryBackendRaises) {
    for (const auto& c : conformance::kEventCases) {
        FakePlatform fake;
        Recorder recorder;
        fake.createForm(kDesign, recorder);
        fake.act(kDesign.name, c.control, c.gesture);
        EXPECT_EQ(recorder.raised, c.raised) << c.name;
    }
}

}  // namespace
}  // namespace pelandra::testing
