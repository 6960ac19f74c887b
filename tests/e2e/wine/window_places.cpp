// Tells where a program's window and its controls are, as Windows itself places them: waits
// up to 30 seconds for a shown top-level window titled exactly as asked, then prints its
// client area and the place of every control on it, in pixels from the client area's
// top-left corner:
//   client <width>x<height>
//   <class> "<text>" <left>,<top>,<right>,<bottom>
// Usage: window_places <title>. Exit status 1 when no such window was shown.
// (Under Wine every program is given real pixels, so this one needs no DPI awareness.)
#include <windows.h>

#include <cstdio>

namespace {

BOOL CALLBACK printControl(HWND control, LPARAM window) {
    wchar_t name[64] = {};
    wchar_t text[128] = {};
    GetClassNameW(control, name, 64);
    GetWindowTextW(control, text, 128);
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, reinterpret_cast<HWND>(window), reinterpret_cast<POINT*>(&place), 2);
    std::printf("%ls \"%ls\" %ld,%ld,%ld,%ld\n", name, text, place.left, place.top, place.right,
                place.bottom);
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::printf("usage: window_places <title>\n");
        return 2;
    }
    // Shown only once it is built, controls and all.
    HWND window = nullptr;
    for (int tries = 0; tries < 300 && !(window && IsWindowVisible(window)); ++tries) {
        Sleep(100);
        window = FindWindowW(nullptr, argv[1]);
    }
    if (!window || !IsWindowVisible(window)) return 1;
    RECT client{};
    GetClientRect(window, &client);
    std::printf("client %ldx%ld\n", client.right, client.bottom);
    EnumChildWindows(window, printControl, reinterpret_cast<LPARAM>(window));
    return 0;
}
