#include "settings/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace pelandra {

Text numberToText(double value) {
    char buffer[32];
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
    } else {
        std::snprintf(buffer, sizeof buffer, "%.15g", value);
    }
    std::string text(buffer);
    if (text == "-0") text = "0";
    return fromUtf8(text);
}

namespace {

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}
bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

std::optional<double> textToNumber(TextView text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;

    // Accept only the plain decimal forms; strtod alone would also take hex, inf and nan.
    std::string ascii;
    size_t i = begin;
    auto take = [&] { ascii += static_cast<char>(text[i++]); };
    if (i < end && (text[i] == u'+' || text[i] == u'-')) take();
    size_t digits = 0;
    while (i < end && isDigit(text[i])) take(), ++digits;
    if (i < end && text[i] == u'.') {
        take();
        while (i < end && isDigit(text[i])) take(), ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < end && (text[i] == u'e' || text[i] == u'E')) {
        take();
        if (i < end && (text[i] == u'+' || text[i] == u'-')) take();
        size_t exponentDigits = 0;
        while (i < end && isDigit(text[i])) take(), ++exponentDigits;
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != end) return std::nullopt;
    // A number too large for a double comes back as an infinity of its sign, so that callers
    // can still hold it at their largest value rather than take it for no number at all.
    return std::strtod(ascii.c_str(), nullptr);
}

}  // namespace pelandra
