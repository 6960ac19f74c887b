// The settings dialog `frmSSSettings`.
#pragma once

#include "platform/design.h"

namespace pelandra::dialog {

inline constexpr std::string_view kForm = "frmSSSettings";
inline constexpr std::string_view kPanel = "pnlSSaver";
inline constexpr std::string_view kSpin = "SpinInterval";
inline constexpr std::string_view kDelayPanel = "panInterval";
inline constexpr std::string_view kSetButton = "SSCommand4";
inline constexpr std::string_view kHelpButton = "SSCommand5";
inline constexpr std::string_view kExitButton = "SSCommand6";

const FormDesign& settingsDesign();

}  // namespace pelandra::dialog
