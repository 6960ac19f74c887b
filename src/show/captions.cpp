#include "show/captions.h"

#include "platform/checked_math.h"

namespace pelandra::show {

namespace {

constexpr Category kCategories[] = {
    {u"AZ", u"1990-1995 High-Output Model "},
    {u"BC", u"Coachbuilt Coupe "},
    {u"C5", u"Fifth Series Emblem "},
    {u"CA", u"Additional Clip Art "},
    {u"CC", u"Twin-Turbo Conversions "},
    {u"CV", u"Custom Pelandras"},
    {u"DP", u"Prototypes "},
    {u"DR", u"Race Cars "},
    {u"EM", u"Pelandra Emblems "},
    {u"ES", u"Pelandra Ski Boat "},
    {u"FL", u"Tuning Shop Cars "},
    {u"FM", u"Conversion Shop Cars "},
    {u"GA", u"Watercolour Art Print "},
    {u"GB", u"Poster Art Print "},
    {u"GH", u"Museum Art Print "},
    {u"GL", u"Oil Painting Art Print "},
    {u"GS", u"Design Studio Concepts "},
    {u"GT", u"Coachbuilt Roadster "},
    {u"MA", u"Pelandra Americana "},
    {u"MN", u"The Pelandra Museum "},
    {u"MS", u"Miscellany "},
    {u"TC", u"Pelandra Calendars "},
    {u"TD", u"Miniature Replica "},
    {u"TE", u"Pocket Knife Set "},
    {u"TF", u"Scale Model Set "},
    {u"TI", u"Engine Replica "},
    {u"TP", u"Decorative Plates "},
    {u"TT", u"Top Ten Pelandra People "},
    {u"TX", u"Pelandra Holiday Cards "},
    {u"TW", u"Pelandra Pocket Watch "},
    {u"US", u"Pelandra Board Game "},
    {u"VM", u"Pelandra Metal Signs "},
    {u"VR", u"Plastic Kit Models"},
    {u"XP", u"Pelandra Pinball Machine "},
    {u"ZY", u"Pelandra Coin "},
    {u"ZW", u"Pelandra Rubber Stamps "},
    {u"ZX", u"Pelandra Playing Cards "},
    {u"ZZ", u"Pelandra Philately "},
};

}  // namespace

std::span<const Category> categories() {
    return kCategories;
}

Text captionFor(TextView code, TextView entry, int32_t pos) {
    for (const auto& category : kCategories) {
        if (code == category.code) return Text(category.caption);
    }
    const int32_t codeAt = checked::add32(pos, 7);
    const Text first = textMid(entry, codeAt, 1);
    if (first >= u"5" && first <= u"9") {
        return u"  19" + textMid(entry, codeAt, 2) + u" Pelandra   ";
    }
    return u"  200" + textMid(entry, checked::add32(pos, 8), 1) + u" Pelandra   ";
}

}  // namespace pelandra::show
