#include "platform/win32/dpi.h"

namespace pelandra::win32 {

namespace {

template <typename Function>
Function fromUser32(const char* name) {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const FARPROC found = user32 ? GetProcAddress(user32, name) : nullptr;
    // Through the generic function type, which converts to any other without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiCall = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using GetSystemMetricsForDpiCall = int(WINAPI*)(int, UINT);

}  // namespace

UINT systemDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? UINT(dpi) : kDefaultDpi;
}

UINT dpiOf(HWND hwnd) {
    static const auto getDpiForWindow = fromUser32<GetDpiForWindowCall>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow && hwnd ? getDpiForWindow(hwnd) : 0;
    return dpi > 0 ? dpi : systemDpi();
}

void adjustFrameForDpi(RECT& frame, DWORD style, DWORD exStyle, UINT dpi) {
    static const auto adjustForDpi =
        fromUser32<AdjustWindowRectExForDpiCall>("AdjustWindowRectExForDpi");
    if (!adjustForDpi || !adjustForDpi(&frame, style, FALSE, exStyle, dpi)) {
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    }
}

int systemMetricForDpi(int index, UINT dpi) {
    static const auto metricForDpi =
        fromUser32<GetSystemMetricsForDpiCall>("GetSystemMetricsForDpi");
    return metricForDpi ? metricForDpi(index, dpi) : GetSystemMetrics(index);
}

}  // namespace pelandra::win32
