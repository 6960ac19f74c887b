// A window's design-time layout as plain data: the backends turn these tables into real
// controls and send the controls' events back to the core by name.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace pelandra {

// Colours are 0x00BBGGRR, as the design tables give them.
using Colour = uint32_t;
// Stands for the system's button-text colour rather than a fixed one.
inline constexpr Colour kSystemButtonText = 0x80000012;
inline constexpr Colour kBlack = 0x00000000;
inline constexpr Colour kWhite = 0x00FFFFFF;
inline constexpr Colour kRed = 0x000000FF;
inline constexpr Colour kBlue = 0x00FF0000;
inline constexpr Colour kNavy = 0x00800000;
inline constexpr Colour kLightGrey = 0x00C0C0C0;

// Geometry in twips; 15 twips make one (device-independent) pixel.
inline constexpr int32_t kTwipsPerPixel = 15;
struct Twips {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
};

struct FontSpec {
    std::string_view name;
    float points = 0;
    bool bold = false;
};

enum class ControlKind {
    Panel,    // a coloured panel with an optional caption, may hold other controls
    Label,    // plain text
    Picture,  // shows a picture: a design-time asset or a file loaded at run time
    Button,   // a push button raising Click
    Spin,     // two arrows raising SpinDown (left/down arrow) and SpinUp (right/up arrow)
    Timer,    // no surface; raises Timer every `interval` milliseconds
};

struct ControlDesign {
    std::string_view name;
    ControlKind kind = ControlKind::Panel;
    std::string_view parent;  // empty: placed on the window itself
    Twips geometry;           // relative to the parent
    Colour foreColour = 0;
    Colour backColour = 0x00FFFFFF;
    FontSpec font;
    std::u16string_view caption;
    std::string_view picture;  // asset name of the design-time picture, if any
    bool stretch = false;      // pictures: stretch to fill the control, or show unscaled
    bool visible = true;
    int tabIndex = -1;  // -1: takes no focus
    std::u16string_view tooltip;
    int32_t interval = 0;  // timers: milliseconds
};

enum class WindowStyle {
    FullScreen,  // borderless, top-most, covers the screen once maximised
    Dialog,      // ordinary sizable window with a title bar, centred on the screen
};

struct FormDesign {
    std::string_view name;
    std::u16string_view caption;
    float clientWidth = 0;  // twips
    float clientHeight = 0;
    Colour backColour = 0;
    std::string_view icon;  // asset name of the window icon
    WindowStyle style = WindowStyle::Dialog;
    std::span<const ControlDesign> controls;

    const ControlDesign* find(std::string_view control) const {
        for (const auto& c : controls) {
            if (c.name == control) return &c;
        }
        return nullptr;
    }
};

}  // namespace pelandra
