// What every backend must do with a design table (src/platform/README.md), as one table of
// cases that the fake, the Qt backend and the Windows backend each run with their own
// means of pressing, moving and typing.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "control/host_fit.h"
#include "platform/design.h"
#include "platform/platform.h"

namespace pelandra::testing::conformance {

inline constexpr std::string_view kForm = "Conformance";

// One control of every kind on a full-screen window. Places in twips chosen to need rounding.
inline const ControlDesign kControls[] = {
    {.name = "panel",
     .kind = ControlKind::Panel,
     .geometry = {1507.5f, 750, 3000, 1500},
     .foreColour = 0x000000FF,
     .backColour = 0,
     .font = {"MS Sans Serif", 9.75f, true},
     .caption = u"Panel"},
    {.name = "label",
     .kind = ControlKind::Label,
     .parent = "panel",
     .geometry = {150, 150, 1500, 300},
     .font = {"MS Sans Serif", 8.25f, false},
     .caption = u"Label"},
    {.name = "picture",
     .kind = ControlKind::Picture,
     .geometry = {300, 2400, 1500, 1500},
     .stretch = true},
    {.name = "button",
     .kind = ControlKind::Button,
     .geometry = {2400, 2400, 1200, 375},
     .font = {"MS Sans Serif", 12, true},
     .caption = u"Button",
     .tabIndex = 1},
    {.name = "spin",
     .kind = ControlKind::Spin,
     .geometry = {2400, 3000, 975, 255},
     .foreColour = 0x00FF0000,
     .backColour = 0x00C0C0C0,
     .tabIndex = 0},
    {.name = "timer", .kind = ControlKind::Timer, .interval = 0},
};

inline const FormDesign kDesign{.name = kForm,
                                .caption = u"Conformance",
                                .clientWidth = 6000,
                                .clientHeight = 4500,
                                .backColour = 0,
                                .style = WindowStyle::FullScreen,
                                .controls = kControls};

// What a user does to a control (or, for kForm, to the window's own surface).
enum class Gesture {
    Press,           // a mouse button goes down and stays down
    Click,           // a mouse button goes down and up again over the control
    Move,            // the pointer moves to a new place over the control
    Key,             // a letter key
    ClickLeftHalf,   // a click on the left half (a spin control's down arrow)
    ClickRightHalf,  // ... on the right half (its up arrow)
    ArrowLeft,       // with the focus on the control
    ArrowRight,
};

struct Raised {
    std::string control;
    EventKind kind;
    bool operator==(const Raised&) const = default;
};

// What a form raised, timer ticks aside (they arrive at their own pace).
class Recorder : public EventSink {
  public:
    void handle(std::string_view, std::string_view control, EventKind kind) override {
        if (kind != EventKind::Timer) raised.push_back({std::string(control), kind});
    }
    int pictureReadyCount() const {
        return int(
            std::count(raised.begin(), raised.end(), Raised{"picture", EventKind::PictureReady}));
    }
    std::vector<Raised> raised;
};

struct EventCase {
    const char* name;
    std::string_view control;
    Gesture gesture;
    std::vector<Raised> raised;
};

inline const EventCase kEventCases[] = {
    {"ButtonClick", "button", Gesture::Click, {{"button", EventKind::Click}}},
    {"SpinDownArrow", "spin", Gesture::ClickLeftHalf, {{"spin", EventKind::SpinDown}}},
    {"SpinUpArrow", "spin", Gesture::ClickRightHalf, {{"spin", EventKind::SpinUp}}},
    {"SpinLeftKey", "spin", Gesture::ArrowLeft, {{"spin", EventKind::SpinDown}}},
    {"SpinRightKey", "spin", Gesture::ArrowRight, {{"spin", EventKind::SpinUp}}},
    {"PicturePress", "picture", Gesture::Press, {{"picture", EventKind::MouseDown}}},
    {"PictureClick",
     "picture",
     Gesture::Click,
     {{"picture", EventKind::MouseDown}, {"picture", EventKind::Click}}},
    {"PictureMove", "picture", Gesture::Move, {{"picture", EventKind::MouseMove}}},
    // Panels and labels take the pointer from the window beneath and raise nothing.
    {"PanelClick", "panel", Gesture::Click, {}},
    {"PanelMove", "panel", Gesture::Move, {}},
    {"LabelClick", "label", Gesture::Click, {}},
    {"FormKey", kForm, Gesture::Key, {{std::string(kForm), EventKind::KeyDown}}},
    {"FormPress", kForm, Gesture::Press, {{std::string(kForm), EventKind::MouseDown}}},
    {"FormMove", kForm, Gesture::Move, {{std::string(kForm), EventKind::MouseMove}}},
};

// Twips to pixels at 15 a pixel, each value rounded, relative to the parent's client area.
struct PlaceCase {
    std::string_view control;
    PixelRect place;
};
inline const PlaceCase kPlaceCases[] = {
    {"panel", {101, 50, 200, 100}}, {"label", {10, 10, 100, 20}}, {"picture", {20, 160, 100, 100}},
    {"button", {160, 160, 80, 25}}, {"spin", {160, 200, 65, 17}},
};

// Points at 96 pixels an inch, as a character height in pixels.
struct FontCase {
    std::string_view control;
    int pixels;
    bool bold;
};
inline const FontCase kFontCases[] = {
    {"panel", 13, true},
    {"label", 11, false},
    {"button", 16, true},
};

// Focus moves by tab index; controls with none take no focus.
inline const std::vector<std::string> kTabOrder = {"spin", "button"};

}  // namespace pelandra::testing::conformance
