// The monitors a full-screen show does not use, covered in black while it runs.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "platform/platform.h"

namespace pelandra::win32 {

class ScreenCovers {
  public:
    // Rectangles (desktop pixels) of the monitors to cover.
    using MonitorList = std::function<std::vector<RECT>()>;
    // What a cover reports: a key, a button, or a move to a point on the desktop.
    using Input = std::function<void(EventKind kind, POINT at)>;

    // Covers every monitor but the primary one (or those `monitors` gives) and keeps them
    // covered as the desktop's monitors change.
    ScreenCovers(HINSTANCE instance, Input input, MonitorList monitors = otherMonitors);
    ScreenCovers(const ScreenCovers&) = delete;
    ScreenCovers& operator=(const ScreenCovers&) = delete;
    ~ScreenCovers();

    static void registerClass(HINSTANCE instance);
    // Every monitor of the desktop but the primary one.
    static std::vector<RECT> otherMonitors();

    const std::vector<HWND>& windows() const { return windows_; }
    // The desktop's monitors changed: cover them anew (WM_DISPLAYCHANGE calls this).
    void displayChanged();

  private:
    static LRESULT CALLBACK coverProc(HWND hwnd, UINT message, WPARAM w, LPARAM l);
    void rebuild();
    void destroyAll();

    HINSTANCE instance_;
    Input input_;
    MonitorList monitors_;
    HWND listener_ = nullptr;
    std::vector<HWND> windows_;
};

}  // namespace pelandra::win32
