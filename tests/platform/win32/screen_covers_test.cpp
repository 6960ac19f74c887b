// The other monitors' covers: where they are, what they look like, what they report.
#include "platform/win32/screen_covers.h"

#include <gtest/gtest.h>

#include <vector>

namespace pelandra::win32 {
namespace {

struct Reported {
    EventKind kind;
    LONG x;
    bool operator==(const Reported&) const = default;
};

class Covers : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ScreenCovers::registerClass(GetModuleHandleW(nullptr)); }
    ScreenCovers build() {
        return ScreenCovers(
            GetModuleHandleW(nullptr),
            [this](EventKind kind, POINT at) {
                reported.push_back({kind, at.x});
            },
            [this] { return monitors; });
    }
    std::vector<RECT> monitors{{800, 0, 1824, 768}, {-640, 100, 0, 580}};
    std::vector<Reported> reported;
};

TEST_F(Covers, EachOtherMonitorGetsABlackTopMostBorderlessWindow) {
    ScreenCovers covers = build();
    ASSERT_EQ(covers.windows().size(), 2u);
    for (size_t i = 0; i < monitors.size(); ++i) {
        const HWND cover = covers.windows()[i];
        RECT place{};
        GetWindowRect(cover, &place);
        EXPECT_TRUE(EqualRect(&place, &monitors[i])) << i;
        const LONG style = GetWindowLongW(cover, GWL_STYLE);
        EXPECT_TRUE(style & WS_POPUP) << i;
        EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME)) << i;
        EXPECT_TRUE(style & WS_VISIBLE) << i;
        EXPECT_TRUE(GetWindowLongW(cover, GWL_EXSTYLE) & WS_EX_TOPMOST) << i;
        EXPECT_EQ(GetClassLongPtrW(cover, GCLP_HCURSOR), 0u) << i;  // no pointer
        EXPECT_EQ(GetClassLongPtrW(cover, GCLP_HBRBACKGROUND),
                  reinterpret_cast<ULONG_PTR>(GetStockObject(BLACK_BRUSH)))
            << i;
    }
}

TEST_F(Covers, KeysButtonsAndMovesAreReported) {
    ScreenCovers covers = build();
    const HWND cover = covers.windows()[0];
    SendMessageW(cover, WM_KEYDOWN, 'A', 0);
    SendMessageW(cover, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    SendMessageW(cover, WM_MOUSEMOVE, 0, MAKELPARAM(10, 20));
    EXPECT_EQ(reported, (std::vector<Reported>{{EventKind::KeyDown, 0},
                                               {EventKind::MouseDown, 0},
                                               {EventKind::MouseMove, 810}}));  // desktop x
}

TEST_F(Covers, MonitorsThatComeAndGoAreCoveredOrDropped) {
    ScreenCovers covers = build();
    const HWND gone = covers.windows()[1];
    monitors.pop_back();
    covers.displayChanged();
    EXPECT_EQ(covers.windows().size(), 1u);
    EXPECT_FALSE(IsWindow(gone));
    monitors.push_back({1824, 0, 2624, 600});
    covers.displayChanged();
    ASSERT_EQ(covers.windows().size(), 2u);
    RECT place{};
    GetWindowRect(covers.windows()[1], &place);
    EXPECT_EQ(place.left, 1824);
    monitors.clear();
    covers.displayChanged();
    EXPECT_TRUE(covers.windows().empty());
}

}  // namespace
}  // namespace pelandra::win32
