// What differs between X11 and Wayland: where a top-level window goes, how the pointer hides.
#pragma once

#include <QCursor>

class QScreen;
class QWidget;
class QWindow;

namespace pelandra::qt {

// True on Wayland, where the compositor places every window itself: a window cannot move
// itself and lands on a given output only by asking for full screen there.
bool compositorPlacesWindows();

// Makes `window` fill `screen` once shown full screen. Its screen is what places it on
// Wayland (the output its full-screen request names); its rectangle, the screen's, is what
// places it on an X server without a window manager, and keeps Qt, which picks a window's
// screen by its rectangle, from moving it to another screen anywhere.
void placeOnScreen(QWidget& window, QScreen* screen);
void placeOnScreen(QWindow& window, QScreen* screen);

// The pointer's look while it is hidden. Qt's blank cursor on Wayland only hides a pointer
// image Qt has shown before, so the compositor's own arrow stays in view; an image of one
// transparent pixel hides it there.
QCursor hiddenPointer();

}  // namespace pelandra::qt
