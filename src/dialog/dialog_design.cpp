#include "dialog/dialog_design.h"

namespace pelandra::dialog {

namespace {

constexpr FontSpec kTitleFont = {"MS Sans Serif", 12, true};
constexpr FontSpec kButtonFont = {"System", 9.75f, true};

constexpr ControlDesign kControls[] = {
    {.name = kPanel,
     .kind = ControlKind::Panel,
     .geometry = {0, 0, 6255, 4455},
     .backColour = kWhite,
     .tabIndex = 0},
    {.name = "Label7",
     .kind = ControlKind::Label,
     .parent = kPanel,
     .geometry = {1800, 240, 3495, 375},
     .foreColour = kRed,
     .backColour = kWhite,
     .font = kTitleFont,
     .caption = u"The Pelandra Omnarium",
     .tabIndex = 8},
    {.name = "Label8",
     .kind = ControlKind::Label,
     .parent = kPanel,
     .geometry = {1800, 600, 2895, 375},
     .foreColour = kRed,
     .backColour = kWhite,
     .font = kTitleFont,
     .caption = u"Screen Saver Settings",
     .tabIndex = 7},
    {.name = "Image2",
     .kind = ControlKind::Picture,
     .parent = kPanel,
     .geometry = {480, 840, 5250, 2190},
     .backColour = kWhite,
     .picture = "dialog-logo"},
    {.name = "Label9",
     .kind = ControlKind::Label,
     .parent = kPanel,
     .geometry = {600, 3240, 2415, 375},
     .foreColour = kNavy,
     .backColour = kWhite,
     .font = {"MS Sans Serif", 9.75f, true},
     .caption = u"Select the photo delay:",
     .tabIndex = 6},
    {.name = kSpin,
     .kind = ControlKind::Spin,
     .parent = kPanel,
     .geometry = {3120, 3240, 975, 255},
     .foreColour = kBlue,
     .backColour = kLightGrey,
     .tabIndex = 5,
     .tooltip = u"Set Slide Show Delay"},
    {.name = kDelayPanel,
     .kind = ControlKind::Panel,
     .parent = kPanel,
     .geometry = {4080, 3240, 1410, 255},
     .foreColour = kNavy,
     .backColour = kWhite,
     .font = {"MS Sans Serif", 8.25f, true},
     .caption = u"1 Second",
     .tabIndex = 4},
    {.name = kSetButton,
     .kind = ControlKind::Button,
     .parent = kPanel,
     .geometry = {360, 3720, 1815, 375},
     .foreColour = kBlack,
     .font = kButtonFont,
     .caption = u"Set",
     .tabIndex = 1},
    {.name = kExitButton,
     .kind = ControlKind::Button,
     .parent = kPanel,
     .geometry = {2160, 3720, 1815, 375},
     .foreColour = kBlack,
     .font = kButtonFont,
     .caption = u"Exit",
     .tabIndex = 3},
    {.name = kHelpButton,
     .kind = ControlKind::Button,
     .parent = kPanel,
     .geometry = {3960, 3720, 1815, 375},
     .foreColour = kSystemButtonText,
     .font = kButtonFont,
     .caption = u"Help",
     .tabIndex = 2},
};

constexpr FormDesign kSettings = {
    .name = kForm,
    .caption = u"Screen Saver Settings",
    .clientWidth = 6225,
    .clientHeight = 4440,
    .backColour = kWhite,
    .icon = "dialog-icon",
    .style = WindowStyle::Dialog,
    .controls = kControls,
};

}  // namespace

const FormDesign& settingsDesign() {
    return kSettings;
}

}  // namespace pelandra::dialog
