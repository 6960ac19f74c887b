// The caption under each photo, worked out from the first characters of its file name:
// a category code from the table, or else the model year.
#pragma once

#include <cstdint>
#include <span>

#include "platform/text.h"

namespace pelandra::show {

struct Category {
    TextView code;
    TextView caption;
};

std::span<const Category> categories();

// `code`: the two characters at `pos` + 7 of the upper-cased `entry`, where `pos` is the
// folder marker's position (0 when absent).
Text captionFor(TextView code, TextView entry, int32_t pos);

}  // namespace pelandra::show
