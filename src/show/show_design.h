// The slide-show window `Form1` as designed for an 800 x 600 screen.
#pragma once

#include "platform/design.h"

namespace pelandra::show {

inline constexpr std::string_view kForm = "Form1";
inline constexpr std::string_view kTimer = "Timer1";
inline constexpr std::string_view kFrame = "SSPanel1";
inline constexpr std::string_view kPhoto = "Image1";
inline constexpr std::string_view kCaption = "panYear";
inline constexpr std::string_view kLogo = "Image2";

const FormDesign& form1Design();

}  // namespace pelandra::show
