// A stand-in for the screen-saver page of the display settings: a small window that
// starts the screen saver with "/p <its handle>", checks that the show draws inside it,
// then closes and checks that the screen saver ends with it.
// Usage: preview_host <path of the .scr> [message]; with "message" the photo folder is
// missing and the show must draw its message in the preview instead of a box.
// Exit status 0 when every check holds.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr int kWidth = 200;  // the size of the little monitor on the settings page
constexpr int kHeight = 150;

int failures = 0;

void expect(bool holds, const char* what) {
    std::printf("%s: %s\n", holds ? "ok" : "FAILED", what);
    if (!holds) ++failures;
}

// Pumps this window's messages (the preview's creation talks to its parent) for up to
// `milliseconds`, or until `process` ends when it is given.
bool pumpUntil(DWORD milliseconds, HANDLE process) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        const DWORD count = process ? 1 : 0;
        const DWORD woke = MsgWaitForMultipleObjects(count, &process, FALSE,
                                                     static_cast<DWORD>(end - now), QS_ALLINPUT);
        if (process && woke == WAIT_OBJECT_0) return true;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// The text of the show's child window that says the photos are missing, if any.
std::wstring messageIn(HWND show) {
    for (HWND child = GetWindow(show, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[256] = {};
        GetWindowTextW(child, text, 256);
        constexpr wchar_t kStart[] = L"Unable to find Pelandra photographs!";
        if (wcsncmp(text, kStart, wcslen(kStart)) == 0) return text;
    }
    return {};
}

bool hasPicturePixels(HWND window) {
    // The title picture is colourful; the show's background is black.
    HDC screen = GetDC(nullptr);
    RECT area{};
    GetWindowRect(window, &area);
    int coloured = 0;
    for (int y = area.top + 2; y < area.bottom; y += 7) {
        for (int x = area.left + 2; x < area.right; x += 7) {
            const COLORREF pixel = GetPixel(screen, x, y);
            if (pixel != CLR_INVALID && pixel != 0) ++coloured;
        }
    }
    ReleaseDC(nullptr, screen);
    return coloured > 20;
}

struct Containment {
    RECT area;
    bool inside = true;
};

BOOL CALLBACK checkInside(HWND child, LPARAM data) {
    auto* check = reinterpret_cast<Containment*>(data);
    RECT place{};
    RECT common{};
    GetWindowRect(child, &place);
    IntersectRect(&common, &place, &check->area);
    if (!IsRectEmpty(&place) && !EqualRect(&common, &place)) check->inside = false;
    return TRUE;
}

// True when every control of the show lies inside the host's client area: the design
// fitted into the host at the host's DPI, not at another.
bool allInside(HWND show, HWND host) {
    Containment check{};
    GetClientRect(host, &check.area);
    MapWindowPoints(host, nullptr, reinterpret_cast<POINT*>(&check.area), 2);
    EnumChildWindows(show, checkInside, reinterpret_cast<LPARAM>(&check));
    return check.inside;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::printf("usage: preview_host <screen saver> [message]\n");
        return 2;
    }
    const bool expectMessage = argc > 2 && std::wstring(argv[2]) == L"message";
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = L"PreviewHost";
    RegisterClassW(&windowClass);
    RECT frame{0, 0, kWidth, kHeight};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND host = CreateWindowW(L"PreviewHost", L"Preview host", WS_OVERLAPPEDWINDOW, 40, 40,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              windowClass.hInstance, nullptr);
    ShowWindow(host, SW_SHOW);
    pumpUntil(300, nullptr);

    std::wstring command = L"\"" + std::wstring(argv[1]) + L"\" /p " +
                           std::to_wstring(reinterpret_cast<uintptr_t>(host));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("FAILED: cannot start %ls\n", argv[1]);
        return 1;
    }
    expect(!pumpUntil(4000, process.hProcess), "the preview keeps running inside its host");

    HWND show = FindWindowExW(host, nullptr, L"PelandraForm", nullptr);
    expect(show != nullptr, "the show is a child window of the host");
    if (show) {
        RECT client{};
        GetClientRect(show, &client);
        expect(client.right == kWidth && client.bottom == kHeight,
               "the show fills the host's client area");
        expect(hasPicturePixels(show), "the show draws its picture inside the host");
        expect(allInside(show, host), "every control of the show lies inside the host");
        if (expectMessage) {
            expect(!messageIn(show).empty(), "the missing photos' message is drawn in the preview");
            expect(FindWindowW(L"#32770", nullptr) == nullptr, "no message box was opened");
        }
    }
    expect(FindWindowW(L"PelandraForm", nullptr) == nullptr,
           "no full-screen show window was opened");

    DestroyWindow(host);
    expect(pumpUntil(5000, process.hProcess), "the preview ends when its host closes");
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    expect(status == 0, "the preview ends with status 0");
    if (status == STILL_ACTIVE) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return failures == 0 ? 0 : 1;
}
