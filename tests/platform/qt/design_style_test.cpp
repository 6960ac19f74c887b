// Units, colours, fonts and assets of the design tables as the Qt backend maps them.
#include "platform/qt/design_style.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>

namespace pelandra::qt {
namespace {

TEST(DesignStyle, ColoursAreBlueGreenRed) {
    EXPECT_EQ(colourOf(0x000000FF), QColor(255, 0, 0));
    EXPECT_EQ(colourOf(0x00800000), QColor(0, 0, 128));
    EXPECT_EQ(colourOf(0x00C0C0C0), QColor(192, 192, 192));
}

TEST(DesignStyle, FontsAreSansSerifSizedInPixels) {
    struct Case {
        FontSpec wanted;
        int pixelSize;
        bool bold;
    };
    const Case cases[] = {
        {{"MS Sans Serif", 8.25f, false}, 11, false},
        {{"MS Sans Serif", 9.75f, true}, 13, true},
        {{"MS Sans Serif", 12, true}, 16, true},
        {{"System", 9.75f, false}, 13, true},  // the system font is always bold
    };
    for (const auto& c : cases) {
        const QFont font = fontOf(c.wanted);
        EXPECT_EQ(font.pixelSize(), c.pixelSize) << c.wanted.points;
        EXPECT_EQ(font.bold(), c.bold) << c.wanted.name;
        EXPECT_EQ(font.styleHint(), QFont::SansSerif);
    }
}

TEST(DesignStyle, EveryDesignAssetIsEmbeddedAtItsSize) {
    const std::pair<const char*, QSize> assets[] = {
        {"title", {613, 366}},   {"logo", {563, 67}},       {"dialog-logo", {350, 146}},
        {"show-icon", {32, 32}}, {"dialog-icon", {32, 32}},
    };
    for (const auto& [name, size] : assets) {
        const QString path = assetPath(name);
        ASSERT_FALSE(path.isEmpty()) << name;
        EXPECT_EQ(QImageReader(path).size(), size) << name;
    }
    EXPECT_TRUE(assetPath("no-such-picture").isEmpty());
}

}  // namespace
}  // namespace pelandra::qt
