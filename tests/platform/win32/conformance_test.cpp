// The backend contract's cases (tests/platform/conformance.h) against the Windows backend.
#include "platform/conformance.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/win32/form_window.h"

namespace pelandra::win32 {
namespace {

using namespace pelandra::testing::conformance;

class Recorder : public EventSink {
  public:
    void handle(std::string_view, std::string_view control, EventKind kind) override {
        if (kind != EventKind::Timer) raised.push_back({std::string(control), kind});
    }
    std::vector<Raised> raised;
};

class Conformance : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { FormWindow::registerClasses(GetModuleHandleW(nullptr)); }
    std::unique_ptr<FormWindow> build() {
        return std::make_unique<FormWindow>(kDesign, recorder, GetModuleHandleW(nullptr), nullptr,
                                            [] {});
    }
    Recorder recorder;
};

LPARAM at(LONG x, LONG y) {
    return MAKELPARAM(x, y);
}

void perform(FormWindow& form, std::string_view control, Gesture gesture) {
    const HWND target = control == kForm ? form.hwnd() : form.controlWindow(control);
    ASSERT_NE(target, nullptr) << control;
    RECT client{};
    GetClientRect(target, &client);
    const LONG x = client.right / 2;
    const LONG y = client.bottom / 2;
    switch (gesture) {
        case Gesture::Press:
            SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, at(x, y));
            break;
        case Gesture::Click:
            if (control != kForm && form.controlWindow(control) &&
                SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON) {
                SendMessageW(target, BM_CLICK, 0, 0);  // a button clicks on its own terms
                break;
            }
            SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, at(x, y));
            SendMessageW(target, WM_LBUTTONUP, 0, at(x, y));
            break;
        case Gesture::Move: {
            // Somewhere the pointer has not been: only real movement counts.
            POINT pointer{};
            GetCursorPos(&pointer);
            POINT inside{x, y};
            ClientToScreen(target, &inside);
            const LONG shift = inside.x == pointer.x && inside.y == pointer.y ? 1 : 0;
            SendMessageW(target, WM_MOUSEMOVE, 0, at(x + shift, y));
            break;
        }
        case Gesture::Key:
            SendMessageW(target, WM_KEYDOWN, 'A', 0);
            break;
        case Gesture::ClickLeftHalf:
            SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, at(client.right / 4, y));
            SendMessageW(target, WM_LBUTTONUP, 0, at(client.right / 4, y));
            break;
        case Gesture::ClickRightHalf:
            SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, at(client.right * 3 / 4, y));
            SendMessageW(target, WM_LBUTTONUP, 0, at(client.right * 3 / 4, y));
            break;
        case Gesture::ArrowLeft:
            SendMessageW(target, WM_KEYDOWN, VK_LEFT, 0);
            break;
        case Gesture::ArrowRight:
            SendMessageW(target, WM_KEYDOWN, VK_RIGHT, 0);
            break;
    }
}

TEST_F(Conformance, EachKindRaisesItsEvents) {
    for (const auto& c : kEventCases) {
        recorder.raised.clear();
        auto form = build();
        perform(*form, c.control, c.gesture);
        EXPECT_EQ(recorder.raised, c.raised) << c.name;
    }
}

TEST_F(Conformance, TwipsArePixelsAtFifteenEachRounded) {
    auto form = build();
    for (const auto& c : kPlaceCases) {
        const HWND control = form->controlWindow(c.control);
        RECT place{};
        GetWindowRect(control, &place);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
        EXPECT_EQ(place.left, c.place.left) << c.control;
        EXPECT_EQ(place.top, c.place.top) << c.control;
        EXPECT_EQ(place.right - place.left, c.place.width) << c.control;
        EXPECT_EQ(place.bottom - place.top, c.place.height) << c.control;
    }
}

TEST_F(Conformance, FontsAtTheirPointSizes) {
    auto form = build();
    for (const auto& c : kFontCases) {
        const auto font =
            reinterpret_cast<HFONT>(SendMessageW(form->controlWindow(c.control), WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr) << c.control;
        LOGFONTW logFont{};
        GetObjectW(font, sizeof(logFont), &logFont);
        EXPECT_EQ(logFont.lfHeight, -c.pixels) << c.control;
        EXPECT_EQ(logFont.lfWeight, c.bold ? FW_BOLD : FW_NORMAL) << c.control;
    }
}

TEST_F(Conformance, FocusMovesByTabIndex) {
    auto form = build();
    std::vector<std::string> order;
    const HWND first = GetNextDlgTabItem(form->hwnd(), nullptr, FALSE);
    for (HWND hwnd = first; hwnd && order.size() < 10;) {
        for (const auto& control : kControls) {
            if (form->controlWindow(control.name) == hwnd) order.emplace_back(control.name);
        }
        hwnd = GetNextDlgTabItem(form->hwnd(), hwnd, FALSE);
        if (hwnd == first) break;
    }
    EXPECT_EQ(order, kTabOrder);
}

}  // namespace
}  // namespace pelandra::win32
