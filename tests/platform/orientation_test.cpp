#include "platform/orientation.h"

#include <gtest/gtest.h>

#include <vector>

namespace pelandra {
namespace {

// A stored picture of 3 x 2 pixels, each pixel its own number:
//   1 2 3
//   4 5 6
const std::vector<uint32_t> kStored{1, 2, 3, 4, 5, 6};

TEST(Orientation, EachOfTheEightTurnsThePictureUpright) {
    const struct {
        int orientation;
        int width;  // upright
        std::vector<uint32_t> upright;
    } cases[] = {
        {1, 3, {1, 2, 3, 4, 5, 6}}, {2, 3, {3, 2, 1, 6, 5, 4}},  // mirrored
        {3, 3, {6, 5, 4, 3, 2, 1}},                              // upside down
        {4, 3, {4, 5, 6, 1, 2, 3}},                              // mirrored top to bottom
        {5, 2, {1, 4, 2, 5, 3, 6}},                              // on its side, mirrored
        {6, 2, {4, 1, 5, 2, 6, 3}},  // turned a quarter clockwise to be upright
        {7, 2, {6, 3, 5, 2, 4, 1}}, {8, 2, {3, 6, 2, 5, 1, 4}},  // turned a quarter anticlockwise
        {0, 3, {1, 2, 3, 4, 5, 6}},                              // unknown values are upright
        {9, 3, {1, 2, 3, 4, 5, 6}},
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> upright(6, 0);
        turnUpright(c.orientation, kStored, 3, 2, upright);
        EXPECT_EQ(upright, c.upright) << "orientation " << c.orientation;
        EXPECT_EQ(orientationSwapsSides(c.orientation), c.width == 2) << c.orientation;
    }
}

TEST(Orientation, TheStoredPartOfAnUprightCorner) {
    // The upright top-left 1 x 1 pixel of a 3 x 2 picture, and its top row.
    const struct {
        int orientation;
        int width, height;  // of the upright part
        PixelRect stored;
    } cases[] = {
        {1, 1, 1, {0, 0, 1, 1}}, {2, 1, 1, {2, 0, 1, 1}}, {3, 1, 1, {2, 1, 1, 1}},
        {4, 1, 1, {0, 1, 1, 1}}, {5, 1, 1, {0, 0, 1, 1}}, {6, 1, 1, {0, 1, 1, 1}},
        {7, 1, 1, {2, 1, 1, 1}}, {8, 1, 1, {2, 0, 1, 1}}, {1, 3, 1, {0, 0, 3, 1}},
        {3, 3, 1, {0, 1, 3, 1}}, {6, 2, 1, {0, 0, 1, 2}}, {8, 2, 2, {1, 0, 2, 2}},
        {6, 0, 1, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(storedPartFor(c.orientation, 3, 2, c.width, c.height), c.stored)
            << "orientation " << c.orientation << ", " << c.width << " x " << c.height;
    }
    // Cut from the stored picture and turned, the part is what the whole picture shows there.
    const PixelRect part = storedPartFor(8, 3, 2, 2, 2);
    std::vector<uint32_t> cut;
    for (int y = part.top; y < part.top + part.height; ++y) {
        for (int x = part.left; x < part.left + part.width; ++x) cut.push_back(kStored[y * 3 + x]);
    }
    std::vector<uint32_t> upright(4, 0);
    turnUpright(8, cut, part.width, part.height, upright);
    EXPECT_EQ(upright, (std::vector<uint32_t>{3, 6, 2, 5}));
}

}  // namespace
}  // namespace pelandra
