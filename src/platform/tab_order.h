// The order in which the focus moves through a window's controls, for every backend.
#pragma once

#include <span>
#include <vector>

#include "platform/design.h"

namespace pelandra {

// By tabIndex, lowest first; the controls that never take the focus (-1) after all the
// others. Controls of equal index keep their design order.
std::vector<const ControlDesign*> tabOrder(std::span<const ControlDesign> controls);

}  // namespace pelandra
