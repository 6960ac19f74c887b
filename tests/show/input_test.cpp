#include <gtest/gtest.h>

#include "show/show_fixture.h"

namespace pelandra::testing {
namespace {

using InputWatch = ShowTest;

TEST_F(InputWatch, ThreeMovesOnEachSurfacePassAndTheFourthOnEitherEnds) {
    for (auto surface : {"Form1", "Image1"}) {
        FakePlatform f;
        Program p(f);
        f.run(p);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(f.fire("Form1", "Form1", EventKind::MouseMove), std::nullopt);
            EXPECT_EQ(f.fire("Form1", "Image1", EventKind::MouseMove), std::nullopt);
        }
        f.tick();  // ticks reset nothing
        EXPECT_EQ(f.fire("Form1", surface, EventKind::MouseMove), 0) << surface;
        EXPECT_GE(f.cursorCount, 1);
    }
}

TEST_F(InputWatch, KeysAndButtonsEndTheShowAtOnce) {
    const struct {
        const char* control;
        EventKind kind;
    } enders[] = {{"Form1", EventKind::KeyDown},
                  {"Form1", EventKind::MouseDown},
                  {"Image1", EventKind::MouseDown},
                  {"Image1", EventKind::Click}};
    for (const auto& e : enders) {
        FakePlatform f;
        Program p(f);
        f.run(p);
        EXPECT_LT(f.cursorCount, 0);
        EXPECT_EQ(f.fire("Form1", e.control, e.kind), 0) << e.control;
        EXPECT_GE(f.cursorCount, 1);
    }
}

TEST_F(InputWatch, PanelsLogoAndOtherEventsAreIgnored) {
    start();
    for (auto control : {"SSPanel1", "panYear", "Image2"}) {
        for (auto kind :
             {EventKind::MouseMove, EventKind::MouseDown, EventKind::Click, EventKind::KeyDown}) {
            for (int i = 0; i < 5; ++i) EXPECT_EQ(fake.fire("Form1", control, kind), std::nullopt);
        }
    }
    EXPECT_EQ(fake.fire("Form1", "Form1", EventKind::Click), std::nullopt);
    EXPECT_FALSE(fake.exitStatus);
}

TEST_F(InputWatch, ClosingByTheSystemLeavesThePointerVisible) {
    start();
    fake.cursorCount = -4;
    EXPECT_EQ(fake.fire("Form1", "Form1", EventKind::QueryUnload), std::nullopt);
    EXPECT_GE(fake.cursorCount, 1);
    fake.cursorCount = -1;
    EXPECT_EQ(fake.fire("Form1", "Form1", EventKind::Unload), std::nullopt);
    EXPECT_GE(fake.cursorCount, 1);
}

}  // namespace
}  // namespace pelandra::testing
