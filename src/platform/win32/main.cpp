// The screen saver's entry: Windows starts it with "/s", "/c", "/p <window>" or nothing.
#include <windows.h>

#include "platform/win32/win32_platform.h"
#include "program/program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    pelandra::win32::Win32Platform platform(instance);
    pelandra::Program program(platform);
    program.main();
    return platform.run();
}
