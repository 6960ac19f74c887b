#include "platform/text.h"

#include <gtest/gtest.h>

#include "platform/checked_math.h"

namespace pelandra {
namespace {

TEST(Text, FindAndMidAreOneBasedAndSafePastTheEnd) {
    EXPECT_EQ(textFind(u"/media/cd/pyrnox/ZZ.JPG", u"pyrnox"), 11);
    EXPECT_EQ(textFind(u"/media/cd/PYRNOX/ZZ.JPG", u"pyrnox"), 0);
    EXPECT_EQ(textMid(u"ABCDEF", 5, 2), u"EF");
    EXPECT_EQ(textMid(u"ABCDEF", 6, 2), u"F");
    EXPECT_EQ(textMid(u"ABCDEF", 7, 2), u"");
    EXPECT_EQ(textMid(u"ABCDEF", 70000, 2), u"");
}

TEST(Text, Utf8RoundTripKeepsEveryCharacter) {
    const std::string path = "/media/Müller, Zoë/写真/\xF0\x9F\x9A\x97/";
    EXPECT_EQ(toUtf8(fromUtf8(path)), path);
    EXPECT_EQ(fromUtf8("\xFF").size(), 1u);  // an invalid byte becomes one replacement
}

TEST(CheckedMath, OverflowIsARuntimeErrorNotAWrap) {
    EXPECT_EQ(checked::add16(32766, 1), 32767);
    EXPECT_THROW(checked::add16(32767, 1), RuntimeError);
    EXPECT_THROW(checked::mul32(2147484, 1000), RuntimeError);
    EXPECT_EQ(checked::mul32(3600, 1000), 3600000);
    try {
        checked::sub32(INT32_MIN, 1);
        FAIL();
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number, 6);
    }
}

}  // namespace
}  // namespace pelandra
