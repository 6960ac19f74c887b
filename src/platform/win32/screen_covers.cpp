#include "platform/win32/screen_covers.h"

#include <windowsx.h>

namespace pelandra::win32 {

namespace {

constexpr wchar_t kCoverClass[] = L"PelandraScreenCover";
constexpr UINT kRebuild = WM_APP + 1;  // after a display change, once it has settled

BOOL CALLBACK addOtherMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info) && !(info.dwFlags & MONITORINFOF_PRIMARY)) {
        reinterpret_cast<std::vector<RECT>*>(list)->push_back(info.rcMonitor);
    }
    return TRUE;
}

}  // namespace

void ScreenCovers::registerClass(HINSTANCE instance) {
    WNDCLASSEXW cover{};
    cover.cbSize = sizeof(cover);
    cover.lpfnWndProc = coverProc;
    cover.hInstance = instance;
    cover.hCursor = nullptr;  // no pointer over a cover
    cover.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    cover.lpszClassName = kCoverClass;
    RegisterClassExW(&cover);
}

std::vector<RECT> ScreenCovers::otherMonitors() {
    std::vector<RECT> list;
    EnumDisplayMonitors(nullptr, nullptr, addOtherMonitor, reinterpret_cast<LPARAM>(&list));
    return list;
}

ScreenCovers::ScreenCovers(HINSTANCE instance, Input input, MonitorList monitors)
    : instance_(instance), input_(std::move(input)), monitors_(std::move(monitors)) {
    // Never shown, but top-level: it hears of monitors that come and go even while none
    // is covered.
    listener_ = CreateWindowExW(WS_EX_TOOLWINDOW, kCoverClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, instance_, nullptr);
    if (listener_) SetWindowLongPtrW(listener_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    rebuild();
}

ScreenCovers::~ScreenCovers() {
    destroyAll();
    if (listener_) {
        SetWindowLongPtrW(listener_, GWLP_USERDATA, 0);
        DestroyWindow(listener_);
    }
}

void ScreenCovers::displayChanged() {
    rebuild();
}

void ScreenCovers::destroyAll() {
    for (HWND cover : windows_) {
        SetWindowLongPtrW(cover, GWLP_USERDATA, 0);
        DestroyWindow(cover);
    }
    windows_.clear();
}

void ScreenCovers::rebuild() {
    destroyAll();
    for (const RECT& monitor : monitors_()) {
        HWND cover =
            CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kCoverClass, L"", WS_POPUP,
                            monitor.left, monitor.top, monitor.right - monitor.left,
                            monitor.bottom - monitor.top, nullptr, nullptr, instance_, nullptr);
        if (!cover) continue;  // a monitor left showing the desktop is no failure of the show
        SetWindowLongPtrW(cover, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ShowWindow(cover, SW_SHOWNA);
        windows_.push_back(cover);
    }
}

LRESULT CALLBACK ScreenCovers::coverProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<ScreenCovers*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, w, l);
    POINT at{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
    switch (message) {
        case WM_SETCURSOR:
            SetCursor(nullptr);
            return TRUE;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            self->input_(EventKind::KeyDown, {});
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            self->input_(EventKind::MouseDown, {});
            return 0;
        case WM_MOUSEMOVE:
            ClientToScreen(hwnd, &at);
            self->input_(EventKind::MouseMove, at);
            return 0;
        case WM_DISPLAYCHANGE:
            // Every cover hears it too; the listener alone asks for the rebuild, once the
            // change is through.
            if (hwnd == self->listener_) PostMessageW(hwnd, kRebuild, 0, 0);
            return 0;
        case kRebuild:
            self->rebuild();
            return 0;
        default:
            return DefWindowProcW(hwnd, message, w, l);
    }
}

}  // namespace pelandra::win32
