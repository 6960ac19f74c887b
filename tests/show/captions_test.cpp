#include "show/captions.h"

#include <gtest/gtest.h>

#include <set>

namespace pelandra::show {
namespace {

// The caption for a file in a folder that carries the marker, as a tick works it out.
Text captionForFile(TextView name) {
    const Text folder = u"/media/cdrom/pyrnox/";
    const Text entry = asciiUpper(folder + Text(name));
    const int32_t pos = textFind(folder, u"pyrnox");
    return captionFor(textMid(entry, pos + 7, 2), entry, pos);
}

TEST(Captions, EveryCategoryCodeGivesItsCaption) {
    const std::set<Text> withoutTrailingBlank = {u"CV", u"VR"};
    std::set<Text> codes;
    for (const auto& category : categories()) {
        codes.insert(Text(category.code));
        EXPECT_EQ(captionForFile(Text(category.code) + u"0001.JPG"), category.caption);
        const bool endsInBlank = category.caption.back() == u' ';
        EXPECT_EQ(endsInBlank, !withoutTrailingBlank.count(Text(category.code)));
    }
    EXPECT_EQ(codes.size(), 38u);
    EXPECT_EQ(captionForFile(u"ZZ01.JPG"), u"Pelandra Philately ");
    EXPECT_EQ(captionForFile(u"ZY01.JPG"), u"Pelandra Coin ");
    EXPECT_EQ(captionForFile(u"gh_print.jpg"), u"Museum Art Print ");
    EXPECT_EQ(captionForFile(u"CV_custom.jpg"), u"Custom Pelandras");
}

TEST(Captions, ModelYearsFromTheFileName) {
    const struct {
        Text name;
        Text caption;
    } cases[] = {
        {u"63COUPE.JPG", u"  1963 Pelandra   "}, {u"53.JPG", u"  1953 Pelandra   "},
        {u"99X.BMP", u"  1999 Pelandra   "},     {u"01ROADST.JPG", u"  2001 Pelandra   "},
        {u"00.JPG", u"  2000 Pelandra   "},      {u"12.JPG", u"  2002 Pelandra   "},
        {u"QX.JPG", u"  200X Pelandra   "},      {u"7.JPG", u"  197. Pelandra   "},
        {u"4Z.JPG", u"  200Z Pelandra   "},      {u"ab.jpg", u"  200B Pelandra   "},
    };
    for (const auto& c : cases) EXPECT_EQ(captionForFile(c.name), c.caption) << toUtf8(c.name);
}

TEST(Captions, WithoutTheMarkerTheCodeComesFromCharactersSevenAndEight) {
    const Text entry = u"/MEDIA55CD/ZZ01.JPG";
    EXPECT_EQ(captionFor(textMid(entry, 7, 2), entry, 0), u"  1955 Pelandra   ");
    const Text shortEntry = u"/A/";
    EXPECT_EQ(captionFor(textMid(shortEntry, 7, 2), shortEntry, 0), u"  200 Pelandra   ");
}

}  // namespace
}  // namespace pelandra::show
