#include "show/layout.h"

#include <gtest/gtest.h>

#include "platform/runtime_error.h"
#include "show/show_design.h"

namespace pelandra::show {
namespace {

TEST(ShowLayout, OneCentredColumnOnEachScreenSize) {
    const struct {
        ScreenSize screen;
        float frameLeft, frameTop, captionLeft, captionTop, logoLeft, logoTop;
    } cases[] = {
        {{12000, 9000}, 52.5f, 0, 4102.5f, 7335, 1777.5f, 7695},
        {{9600, 7200}, -1147.5f, 0, 2902.5f, 7335, 577.5f, 7695},
        {{15360, 11520}, 1732.5f, 1400, 5782.5f, 8735, 3457.5f, 9095},
        {{12000, 11520}, 52.5f, 1400, 4102.5f, 8735, 1777.5f, 9095},  // 800 wide, not 600 high
    };
    for (const auto& c : cases) {
        const auto layout = layoutFor(form1Design(), c.screen);
        EXPECT_FLOAT_EQ(layout.frame.left, c.frameLeft);
        EXPECT_FLOAT_EQ(layout.frame.top, c.frameTop);
        EXPECT_FLOAT_EQ(layout.caption.left, c.captionLeft);
        EXPECT_FLOAT_EQ(layout.caption.top, c.captionTop);
        EXPECT_FLOAT_EQ(layout.logo.left, c.logoLeft);
        EXPECT_FLOAT_EQ(layout.logo.top, c.logoTop);
        EXPECT_FLOAT_EQ(layout.frame.width, 11895);  // sizes never change
        EXPECT_FLOAT_EQ(layout.logo.height, 1005);
        EXPECT_FLOAT_EQ(layout.logo.top + layout.logo.height - layout.frame.top, 8700);
    }
}

TEST(ShowLayout, ScreenSizeTestIsExactInTwips) {
    EXPECT_TRUE(isScreenSize({12000, 9000}, 800, 600));
    EXPECT_FALSE(isScreenSize({12000, 9000.5f}, 800, 600));
    EXPECT_FALSE(isScreenSize({9600, 9000}, 800, 600));
    EXPECT_THROW(isScreenSize({0, 0}, 200000000, 1), RuntimeError);
}

}  // namespace
}  // namespace pelandra::show
