// The order in which the focus moves through a window's controls, for every backend.
#pragma once

#include <span>
#include <vector>

#include "platform/design.h"

namespace pelandra {

// By tabIndex, lowest first; the controls that never take the focus (-1) after all the
// others. Controls of equal index keep their design order.
std::vector<const ControlDesign*> tabOrder(std::span<const ControlDesign> controls);

// Whether the control takes the focus: a button or a spin control with a tab index.
bool takesFocus(const ControlDesign& control);

}  // namespace pelandra
