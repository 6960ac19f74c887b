#include "control/pointer.h"

#include <cstdint>

namespace pelandra {

namespace {

// A platform whose count never moves must not hang the exit: the 16-bit count cannot
// need more calls than this.
constexpr int kMostCalls = 70000;

}  // namespace

void showPointer(Platform& platform, bool show) {
    for (int calls = 0; calls < kMostCalls; ++calls) {
        const auto count = static_cast<int16_t>(platform.showCursor(show));
        if (show ? count > 0 : count < 0) return;
    }
}

}  // namespace pelandra
