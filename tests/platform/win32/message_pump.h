// Runs the test thread's messages the way the show's message loop does.
#pragma once

#include <windows.h>

#include <functional>

namespace pelandra::win32::testing {

// Dispatches the thread's messages until `done` holds; false after `giveUpMs`.
inline bool pumpUntil(const std::function<bool()>& done, ULONGLONG giveUpMs = 10000) {
    const ULONGLONG giveUp = GetTickCount64() + giveUpMs;
    MSG message{};
    while (!done()) {
        if (GetTickCount64() > giveUp) return false;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    return true;
}

inline void pumpFor(ULONGLONG milliseconds) {
    const ULONGLONG until = GetTickCount64() + milliseconds;
    pumpUntil([&] { return GetTickCount64() >= until; });
}

}  // namespace pelandra::win32::testing
