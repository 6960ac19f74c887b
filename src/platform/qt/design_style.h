// How the design tables' units, colours, fonts and asset names map onto Qt.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <string_view>

#include "platform/design.h"
#include "platform/pixel_geometry.h"

namespace pelandra::qt {

// A place in twips as a rectangle of device-independent pixels (pixel_geometry.h).
QRect pixelRect(const Twips& where);

// 0x00BBGGRR to a colour (kSystemButtonText is resolved by the caller).
QColor colourOf(Colour colour);

// "MS Sans Serif" and "System" become the system's sans-serif face ("System" always
// bold), sized in pixels so the X server's DPI does not change the layout; `scale` shrinks
// it with a scaled-down layout (never below one pixel).
QFont fontOf(const FontSpec& wanted, double scale = 1.0);

// Resource path of a design-time picture or icon ("title" -> ":/assets/title.bmp").
QString assetPath(std::string_view asset);

}  // namespace pelandra::qt
