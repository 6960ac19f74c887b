// What the parts of FormWindow (building, messages, painting) share; not for other users.
#pragma once

#include <windows.h>

#include "platform/design.h"

namespace pelandra::win32::form_internals {

inline constexpr wchar_t kFormClass[] = L"PelandraForm";
inline constexpr wchar_t kPictureClass[] = L"PelandraPicture";
inline constexpr UINT_PTR kFirstControlId = 100;
inline constexpr UINT_PTR kParentWatchTimer = 1;  // a preview ends with its host window
inline constexpr UINT kParentWatchMilliseconds = 250;

inline COLORREF colourRef(Colour colour) {
    return colour == kSystemButtonText ? GetSysColor(COLOR_BTNTEXT) : COLORREF{colour};
}

// The kinds whose mouse input is their own rather than the window's beneath (of them only
// pictures raise events; panels and labels just keep it from the window).
inline bool reportsPointer(ControlKind kind) {
    return kind == ControlKind::Panel || kind == ControlKind::Label || kind == ControlKind::Picture;
}

inline RECT clientOf(HWND hwnd) {
    RECT rect{};
    GetClientRect(hwnd, &rect);
    return rect;
}

}  // namespace pelandra::win32::form_internals
