// The show in a "/p" preview window, through the core, for the same table of host sizes
// as the core's and the Qt backend's tests.
#include <gtest/gtest.h>
#include <windows.h>

#include "host_sizes.h"
#include "platform/win32/win32_platform.h"
#include "program/program.h"

namespace pelandra::win32 {
namespace {

using pelandra::testing::kHostSizes;

RECT placeIn(HWND hwnd) {  // relative to the parent's client area
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void expectPlace(HWND hwnd, const PixelRect& expected, const char* what, const char* host) {
    ASSERT_NE(hwnd, nullptr) << what << " in " << host;
    const RECT place = placeIn(hwnd);
    EXPECT_EQ(place.left, expected.left) << what << " in " << host;
    EXPECT_EQ(place.top, expected.top) << what << " in " << host;
    EXPECT_EQ(place.right - place.left, expected.width) << what << " in " << host;
    EXPECT_EQ(place.bottom - place.top, expected.height) << what << " in " << host;
}

HWND hostWindow(HostSize size) {
    // Borderless and never shown, so that hosts as large as a screen (or larger) keep
    // their size.
    return CreateWindowW(L"Static", L"preview host", WS_POPUP, 0, 0, size.width, size.height,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TEST(Preview, EveryHostSizeGetsTheFrameThePhotoAndTheMessageWhereTheTableSays) {
    for (const auto& c : kHostSizes) {
        const HWND host = hostWindow(c.host);
        ASSERT_NE(host, nullptr);
        {
            Win32Platform platform(GetModuleHandleW(nullptr));
            ASSERT_TRUE(platform.enterPreview(reinterpret_cast<uintptr_t>(host)));
            Program saver(platform);
            saver.main();
            ASSERT_TRUE(saver.hosted()) << c.name;
            FormWindow* form = platform.form("Form1");
            ASSERT_NE(form, nullptr) << c.name;
            EXPECT_EQ(GetParent(form->hwnd()), host) << c.name;
            RECT client{};
            GetClientRect(form->hwnd(), &client);
            EXPECT_EQ(client.right, c.host.width) << c.name;
            EXPECT_EQ(client.bottom, c.host.height) << c.name;
            expectPlace(form->controlWindow("SSPanel1"), c.frame, "frame", c.name);
            expectPlace(form->controlWindow("Image1"), c.photo, "photo", c.name);

            // The missing photos' message is drawn inside the photo, not boxed.
            saver.platform().messageBox(u"Unable to find photographs!", u"Title");
            const HWND notice = form->noticeWindow();
            ASSERT_NE(notice, nullptr) << c.name;
            RECT shown{};
            RECT photo{};
            GetWindowRect(notice, &shown);
            GetWindowRect(form->controlWindow("Image1"), &photo);
            EXPECT_TRUE(shown.left >= photo.left && shown.right <= photo.right &&
                        shown.top >= photo.top && shown.bottom <= photo.bottom)
                << c.name;
            EXPECT_EQ(FindWindowW(L"#32770", L"Title"), nullptr) << c.name;
        }
        DestroyWindow(host);
        // The last window's end asks the loop to stop; this test has no loop to stop.
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
}

}  // namespace
}  // namespace pelandra::win32
