// The text forms of numbers: how a number is written into the settings store and how
// stored text is read back as a number.
#pragma once

#include <optional>

#include "platform/text.h"

namespace pelandra {

// Whole numbers without a decimal point, sign only when negative, no leading blank;
// other values with up to 15 significant digits.
Text numberToText(double value);

// A decimal number with optional blanks around it, optional sign, fraction and
// exponent; nullopt for anything else. A number beyond the range of a double is an
// infinity of its sign.
std::optional<double> textToNumber(TextView text);

}  // namespace pelandra
