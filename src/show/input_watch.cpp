#include "show/input_watch.h"

#include "platform/checked_math.h"

namespace pelandra::show {

bool InputWatch::counts(int16_t& counter) {
    if (counter > 2) return true;
    counter = checked::add16(counter, 1);
    return false;
}

}  // namespace pelandra::show
