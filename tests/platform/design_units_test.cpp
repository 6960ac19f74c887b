// The design's twips, font sizes and tab order as every backend takes them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/pixel_geometry.h"
#include "platform/tab_order.h"

namespace pelandra {
namespace {

TEST(DesignUnits, TwipsRoundToTheNearestPixelAtTheScreensScale) {
    // 15 twips a pixel at 96 DPI (scale 1), 10 at 144 (1.5), 7.5 at 192 (2).
    const struct {
        float twips;
        double scale;
        int32_t pixels;
    } cases[] = {
        {0, 1, 0},         {15, 1, 1},         {-120, 1, -8},    {52.5f, 1, 4},
        {4102.5f, 1, 274}, {-1147.5f, 1, -77}, {11895, 1, 793},  {11655, 1.5, 1166},
        {7095, 1.5, 710},  {11655, 2, 1554},   {7095, 2, 946},   {52.5f, 2, 7},
        {-120, 2, -16},    {6225, 2, 830},     {6225, 1.5, 623}, {15, 1.25, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pixelsOf(c.twips, c.scale), c.pixels) << c.twips << " x " << c.scale;
    }
    EXPECT_EQ(pixelsOf(Twips{3120, 3240, 975, 255}, 1), (PixelRect{208, 216, 65, 17}));
    EXPECT_EQ(scaleForDpi(144), 1.5);
}

TEST(DesignUnits, FontsArePointsAtNinetySixPixelsAnInchTimesTheScaleNeverBelowOne) {
    const struct {
        float points;
        double scale;
        int32_t pixels;
    } cases[] = {
        {8.25f, 1, 11},   {9.75f, 1, 13}, {12, 1, 16},      {9.75f, 0.4, 5},
        {8.25f, 0.01, 1}, {12, 2, 32},    {9.75f, 1.5, 20}, {8.25f, 2, 22},
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
