// The design's twips, font sizes and tab order as every backend takes them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/pixel_geometry.h"
#include "platform/tab_order.h"

namespace pelandra {
namespace {

TEST(DesignUnits, TwipsRoundToTheNearestPixel) {
    const std::pair<float, int32_t> cases[] = {
        {0, 0}, {15, 1}, {-120, -8}, {52.5f, 4}, {4102.5f, 274}, {-1147.5f, -77}, {11895, 793},
    };
    for (const auto& [twips, pixels] : cases) EXPECT_EQ(pixelsOf(twips), pixels) << twips;
    EXPECT_EQ(pixelsOf(Twips{3120, 3240, 975, 255}), (PixelRect{208, 216, 65, 17}));
}

TEST(DesignUnits, FontsArePointsAtNinetySixPixelsAnInchNeverBelowOne) {
    const struct {
        float points;
        double scale;
        int32_t pixels;
    } cases[] = {
        {8.25f, 1, 11}, {9.75f, 1, 13}, {12, 1, 16}, {9.75f, 0.4, 5}, {8.25f, 0.01, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fontPixelHeight(c.points, c.scale), c.pixels) << c.points << " x " << c.scale;
    }
}

TEST(DesignUnits, FocusMovesByTabIndexAndControlsWithoutOneComeLast) {
    const ControlDesign controls[] = {
        {.name = "Panel", .tabIndex = -1}, {.name = "Exit", .tabIndex = 2},
        {.name = "Set", .tabIndex = 0},    {.name = "Label", .tabIndex = -1},
        {.name = "Help", .tabIndex = 1},   {.name = "Spin", .tabIndex = 1},
    };
    std::vector<std::string> names;
    for (const ControlDesign* control : tabOrder(controls)) names.emplace_back(control->name);
    EXPECT_EQ(names, (std::vector<std::string>{"Set", "Help", "Spin", "Exit", "Panel", "Label"}));
}

}  // namespace
}  // namespace pelandra
