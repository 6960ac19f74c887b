// Counter and delay arithmetic in fixed 16- and 32-bit signed widths; a result that
// does not fit is an Overflow run-time error, never a silent wrap.
#pragma once

#include <cstdint>
#include <limits>

#include "platform/runtime_error.h"

namespace pelandra::checked {

template <typename T>
T fit(int64_t value) {
    if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) {
        throw RuntimeError::overflow();
    }
    return static_cast<T>(value);
}

inline int16_t add16(int16_t a, int16_t b) {
    return fit<int16_t>(int64_t{a} + b);
}
inline int32_t add32(int32_t a, int32_t b) {
    return fit<int32_t>(int64_t{a} + b);
}
inline int32_t sub32(int32_t a, int32_t b) {
    return fit<int32_t>(int64_t{a} - b);
}
inline int32_t mul32(int32_t a, int32_t b) {
    return fit<int32_t>(int64_t{a} * b);
}

}  // namespace pelandra::checked
