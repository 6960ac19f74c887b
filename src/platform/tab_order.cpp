#include "platform/tab_order.h"

#include <algorithm>
#include <climits>

namespace pelandra {

bool takesFocus(const ControlDesign& control) {
    return control.tabIndex >= 0 &&
           (control.kind == ControlKind::Button || control.kind == ControlKind::Spin);
}

std::vector<const ControlDesign*> tabOrder(std::span<const ControlDesign> controls) {
    std::vector<const ControlDesign*> order;
    for (const ControlDesign& control : controls) order.push_back(&control);
    const auto key = [](const ControlDesign* control) {
        return control->tabIndex < 0 ? INT_MAX : control->tabIndex;
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](const auto* a, const auto* b) { return key(a) < key(b); });
    return order;
}

}  // namespace pelandra
