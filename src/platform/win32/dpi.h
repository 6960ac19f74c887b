// The dots an inch a window is drawn at. The calls that tell it per monitor came with
// Windows 10; they are looked up in user32 at run time, so that the .scr imports nothing
// Windows 7 and 8 lack and there falls back to the system's DPI (its manifest asks for
// per-monitor awareness, else system-wide awareness).
#pragma once

#include <windows.h>

namespace pelandra::win32 {

inline constexpr UINT kDefaultDpi = 96;
// Messages of Windows 10, named here because the headers show them only to builds for it.
inline constexpr UINT kDpiChangedMessage = 0x02E0;        // WM_DPICHANGED
inline constexpr UINT kGetDpiScaledSizeMessage = 0x02E4;  // WM_GETDPISCALEDSIZE

// The system's DPI: the primary monitor's when the session began.
UINT systemDpi();
// The DPI of the monitor the window is on, or the system's where Windows cannot tell.
UINT dpiOf(HWND hwnd);
// AdjustWindowRectEx for a window at `dpi` (its non-client parts at the system's DPI
// where Windows cannot draw them at another).
void adjustFrameForDpi(RECT& frame, DWORD style, DWORD exStyle, UINT dpi);
// GetSystemMetrics at `dpi` (at the system's where Windows cannot tell).
int systemMetricForDpi(int index, UINT dpi);

}  // namespace pelandra::win32
