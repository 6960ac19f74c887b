#include "show/show_design.h"

namespace pelandra::show {

namespace {

constexpr ControlDesign kControls[] = {
    {.name = kTimer, .kind = ControlKind::Timer, .interval = 1000},
    {.name = kFrame,
     .kind = ControlKind::Panel,
     .geometry = {-120, 0, 11895, 7335},
     .foreColour = kBlue,
     .backColour = kBlack,
     .font = {"MS Sans Serif", 8.25f, false},
     .caption = u"SSPanel1"},
    {.name = kPhoto,
     .kind = ControlKind::Picture,
     .parent = kFrame,
     .geometry = {120, 120, 11655, 7095},
     .backColour = kBlack,
     .picture = "title",
     .stretch = true},
    {.name = kCaption,
     .kind = ControlKind::Panel,
     .geometry = {1800, 8160, 3795, 360},
     .foreColour = kRed,
     .backColour = kBlack,
     .font = {"MS Sans Serif", 9.75f, true},
     .caption = u"Tessaly Software",
     .visible = false},
    {.name = kLogo,
     .kind = ControlKind::Picture,
     .geometry = {1560, 7800, 8445, 1005},
     .backColour = kBlack,
     .picture = "logo"},
};

constexpr FormDesign kForm1 = {
    .name = kForm,
    .caption = u"Form1",
    .clientWidth = 10035,
    .clientHeight = 8610,
    .backColour = kBlack,
    .icon = "show-icon",
    .style = WindowStyle::FullScreen,
    .controls = kControls,
};

}  // namespace

const FormDesign& form1Design() {
    return kForm1;
}

}  // namespace pelandra::show
